#!/usr/bin/env bash
# Runs the display-scale GUI test once at each DPI given, each time in a
# throwaway Wine prefix of its own on the current display, so that the scale
# is set before the test process starts.
#
#   display-scales.sh GUI_TESTS_EXE DPI...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1; shift
failed=
for dpi in "$@"; do
    echo "== at $dpi DPI"
    "$root/scripts/with-wine.sh" "$root/scripts/at-dpi.sh" "$dpi" \
        wine "$exe" --gtest_filter='DisplayScale.*' || failed="$failed $dpi"
done
[ -z "$failed" ] || { echo "failed at DPI:$failed" >&2; exit 1; }
