#!/usr/bin/env bash
# Takes the screenshots the AppStream metainfo shows (data/screenshots/) from
# the game itself, on a virtual display: each is a saved game made and partly
# played by zivra-tool with a fixed seed, opened by the game, whose first drawn
# frame is saved. The same build gives the same pictures.
#
#   tools/screenshots/make.sh [BUILD_BIN_DIR]
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BIN=${1:-$ROOT/build/release/bin}
OUT=$ROOT/data/screenshots
JIGS=$ROOT/resources/jigs_bemo
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Nothing of the player's own: a fresh per-user folder and settings.
export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export LC_ALL=C.UTF-8

# The window is 1280 x 720 with the menu bar and the toolbar above the view.
VIEW=1280x654

# name | jigsaw | pairs to join | new-game options
shoot() {
    local name=$1 jig=$2 joins=$3; shift 3
    local game=$WORK/$name.svm
    "$BIN/zivra-tool" new-game "$JIGS/$jig" "$game" --view "$VIEW" "$@" >/dev/null
    [ "$joins" -eq 0 ] || "$BIN/zivra-tool" play "$game" --join "$joins" >/dev/null
    xvfb-run -a -s "-screen 0 1920x1200x24" \
        "$BIN/zivra-jigsaw" "$game" --size "$VIEW" --screenshot "$OUT/$name.png" 2>/dev/null
    echo "$OUT/$name.png"
}

mkdir -p "$OUT"
shoot scattered Ladybird.zjg 0 --level 9 --seed 11 --frame 1
shoot halfway Marigold.zjg 60 --level 9 --seed 5
