#!/bin/sh
# Runs a Windows test program under Wine for CTest (the builds' emulator),
# and says whether it passed. Under Wine a test process can end with status
# 0 without GoogleTest's verdict (a stack overflow ends it so), so a run
# that started a test passes only with GoogleTest's "[  PASSED  ]" or
# "[  SKIPPED ]" line. Now and then (about once in a few hundred starts)
# Wine ends a process before its main runs, with status 0 or 1 and nothing
# printed: it ran no test, and is started once more.
#
#   scripts/wine-test.sh PROGRAM.exe [ARGS...]
run() {
    output=$(WINEDEBUG=-all wine "$@" 2>&1)
    status=$?
}
run "$@"
if [ -z "$output" ]; then
    echo "wine-test: $1 printed nothing; started again" >&2
    run "$@"
fi
printf '%s\n' "$output"
if [ "$status" = 0 ] && printf '%s\n' "$output" | grep -q '^\[ RUN      \]' &&
   ! printf '%s\n' "$output" | grep -q '^\[  PASSED  \] [1-9]\|^\[  SKIPPED \]'; then
    echo "wine-test: the program ended with status 0 before GoogleTest said the test passed" >&2
    exit 1
fi
exit "$status"
