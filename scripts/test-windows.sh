#!/usr/bin/env bash
# Runs every Windows test (unit, GUI, display scales, end to end with the
# installers and the zips) for each build this machine can run: the 64-bit
# one under 64-bit Wine everywhere, the 32-bit one under 32-bit Wine where
# the machine runs 32-bit programs (scripts/can-run-32bit.sh). Its last
# lines say which builds were tested and why one was not. It fails when a
# tested build fails or when no build could be tested.
#
#   scripts/test-windows.sh [CTEST_ARGS...]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

summary=()
tested=0
failed=0

# test_build BUILD NAME
test_build() {
    local log
    log=$(mktemp)
    echo "== testing the $2 build ($1)"
    QUIPMARK_BUILD=$1 "$root/scripts/with-wine.sh" --private-display \
        ctest --test-dir "$root/build/$1" --output-on-failure "${@:3}" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    # CTest's closing line: "100% tests passed, 0 tests failed out of 242".
    local counts
    counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
    rm -f "$log"
    tested=$((tested + 1))
    if [ -n "$counts" ]; then
        set -- "$1" "$2" $counts
        summary+=("$2: tested, $(($4 - $3)) passed, $3 failed")
    else
        summary+=("$2: tested, but CTest reported no result (exit $status)")
    fi
    [ "$status" = 0 ] || failed=$((failed + 1))
}

test_build win64 64-bit "$@"
if why=$("$root/scripts/can-run-32bit.sh"); then
    test_build win32 32-bit "$@"
else
    summary+=("32-bit: not tested, $why")
fi

echo
printf '%s\n' "${summary[@]}"
if [ "$tested" = 0 ]; then
    echo "windows tests: no build could be tested" >&2
    exit 1
fi
[ "$failed" = 0 ]
