#!/usr/bin/env bash
# The Debian package that `./zivra package` built:
#   package_test.sh BUILD_DIR
# holds exactly the installed tree under /usr, depends on the libraries the
# programs link and on Qt's TIFF reader, and lintian finds no error in it.
# Skipped (status 77) when no package was built, when it is older than the
# programs, or when dpkg-deb is missing.
set -uo pipefail

BUILD=$(cd "$1" && pwd)
debs=("$BUILD"/package/zivra-jigsaw_*.deb)
DEB=${debs[0]}
skip() { echo "SKIPPED: $*"; exit 77; }
[ -f "$DEB" ] || skip "no package built (./zivra package builds one)"
command -v dpkg-deb >/dev/null || skip "no dpkg-deb"
for prog in zivra-jigsaw zivra-tool; do
    [ "$DEB" -nt "$BUILD/bin/$prog" ] || skip "the package is older than bin/$prog (./zivra package builds a new one)"
done

T=$(mktemp -d /tmp/zivra-package.XXXXXX)
trap 'rm -rf "$T"' EXIT
FAILS=0
fail() { echo "FAIL: $*"; FAILS=$((FAILS + 1)); }

# The package's files are the installed tree under /usr, no more and no less.
dpkg-deb -c "$DEB" | awk '$1 !~ /^d/ { sub(/^\.\//, "/", $6); print $6 }' | sort >"$T/deb"
cmake --install "$BUILD" --prefix "$T/usr" >/dev/null 2>&1 || fail "cmake --install failed"
# Debian keeps games and their tools in /usr/games: both programs move there.
(cd "$T" && find usr -type f -o -type l) | sed 's#^#/#; s#^/usr/bin/#/usr/games/#' |
    sort >"$T/tree"
diff "$T/tree" "$T/deb" >"$T/diff" || { fail "the package differs from the installed tree (< tree, > package):"; sed 's/^/    /' "$T/diff"; }

# Depends: what the programs link (from dpkg-shlibdeps) and what Qt loads by name.
depends=$(dpkg-deb -f "$DEB" Depends)
names=$(echo "$depends" | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for pkg in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6opengl6 \
           libqt6multimedia6 qt6-image-formats-plugins libqt6network6 libarchive13 libssl3; do
    echo "$names" | grep -qxF "$pkg" || fail "Depends lacks $pkg: $depends"
done
[ "$(dpkg-deb -f "$DEB" Section)" = games ] || fail "Section is not games"

# Programs stripped, owned by root.
dpkg-deb -x "$DEB" "$T/x"
for prog in games/zivra-jigsaw games/zivra-tool; do
    file -b "$T/x/usr/$prog" | grep -q ", stripped" || fail "usr/$prog is not stripped"
done

# The game from the unpacked package finds its resources beside /usr/games
# and opens a bundled jigsaw.
if [ -n "${DISPLAY:-}" ]; then
    mkdir -p "$T/home"
    (cd "$T/home" && env -u ZIVRA_RESOURCE_DIR HOME="$T/home" XDG_DATA_HOME="$T/home" \
        "$T/x/usr/games/zivra-jigsaw" "$T/x/usr/share/zivra-jigsaw/jigs_bemo/Daisy.zjg" \
        --size 320x240 --screenshot "$T/shot.png") >"$T/run" 2>&1 && [ -s "$T/shot.png" ] ||
        { fail "the packaged game did not open a bundled jigsaw"; sed 's/^/    /' "$T/run"; }
else
    echo "no display: the packaged game is not started"
fi
dpkg-deb -c "$DEB" | awk '$2 != "root/root" { bad = 1; print "    " $0 } END { exit bad }' ||
    fail "files in the package not owned by root"

if command -v lintian >/dev/null; then
    lintian --no-tag-display-limit "$DEB" >"$T/lintian" 2>&1
    if grep -q '^E: ' "$T/lintian"; then
        fail "lintian errors:"
        grep '^E: ' "$T/lintian" | sed 's/^/    /'
    fi
    grep '^W: ' "$T/lintian" | sed 's/^/lintian warning: /'
else
    echo "lintian is not installed: its check is left out"
fi

[ $FAILS -eq 0 ] && echo "package $(basename "$DEB"): all checks passed"
exit $((FAILS > 0))
