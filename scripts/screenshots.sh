#!/usr/bin/env bash
# Takes the README's screenshots under Wine on a private display: the
# configuration dialog, the tray menu, the popup narrowed by typing and the About box, from a copy of
# build/win32/quipmark.exe (build/win64 where the 32-bit one cannot run)
# with a small sample data file; then, in a prefix
# of its own set to 144 DPI, the dialog with the search panel shown.
#
#   scripts/screenshots.sh [FOLDER]      default docs/screenshots
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scaled=0
if [ "${1:-}" = "--scaled" ]; then scaled=1; shift; fi
out=$(realpath -m "${1:-$root/docs/screenshots}")

if [ -z "${WINEPREFIX:-}" ]; then
    exec "$root/scripts/with-wine.sh" --private-display "$0" "$out"
fi

probe() { wine "$QUIPMARK_BUILD_DIR/tests/qmprobe.exe" "$@"; }
folder=$(mktemp -d)
program=
finish() {
    [ -z "$program" ] || kill "$program" 2>/dev/null || true
    rm -rf "$folder"
}
trap finish EXIT

# The same frame the window manager draws around every window.
title=24
frame=4
capture() {  # capture CAPTION FILE
    read -r x y width height < <(probe rect "$1" | tr -d "\r")
    import -window root -crop "$((width + 2 * frame))x$((height + title + frame))+$((x - frame))+$((y - title))" \
        +repage "$2"
    echo "Screenshot: $2"
}
# Wine and the window manager paint a window shortly after it maps.
settle() { sleep 1; }

mkdir -p "$out"
cp "$QUIPMARK_BUILD_DIR/quipmark.exe" "$folder/"
python3 - "$folder/quipmark.dat" <<'PY'
import struct, sys
def rec(tag, text):
    data = text.encode('cp1252')
    return tag + struct.pack('<I', len(data)) + data
entries = [(b'K', 'Kind regards,\r\nAlex'), (b'K', 'Addresses'), (b'e', '12 Harbour Road, Easton'),
           (b'e', 'alex@example.com'), (b'K', 'Meeting notes template'), (b'K', 'Phone numbers'),
           (b'e', 'Office: +1 555 0100'), (b'e', 'Mobile: +1 555 0199')]
open(sys.argv[1], 'wb').write(b''.join(rec(t, s) for t, s in entries))
PY
printf 'Copied text from another program' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
xclip_pid=$!
probe regset MaxLength 30 >/dev/null   # a roomier menu than the first start's 10
wine "$folder/quipmark.exe" </dev/null >/dev/null 2>&1 &
program=$!
probe wait visible 20000 >/dev/null
probe wait hidden 20000 >/dev/null
sleep 3   # Wine takes the X clipboard over on its next poll
kill "$xclip_pid" 2>/dev/null || true

if [ "$scaled" = 1 ]; then
    probe post 0x111 32773 0 >/dev/null      # "&Configure...": shows the dialog
    probe wait shown 10000 >/dev/null
    probe post 0x111 1035 0 >/dev/null       # "<< Sear&ch": shows the search panel
    settle
    capture Quipmark "$out/dialog-144dpi.png"
    probe post 0x111 32774 0 >/dev/null      # "&Exit"
    wait "$program" || true
    program=
    exit 0
fi

xdotool mousemove 300 150
probe post 0x40a 0 0x205 >/dev/null          # a right click on the tray icon
probe wait menu 10000 >/dev/null
probe menukeys 0x28 0x28 0x28 0x27 >/dev/null  # down to "Addresses" and into it
settle
import -window root -crop 420x200+295+145 +repage "$out/tray-menu.png"
echo "Screenshot: $out/tray-menu.png"
probe keys 0x1b 0x1b >/dev/null
probe wait nomenu 10000 >/dev/null

probe post 0x40a 0 0x205 >/dev/null          # the tray menu again, at the same place
probe wait menu 10000 >/dev/null
probe type 616c6578 >/dev/null               # "alex" typed in it
probe wait popup 10000 >/dev/null
settle
read -r left top right bottom < <(probe popup | head -n 1 | tr -d "\r")
import -window root -crop "$((right - left + 24))x$((bottom - top + 24))+$((left - 12))+$((top - 12))" \
    +repage "$out/popup-find.png"
echo "Screenshot: $out/popup-find.png"
probe keys 0x1b >/dev/null                   # the whole menu again,
probe wait menu 10000 >/dev/null
probe keys 0x1b >/dev/null                   # then closed
probe wait nomenu 10000 >/dev/null

probe post 0x111 32773 0 >/dev/null          # "&Configure...": shows the dialog
probe wait shown 10000 >/dev/null
settle
capture Quipmark "$out/dialog.png"

probe post 0x111 1013 0 >/dev/null           # "A&bout..."
probe window "About Quipmark" 10000 >/dev/null
settle
capture "About Quipmark" "$out/about.png"

probe windowpost "About Quipmark" 0x111 1 0 >/dev/null
probe post 0x111 32774 0 >/dev/null          # "&Exit"
wait "$program" || true
program=

# The same dialog at 150 % display scale, in a prefix of its own: Wine reads
# the scale when a program starts.
"$root/scripts/with-wine.sh" "$root/scripts/at-dpi.sh" 144 "$0" --scaled "$out"
