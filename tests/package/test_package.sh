#!/bin/sh
# Builds the .deb as `make deb` does, unpacks it and checks what an installed copy
# needs: its files where menus, icon themes and software centres look, metadata
# the validators accept, its dependencies, and a binary that starts and exits.
# Arguments: the build folder and the AppStream id.
set -eu
command -v dpkg-shlibdeps >/dev/null || exit 77 # not a Debian system: skipped
build=$1 id=$2 tmp=$(mktemp -d) pid=
trap 'kill $pid 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cpack --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" || { cat "$tmp/cpack.log"; exit 1; }
deb=$(echo "$tmp"/out/*.deb) usr=$tmp/root/usr
dpkg-deb -x "$deb" "$tmp/root"
depends=$(dpkg-deb -f "$deb" Depends)
for p in fonts-ipafont-gothic libqt6widgets6; do echo "$depends" | grep -qw $p || fail "Depends: $depends"; done
for f in bin/mochiten share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man1/mochiten.1.gz share/doc/mochiten/copyright; do
    [ -s "$usr/$f" ] || fail "$f missing"
done
for n in 16 22 24 32 48 64 128 256; do
    file "$usr/share/icons/hicolor/${n}x$n/apps/mochiten.png" | grep -q "PNG image data, $n x $n," || fail "no ${n}px icon"
done
desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate-tree --no-net "$tmp/root" >"$tmp/as.log" || { cat "$tmp/as.log"; exit 1; }
lintian --fail-on error "$deb"
# `make install` below a staging folder, and `make uninstall` takes all of it away again.
DESTDIR=$tmp/stage cmake --install "$build" --prefix /usr >/dev/null
[ -x "$tmp/stage/usr/bin/mochiten" ] || fail "make install put no program"
make -s -C "$(dirname "$0")/../.." uninstall BUILD_DIR="$build" DESTDIR="$tmp/stage" >/dev/null
[ -z "$(find "$tmp/stage" -type f)" ] || fail "make uninstall left $(find "$tmp/stage" -type f | head -n 1)"

# The packaged binary, on a private home and runtime folder (lock and settings):
# up once its instance socket exists, and a SIGTERM runs the exit sequence that saves.
for d in home config run cache; do mkdir -m 700 "$tmp/$d"; done
HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run XDG_CACHE_HOME=$tmp/cache \
    QT_QPA_PLATFORM=offscreen "$usr/bin/mochiten" & pid=$!
i=0; until [ -S "$tmp/run/Mochica.sock" ]; do
    i=$((i + 1)); [ $i -le 100 ] && kill -0 $pid || fail "did not start"; sleep 0.1
done
kill -TERM $pid; status=0; wait $pid || status=$?
[ $status = 0 ] && [ -s "$tmp/config/HinokiWorks.conf" ] || fail "exit status $status, settings not saved"
