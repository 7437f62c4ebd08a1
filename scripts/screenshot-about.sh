#!/usr/bin/env bash
# Takes a screenshot of the About box: starts a copy of build/win32/quipmark.exe
# (with a data file of its own) under Wine on a private display, shows the
# configuration dialog, presses "A&bout..." and captures the box's window.
#
#   scripts/screenshot-about.sh [OUTPUT.png]     default build/screenshots/about.png
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
shot=$(realpath -m "${1:-$root/build/screenshots/about.png}")

# Wine and a display of our own first.
if [ -z "${WINEPREFIX:-}" ]; then
    exec "$root/scripts/with-wine.sh" --private-display "$0" "$shot"
fi

probe() { wine "$root/build/win32/tests/qmprobe.exe" "$@"; }
folder=$(mktemp -d)
program=
finish() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    rm -rf "$folder"
}
trap finish EXIT

cp "$root/build/win32/quipmark.exe" "$folder/"
wine "$folder/quipmark.exe" </dev/null >/dev/null 2>&1 &
program=$!
probe wait hidden 20000 >/dev/null
probe post 0x111 32773 0 >/dev/null        # "&Configure...": shows the dialog
probe wait shown 10000 >/dev/null
probe post 0x111 1013 0 >/dev/null         # "A&bout..."
probe window "About Quipmark" 10000 >/dev/null
# Mapped now; give Wine and the window manager a moment to paint it.
sleep 1
read -r x y width height < <(probe rect "About Quipmark" | tr -d "\r")
# The window manager's title bar and frame lie around the window.
title=24
frame=4
mkdir -p "$(dirname "$shot")"
import -window root -crop "$((width + 2 * frame))x$((height + title + frame))+$((x - frame))+$((y - title))" \
    +repage "$shot"
echo "Screenshot of the About box: $shot"

probe windowpost "About Quipmark" 0x111 1 0 >/dev/null
probe post 0x111 32774 0 >/dev/null         # "&Exit"
wait "$program" || true
program=
