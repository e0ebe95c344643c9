#!/usr/bin/env bash
# Runs the package fuzzer for a bounded time on a seed corpus written by the package writer.
# Usage: scripts/fuzz-pupack.sh <pupack_fuzzer> <pupack_fuzz_seeds> <seconds> <work-folder>
# Fails on any crash, hang (10 s for one input), sanitizer report or leak; the failing input is
# kept in the work folder.
set -euo pipefail
fuzzer=$1
seeder=$2
seconds=$3
work=$4

rm -rf "$work/seeds" "$work/corpus"
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
"$seeder" "$work/seeds"

log="$work/fuzz.log"
status=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
    -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
    "$work/corpus" "$work/seeds" >"$log" 2>&1 || status=$?

tail -n 25 "$log"
if [ "$status" -ne 0 ] || grep -q -E "runtime error|ERROR: AddressSanitizer|ERROR: libFuzzer|SUMMARY:" "$log"; then
    echo "fuzz-pupack: FAILED (exit status $status), see $log and $work/artifacts/"
    exit 1
fi
echo "fuzz-pupack: no findings in $seconds s"
