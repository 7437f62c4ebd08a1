#!/usr/bin/env bash
# Sets the display scale of the current Wine prefix, then runs a command:
#
#   scripts/at-dpi.sh DPI COMMAND...
#
# Meant for the throwaway prefix of scripts/with-wine.sh. Wine reads the DPI
# once, when a process starts, so the command's Wine programs run at DPI; the
# ones already running keep theirs. QUIPMARK_DPI is exported to the command,
# so a test can check that it really runs at that scale.
set -euo pipefail
[ -n "${WINEPREFIX:-}" ] || { echo "at-dpi: no WINEPREFIX; run me inside scripts/with-wine.sh" >&2; exit 2; }
dpi=$1; shift
# The first key gives the system DPI, the second the fonts' scale.
for key in 'HKCU\Control Panel\Desktop' 'HKCC\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
done
export QUIPMARK_DPI=$dpi
"$@"
