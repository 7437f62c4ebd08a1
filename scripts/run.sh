#!/usr/bin/env bash
# Starts Quipmark under Wine and waits until it exits: build/win32/quipmark.exe,
# or build/win64/quipmark.exe where the 32-bit program cannot run (or with
# QUIPMARK_BUILD=win64). Without an X display it runs on a private Xvfb,
# shows the configuration dialog there and takes a screenshot of the screen.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export QUIPMARK_PREFIX=$root/build/wine/run-prefix

if [ -n "${DISPLAY:-}" ]; then
    echo "Starting Quipmark on display $DISPLAY; it sits in the tray (right-click for the menu)."
    exec "$root/scripts/with-wine.sh" sh -c 'wine "$QUIPMARK_BUILD_DIR/quipmark.exe"'
fi

shot=$root/build/screenshots/run.png
echo "No X display: starting Quipmark on a private Xvfb."
"$root/scripts/with-wine.sh" --private-display bash -c '
    set -e
    wine "$QUIPMARK_BUILD_DIR/quipmark.exe" &
    program=$!
    probe=$QUIPMARK_BUILD_DIR/tests/qmprobe.exe
    # The window exists hidden for a moment before it first shows: wait for
    # it to show and then hide itself, or its hide timer would take away
    # the dialog shown below.
    wine "$probe" wait visible 20000 >/dev/null
    wine "$probe" wait hidden 20000 >/dev/null
    wine "$probe" post 1034 0 0x203 >/dev/null   # a double-click on the tray icon
    wine "$probe" wait shown 10000 >/dev/null
    # Shown for Windows is not yet drawn on the X screen: wait until the
    # window manager has mapped it.
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "^Quipmark\$" 2>/dev/null | head -n 1)
        if [ -n "$id" ] && xprop -id "$id" WM_STATE 2>/dev/null | grep -q "window state: Normal"; then
            break
        fi
        sleep 0.2
    done
    mkdir -p "$(dirname "$1")"
    import -window root "$1"
    echo "Screenshot of the configuration dialog ($QUIPMARK_BUILD): $1"
    echo "Quipmark runs until it is ended (Ctrl+C)."
    wait $program
' run "$shot"
