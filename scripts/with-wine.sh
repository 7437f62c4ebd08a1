#!/usr/bin/env bash
# Runs a command with Wine ready for Quipmark: a booted prefix of its own (a
# copy of a template booted once under build/wine) and an X display.
#
#   scripts/with-wine.sh [--private-display] COMMAND...
#
# QUIPMARK_BUILD names the build the command runs: win32 (the 32-bit program
# under 32-bit Wine) or win64 (the 64-bit program under 64-bit Wine). Unset,
# it is win32 where this machine runs 32-bit programs and win64 elsewhere.
# It is exported to the command, as QUIPMARK_BUILD_DIR (build/win32 or
# build/win64) is, and `wine`, `wineserver` and `wineboot` on the command's
# PATH are the ones of that build.
#
# QUIPMARK_PREFIX=DIR keeps a prefix between runs instead, DIR-win32 or
# DIR-win64: a prefix is of one kind for good.
#
# With --private-display, or when DISPLAY is not set, a private Xvfb is started
# and stopped again. WINEPREFIX and DISPLAY are exported to the command; the
# prefix and every Wine process of it are gone when the command ends, unless
# QUIPMARK_KEEP_PREFIX=1.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
private=0
if [ "${1:-}" = "--private-display" ]; then private=1; shift; fi
[ -n "${DISPLAY:-}" ] || private=1

if [ -z "${QUIPMARK_BUILD:-}" ]; then
    if why=$("$root/scripts/can-run-32bit.sh"); then
        QUIPMARK_BUILD=win32
    else
        QUIPMARK_BUILD=win64
        echo "with-wine: the 64-bit build, since the 32-bit one cannot run here: $why" >&2
    fi
fi
export QUIPMARK_BUILD QUIPMARK_BUILD_DIR=$root/build/$QUIPMARK_BUILD
wine_dir=$root/build/wine
case $QUIPMARK_BUILD in
win32)
    export WINEARCH=win32
    ;;
win64)
    # Debian's `wine` and its helpers pick the 32-bit loader whenever it is
    # installed; these stand-ins make every Wine command of the run 64-bit.
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    bin=$wine_dir/bin64
    mkdir -p "$bin"
    # Replaced in one step: a run inside this one writes them again while
    # Wine commands of this one may be starting them.
    stand_in() {  # NAME COMMAND...
        printf '#!/bin/sh\nexec %s "$@"\n' "${*:2}" >"$bin/$1.$$"
        chmod +x "$bin/$1.$$"
        mv -f "$bin/$1.$$" "$bin/$1"
    }
    for name in wine wine64 wine-stable; do stand_in "$name" /usr/lib/wine/wine64; done
    stand_in wineserver /usr/lib/wine/wineserver64
    stand_in wineboot /usr/lib/wine/wine64 wineboot
    export PATH=$bin:$PATH
    ;;
*)
    echo "with-wine: QUIPMARK_BUILD is win32 or win64, not $QUIPMARK_BUILD" >&2
    exit 2
    ;;
esac
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts to install Mono or Gecko: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
template=$wine_dir/template-$QUIPMARK_BUILD
mkdir -p "$wine_dir"

xvfb_pid=
wm_pid=
prefix=
cleanup() {
    if [ -n "$prefix" ]; then
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
        [ "${QUIPMARK_KEEP_PREFIX:-0}" = 1 ] || rm -rf "$prefix"
    fi
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ "$private" = 1 ]; then
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
    [ -s "$displayfile" ] || { echo "with-wine: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=:$(cat "$displayfile")
    rm -f "$displayfile"
    # Ctrl+Alt+F1..F12 would switch virtual terminals instead of reaching Wine.
    setxkbmap -option srvrkeys:none >/dev/null 2>&1 || true
    # A window manager: without one, Wine waits two seconds for every window
    # it hides or destroys.
    openbox >/dev/null 2>&1 </dev/null &
    wm_pid=$!
fi

# Booting a prefix takes seconds; a copy of a booted one takes less than one.
if [ ! -f "$template/.booted" ]; then
    rm -rf "$template"
    WINEPREFIX=$template wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template wineserver -w
    touch "$template/.booted"
fi
if [ -n "${QUIPMARK_PREFIX:-}" ]; then
    # A prefix that lives on between runs, for people running the program.
    prefix=$QUIPMARK_PREFIX-$QUIPMARK_BUILD
    [ -f "$prefix/.booted" ] || { mkdir -p "$prefix"; cp -a "$template/." "$prefix/"; }
    export WINEPREFIX=$prefix
    QUIPMARK_KEEP_PREFIX=1
else
    prefix=$(mktemp -d "$wine_dir/prefix.XXXXXX")
    cp -a "$template/." "$prefix/"
    export WINEPREFIX=$prefix
fi

# A persistent wineserver and a booted prefix, with every background process's
# output kept away from the caller's pipes.
wineserver -p >/dev/null 2>&1 </dev/null
wine wineboot >/dev/null 2>&1 </dev/null || true
# The first window of a display starts Wine's desktop process, which would
# otherwise inherit the pipes of whichever program came first and hold them
# open; a hidden window of our own starts it here instead.
probe=$QUIPMARK_BUILD_DIR/tests/qmprobe.exe
if [ -f "$probe" ]; then
    wine "$probe" idle >/dev/null 2>&1 </dev/null &
fi

"$@"
