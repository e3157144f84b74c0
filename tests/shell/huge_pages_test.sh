#!/bin/bash
# The game's big GL textures on huge pages: the GL driver takes its texture
# memory from the game's own posix_memalign, and the game draws the same
# first frame with huge pages as without them.
# usage: huge_pages_test.sh BUILD_DIR SOURCE_DIR   (needs a display; 77: skipped)
set -u
BUILD=$1 SOURCE=$2
GAME="$BUILD/bin/zivra-jigsaw" TOOL="$BUILD/bin/zivra-tool"
[ -n "${DISPLAY:-}" ] || { echo "no display"; exit 77; }
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# A saved game of about 1100 pieces: an atlas page of 14 MB, well above the
# size from which blocks go to huge pages.
XDG_DATA_HOME="$T/data" "$TOOL" new-game "$SOURCE/resources/jigs_bemo/Storm.zjg" "$T/game.svm" \
    --level 3 --seed 3 --view 960x600 >/dev/null || { echo "FAIL: zivra-tool new-game"; exit 1; }

shot() {  # shot NAME [VAR=VALUE...]: the first frame into $T/NAME.png
    local name=$1; shift
    env XDG_DATA_HOME="$T/data-$name" "$@" "$GAME" "$T/game.svm" --size 960x600 \
        --screenshot "$T/$name.png" >"$T/$name.log" 2>&1 && [ -s "$T/$name.png" ] ||
        { fail "the game did not open ($name)"; sed 's/^/    /' "$T/$name.log"; }
}

# The driver binds to the game's posix_memalign, not the C library's.
shot huge LD_DEBUG=bindings LD_DEBUG_OUTPUT="$T/bindings"
grep -q "swrast_dri.so .* to $GAME .*posix_memalign" "$T"/bindings.* ||
    fail "the GL driver does not allocate through the game's posix_memalign"
shot small ZIVRA_NO_HUGE_PAGES=1
cmp -s "$T/huge.png" "$T/small.png" || fail "the first frame differs with huge pages"
[ $status -eq 0 ] && echo "huge pages: same first frame, driver bound to the game's allocator"
exit $status
