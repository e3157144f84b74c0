#!/bin/sh
# Makes the pictures of the help pages from the game itself: the game opens a
# bundled jigsaw on a virtual display (Xvfb), its first frame is saved, scaled
# down and stored beside the pages of every language.
#
#   tools/help-shots/make-help-shots.sh [path/to/zivra-jigsaw]
#
# Needs xvfb-run and ImageMagick (convert). Touches no per-user files: the game
# runs with a fresh XDG_DATA_HOME.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
game=${1:-$root/build/release/bin/zivra-jigsaw}
jigsaw=$root/resources/jigs_bemo/Daisy.zjg
[ -x "$game" ] || { echo "no game at $game (build it first)" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

XDG_DATA_HOME=$tmp xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$game" --size 960x640 --screenshot "$tmp/game.png" "$jigsaw"
[ -s "$tmp/game.png" ] || { echo "the game wrote no picture" >&2; exit 1; }

# Stripped of dates and text chunks so the same frame gives the same file.
convert "$tmp/game.png" -resize 640x -strip -define png:exclude-chunks=date,time "$tmp/small.png"
for help in "$root"/resources/language/*-help; do
    cp "$tmp/small.png" "$help/shot-game.png"
    echo "wrote $help/shot-game.png"
done
