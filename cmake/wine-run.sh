#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# PREFIX is a Wine prefix of the build's own, made once (wineboot) by whichever
# run comes first; the others wait for it. No display unless the caller gives one.
set -eu
prefix=$1
shift
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "wine-run.sh: Wine is not installed (apt-get install wine64)" >&2; exit 127; }
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$prefix")"
if [ ! -f "$prefix/.made" ]; then
    (
        flock 9
        if [ ! -f "$prefix/.made" ]; then
            rm -rf "$prefix"
            "$wine" wineboot -i >/dev/null 2>&1 && touch "$prefix/.made"
        fi
    ) 9>"$prefix.lock"
fi
exec "$wine" "$@"
