#!/usr/bin/env bash
# A long run of the rqweb response fuzz target (native, AddressSanitizer),
# over the seeds and the regression answers; what it finds new goes to a
# scratch corpus in the build tree.  Prints libFuzzer's final statistics:
# executions and time of the run.  It uses one core; run it at low priority
# (nice -n 19) on a shared machine.
#   bench/service/fuzz_long.sh [SECONDS] [RUNS]    (default 1800 s, no bound on runs)
#   bench/service/fuzz_long.sh 0 10000000           (ten million executions, however long)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-1800}
runs=${2:--1}
fuzzer="$top/build/native/fuzz/rqweb_response_fuzz"
corpus="$top/build/native/fuzz/long-corpus"
mkdir -p "$corpus"
[ -x "$fuzzer" ] || { echo "fuzz_long: build the native tree first (scripts/build)" >&2; exit 1; }
exec "$fuzzer" -max_total_time="$seconds" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -print_final_stats=1 "$corpus" "$top/fuzz/seeds" "$top/fuzz/regressions"
