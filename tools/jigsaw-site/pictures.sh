#!/usr/bin/env bash
# Makes the pictures of the downloadable jigsaws (with a NAME.txt description
# beside each NAME.jpg) from the Debian package mate-backgrounds (GPL-2+ and,
# for two of them, CC-BY-SA-4.0; see resources/CREDITS): downloads the package
# (not installed), crops, scales and, for the see-through abstract ones,
# lays them over colour gradients of our own, with ImageMagick.
#
#   tools/jigsaw-site/pictures.sh OUT_FOLDER
set -euo pipefail
OUT=${1:?usage: pictures.sh OUT_FOLDER}
mkdir -p "$OUT"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

(cd "$WORK" && apt-get download -q mate-backgrounds >/dev/null && dpkg-deb -x mate-backgrounds_*.deb pkg)
SRC=$WORK/pkg/usr/share/backgrounds/mate

# make_one NAME DESCRIPTION CONVERT-ARGUMENTS... (input first)
make_one() {
    local name=$1 desc=$2
    shift 2
    convert "$@" -resize '1440x900>' -quality 86 -strip "$OUT/$name.jpg"
    printf '%s\n' "$desc" > "$OUT/$name.txt"
}

make_one Leaf "Leaf. The veins of a green leaf against the light. Photo by Lennart Poettering and Andrea Cimitan." \
    "$SRC/nature/Blinds.jpg"
make_one Blossom "Blossom. The fiery petals of an orange flower close up. Photo by Jens Ansorg." \
    "$SRC/nature/FreshFlower.jpg"
make_one Meadow "Meadow. Young green grass, blade beside blade. Photo by Timothy Schellhase and Lapo Calamandrei." \
    "$SRC/nature/GreenMeadow.jpg"
make_one Raindrops "Raindrops. Drops of rain on broad green leaves. Photo by blackcombwhistler07." \
    "$SRC/nature/RainDrops.jpg"
make_one Planks "Planks. Pale weathered boards run into the distance. Photo by Jean-Francois Fortin Tam." \
    "$SRC/nature/Wood.jpg"
make_one Silk "Silk. Veils of light drift over a warm glow. Art by Patryk Zawadzki." \
    -size 1600x1200 gradient:'#7a1020-#f0a030' "$SRC/abstract/Silk.png" -composite
make_one Spring "Spring. Soft curves of light over fresh green. Art by Patryk Zawadzki." \
    -size 1600x1200 gradient:'#1d6b3a-#b8d85a' "$SRC/abstract/Spring.png" -composite
make_one Waves "Waves. A ribbon of light across deep blue water. Art by Patryk Zawadzki." \
    -size 1600x1200 gradient:'#0b2a5c-#2aa6b8' "$SRC/abstract/Waves.png" -composite
make_one Bubbles "Bubbles. Bubbles and curling threads rise through violet. Art by Daniel Galleguillos and Hylke Bons." \
    -size 1920x1200 gradient:'#3a1458-#d0508a' "$SRC/abstract/Gulp.png" -composite \
    -gravity east -crop 1200x900+0+0 +repage
make_one Curtain "Curtain. Soft blue stripes like a drawn curtain. Art by Jakub Steiner." \
    "$SRC/desktop/Stripes.png" -colorspace gray -type TrueColor -colorspace sRGB +level-colors '#0b1d3a,#9cc8f0' -type TrueColor
make_one Aurora "Aurora. Green and blue northern lights over a dark night. Art by Goce Mitevski (CC BY-SA 4.0)." \
    "$SRC/desktop/Ubuntu-Mate-Cold-no-logo.png" -gravity north -crop 1920x1080+0+0 +repage
make_one Afterglow "Afterglow. Gold and crimson lights over a dark night. Art by Goce Mitevski (CC BY-SA 4.0)." \
    "$SRC/desktop/Ubuntu-Mate-Warm-no-logo.png" -gravity north -crop 1920x1080+0+0 +repage
ls -l "$OUT"
