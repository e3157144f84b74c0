#!/usr/bin/env bash
# Rebuilds the jigsaws in resources/jigs_bemo/ from the photographs of the
# Debian package mate-backgrounds (GPL-2+, see resources/CREDITS): downloads
# the package (not installed), crops and scales with ImageMagick, and writes
# each jigsaw with `zivra-tool make-jigsaw`.
#
#   tools/bundled-jigsaws/make.sh [BUILD_BIN_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TOOL=${1:-$ROOT/build/release/bin}/zivra-tool
OUT=$ROOT/resources/jigs_bemo
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

(cd "$WORK" && apt-get download mate-backgrounds >/dev/null && dpkg-deb -x mate-backgrounds_*.deb pkg)
SRC=$WORK/pkg/usr/share/backgrounds/mate

# name | source | ImageMagick geometry steps | description
make_one() {
    local name=$1 src=$2 steps=$3 desc=$4
    # shellcheck disable=SC2086
    convert "$SRC/$src" $steps -quality "${QUALITY:-86}" -strip "$WORK/$name.jpg"
    "$TOOL" make-jigsaw "$WORK/$name.jpg" "$OUT/$name.zjg" --desc "$desc"
}

QUALITY=84 make_one Elephants abstract/Elephants_3840x2160.jpg \
    "-resize 3414x1920 -gravity center -crop 2560x1920+0+0 +repage" \
    "Elephants. A painting of a herd wandering through a blue, dreamlike forest. Art by Wyng Stancikaite."
make_one Ladybird nature/LadyBird.jpg "-resize 1600x1000" \
    "Ladybird. A ladybird climbs a blade of grass among forget-me-nots. Photo by Charles Barbin."
make_one Marigold nature/Garden.jpg "-resize 1440x900" \
    "Marigold. A red and gold marigold in a summer garden. Photo by Charles Barbin."
make_one Dunes nature/Dune.jpg "-resize 1400x875" \
    "Dunes. Golden grass on a dune above the blue sea. Photo by Marco Cogoni."
make_one Dandelion nature/TwoWings.jpg "-crop 1067x1600+1000+0 +repage -resize 960x1440" \
    "Dandelion. Two dandelion seeds ready to fly, against warm autumn colors. Photo by Charles Barbin."
make_one Daisy nature/YellowFlower.jpg "-gravity center -crop 2133x1600+0+0 +repage -resize 1200x900" \
    "Daisy. Bright yellow petals close up. Photo by Charles Barbin."
make_one Storm nature/Storm.jpg "-resize 1500x1000" \
    "Storm. Dark clouds roll over an empty road across the plain. Photo by Sergey Nazarov."
make_one Waterdrop nature/Aqua.jpg "-crop 1600x1600+960+0 +repage -resize 1024x1024" \
    "Water Drop. A falling drop makes a crown on still water. Photo by Charles Barbin."
ls -l "$OUT"
