#!/usr/bin/env bash
# The installed game as a desktop and a player meet it:
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
# installs into a temporary prefix, moves the prefix elsewhere, and checks
#   - the layout, the icons at every size, no path of the source or build tree;
#   - the game starting from the moved prefix (with the source and build trees
#     hidden where a mount namespace can be had) and opening a bundled jigsaw,
#     and a saved game given as a path and as a file:// address alike;
#   - nothing written into the prefix while playing;
#   - desktop-file-validate, appstreamcli validate --no-net, and that the
#     desktop entry, the MIME types, the icons and the metainfo agree;
#   - xdg-mime answering our types, by extension and by the first bytes, and
#     naming the game as the default application for both;
#   - both manual pages rendering without a warning.
set -uo pipefail

BUILD=$(cd "$1" && pwd)
SOURCE=$(cd "$2" && pwd)
VERSION=$3
APP=com.zivra.Jigsaw
JIG_TYPE=application/x-zivra-jigsaw
SAVE_TYPE=application/x-zivra-savedgame

T=$(mktemp -d /tmp/zivra-install.XXXXXX)
trap 'rm -rf "$T"' EXIT
FAILS=0
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }
check() { local what=$1; shift; "$@" >"$T/out" 2>&1 || { fail "$what"; sed 's/^/    /' "$T/out"; }; }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/debian-packages.txt lists it)"; exit 1; }; }
for tool in desktop-file-validate appstreamcli update-mime-database update-desktop-database xdg-mime man file; do
    need "$tool"
done

# ---- Install, then move the prefix where no path of the build can lead -----------------
cmake --install "$BUILD" --prefix "$T/stage" >"$T/install.log" 2>&1 || { cat "$T/install.log"; exit 1; }
P="$T/moved prefix"
cp -a "$T/stage" "$P"
rm -rf "$T/stage"

# ---- Layout -----------------------------------------------------------------------------
for f in bin/zivra-jigsaw bin/zivra-tool \
         share/zivra-jigsaw/language/english.lng share/zivra-jigsaw/language/russian.lng \
         share/zivra-jigsaw/jigs_bemo/Storm.zjg share/zivra-jigsaw/CREDITS \
         share/applications/$APP.desktop share/mime/packages/$APP.xml \
         share/metainfo/$APP.metainfo.xml \
         share/man/man6/zivra-jigsaw.6.gz share/man/man1/zivra-tool.1.gz \
         share/doc/zivra-jigsaw/copyright share/doc/zivra-jigsaw/changelog.gz; do
    [ -f "$P/$f" ] || fail "not installed: $f"
done
for f in bin/zivra-jigsaw bin/zivra-tool; do
    [ -x "$P/$f" ] || fail "not executable: $f"
done
[ ! -e "$P/share/zivra-jigsaw/icons" ] || fail "the icons belong in share/icons, not among the resources"

# Every icon the desktop entry and the MIME types name, at every size, as large as its folder says.
for size in 16 24 32 48 64 128 256 512; do
    for icon in apps/$APP mimetypes/${JIG_TYPE/\//-} mimetypes/${SAVE_TYPE/\//-}; do
        png="$P/share/icons/hicolor/${size}x${size}/$icon.png"
        if [ ! -f "$png" ]; then
            fail "no icon $icon at $size px"
        elif ! file -b "$png" | grep -q "PNG image data, $size x $size,"; then
            fail "$icon at $size px is $(file -b "$png")"
        fi
    done
done

# No installed file names the source or build tree (binaries included).
if grep -rlaF -e "$SOURCE" -e "$BUILD" "$P" >"$T/paths"; then
    fail "installed files name the build machine's trees:"
    sed 's/^/    /' "$T/paths"
fi

# ---- The desktop entry, the file types, the icons and the metainfo agree ----------------
DESKTOP="$P/share/applications/$APP.desktop"
check "desktop-file-validate" desktop-file-validate "$DESKTOP"
check "appstreamcli validate --no-net" appstreamcli validate --no-net "$P/share/metainfo/$APP.metainfo.xml"
# The metainfo with the desktop entry and the icons it leads to, as a software centre gathers them.
mkdir -p "$T/root"
ln -s "$P" "$T/root/usr"
check "appstreamcli validate-tree --no-net" appstreamcli validate-tree --no-net "$T/root"
key() { sed -n "s/^$1=//p" "$DESKTOP"; }
[ "$(key Exec)" = "zivra-jigsaw %f" ] || fail "Exec is '$(key Exec)'"
[ "$(key Icon)" = "$APP" ] || fail "Icon is '$(key Icon)'"
[ "$(key MimeType)" = "$JIG_TYPE;$SAVE_TYPE;" ] || fail "MimeType is '$(key MimeType)'"
[ "$(key Categories)" = "Game;LogicGame;" ] || fail "Categories is '$(key Categories)'"
for k in Name GenericName Comment; do
    [ -n "$(key "$k")" ] && [ -n "$(key "$k\[ru\]")" ] || fail "$k lacks English or Russian"
done
META="$P/share/metainfo/$APP.metainfo.xml"
grep -q "<launchable type=\"desktop-id\">$APP.desktop</launchable>" "$META" || fail "metainfo launches another desktop id"
grep -q "<release version=\"$VERSION\"" "$META" || fail "metainfo has no release $VERSION"
for shot in $(sed -n 's#.*<image[^>]*>.*/screenshots/\([^<]*\)</image>.*#\1#p' "$META"); do
    [ -f "$SOURCE/data/screenshots/$shot" ] || fail "metainfo shows screenshots/$shot, not in data/screenshots"
done

# ---- Manual pages -----------------------------------------------------------------------
for page in man6/zivra-jigsaw.6.gz man1/zivra-tool.1.gz; do
    MANWIDTH=80 man --warnings -E UTF-8 -l "$P/share/man/$page" >"$T/page" 2>"$T/warn" || fail "man -l $page failed"
    [ ! -s "$T/warn" ] || { fail "man -l $page warns:"; sed 's/^/    /' "$T/warn"; }
    grep -q "^EXIT STATUS" "$T/page" || fail "$page has no EXIT STATUS"
done
# Every command of the tool has its section in the tool's page.
MANWIDTH=200 man -l "$P/share/man/man1/zivra-tool.1.gz" >"$T/page" 2>/dev/null
for cmd in $("$P/bin/zivra-tool" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p'); do
    grep -q "^   $cmd\b" "$T/page" || fail "zivra-tool $cmd is not in the manual page"
done

# ---- The game from the moved prefix -----------------------------------------------------
if [ -z "${DISPLAY:-}" ]; then
    need xvfb-run
    X=(xvfb-run -a -s "-screen 0 1280x1024x24")
else
    X=()
fi
# The source and build trees are hidden behind empty folders when a mount
# namespace can be had (root, or unprivileged user namespaces); else they
# merely go unnamed.
HIDE=0
unshare -m true 2>/dev/null && HIDE=1
# Runs the game (or the tool) from the prefix with a fresh per-user folder of its own.
run_from_prefix() {
    local home=$1; shift
    mkdir -p "$home/data" "$home/config" "$home/run"
    chmod 700 "$home/run"
    local cmd=("$@")
    if [ $HIDE -eq 1 ]; then
        cmd=(unshare -m sh -c 'while [ "$1" != -- ]; do
                    # a tree inside another one is hidden with it
                    [ ! -d "$1" ] || mount -t tmpfs none "$1" || exit 90; shift
                done; shift; exec "$@"' \
             hide "$SOURCE" "$BUILD" -- "$@")
    fi
    (cd "$home" && env -u ZIVRA_RESOURCE_DIR -u ZIVRA_SOURCE_DIR -u ZIVRA_BIN_DIR \
        HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/run" \
        "${X[@]}" "${cmd[@]}")
}
snapshot() { (cd "$P" && find . -printf '%p %s %m\n' | sort && find . -type f -exec md5sum {} + | sort); }
snapshot >"$T/before"

# A bundled jigsaw, by path.
if run_from_prefix "$T/play1" "$P/bin/zivra-jigsaw" "$P/share/zivra-jigsaw/jigs_bemo/Storm.zjg" \
        --size 480x320 --screenshot "$T/shot1.png" >"$T/run1" 2>&1 && [ -s "$T/shot1.png" ]; then
    [ -f "$T/play1/data/Zivra Jigsaw Bemo/Storm.zjg" ] || fail "the bundled jigsaws were not copied to the per-user folder"
else
    fail "the installed game did not open a bundled jigsaw"
    sed 's/^/    /' "$T/run1"
fi

# A saved game made by the installed tool, opened by path and by file:// address:
# the same game gives the same first frame.
GAMES="$T/saved games"
mkdir -p "$GAMES"
check "zivra-tool new-game from the prefix" run_from_prefix "$T/tool" "$P/bin/zivra-tool" new-game \
    "$P/share/zivra-jigsaw/jigs_bemo/Storm.zjg" "$GAMES/My Storm.svm" --level 13 --seed 3 --view 480x254
run_from_prefix "$T/play2" "$P/bin/zivra-jigsaw" "$GAMES/My Storm.svm" \
    --size 480x320 --screenshot "$T/shot2.png" >"$T/run2" 2>&1 || { fail "saved game by path"; cat "$T/run2"; }
url="file://${GAMES// /%20}/My%20Storm.svm"
run_from_prefix "$T/play3" "$P/bin/zivra-jigsaw" "$url" \
    --size 480x320 --screenshot "$T/shot3.png" >"$T/run3" 2>&1 || { fail "saved game by $url"; cat "$T/run3"; }
cmp -s "$T/shot2.png" "$T/shot3.png" || fail "the file:// address opened something else than the path"
cmp -s "$T/shot1.png" "$T/shot2.png" && fail "the saved game looks like the bundled jigsaw"

snapshot >"$T/after"
diff "$T/before" "$T/after" >"$T/diff" || { fail "playing wrote into the prefix:"; sed 's/^/    /' "$T/diff"; }

# ---- File types -------------------------------------------------------------------------
check "update-mime-database" update-mime-database "$P/share/mime"
check "update-desktop-database" update-desktop-database "$P/share/applications"
F="$T/files"
mkdir -p "$F"
cp "$P/share/zivra-jigsaw/jigs_bemo/Storm.zjg" "$F/a.zjg"
cp "$F/a.zjg" "$F/jigsaw-without-extension"
cp "$GAMES/My Storm.svm" "$F/b.svm"
cp "$F/b.svm" "$F/saved-without-extension"
printf 'ZIVRA1.0X and more text\n' >"$F/almost-a-jigsaw"
printf 'just some words\n' >"$F/words"
# xdg-mime splits XDG_DATA_DIRS at spaces too: it sees the prefix through a link.
ln -s "$P" "$T/prefix"
mime() {
    env XDG_DATA_HOME="$T/empty" XDG_DATA_DIRS="$T/prefix/share:/usr/share" XDG_CONFIG_HOME="$T/empty" \
        XDG_CONFIG_DIRS="$T/empty" XDG_CURRENT_DESKTOP= DE= xdg-mime query "$@" 2>&1
}
while read -r name want; do
    got=$(mime filetype "$F/$name")
    if [ "$want" = other ]; then
        case "$got" in application/x-zivra-*) fail "$name taken for $got" ;; esac
    else
        [ "$got" = "$want" ] || fail "$name: xdg-mime says '$got', not $want"
    fi
done <<EOF
a.zjg $JIG_TYPE
jigsaw-without-extension $JIG_TYPE
b.svm $SAVE_TYPE
saved-without-extension $SAVE_TYPE
almost-a-jigsaw other
words other
EOF
for type in $JIG_TYPE $SAVE_TYPE; do
    got=$(mime default "$type")
    [ "$got" = "$APP.desktop" ] || fail "the default application for $type is '$got'"
done

[ $FAILS -eq 0 ] && echo "installed tree: all checks passed"
exit $((FAILS > 0))
