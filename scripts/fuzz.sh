#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# starting from the committed corpus (tests/fuzz/corpus/TARGET).
#
#   scripts/fuzz.sh [SECONDS]        default 20 seconds a target
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
build=$root/build/fuzz
cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 >/dev/null
for target in "$build"/*_fuzz; do
    name=$(basename "$target" _fuzz)
    work=$(mktemp -d)
    cp "$root/tests/fuzz/corpus/$name/"* "$work/" 2>/dev/null || true
    echo "fuzzing $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=0 "$work" 2>"$work.log" || {
        tail -40 "$work.log"; echo "fuzz: $name failed"; exit 1; }
    rm -rf "$work" "$work.log"
done
echo "fuzz: every target ran clean"
