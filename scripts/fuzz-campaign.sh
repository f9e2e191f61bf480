#!/usr/bin/env bash
# A longer fuzz campaign than the test command's short runs: each libFuzzer
# target (coverage-guided, ASan+UBSan) runs for a number of executions, then
# a line per target gives the executions, the coverage, the findings, the
# slowest input and the peak memory.
#
#   scripts/fuzz-campaign.sh [EXECUTIONS] [TARGET...]   (default 10000000, every target)
#
# An input that crashes, leaks, takes longer than 1 s or needs more than
# 2 GiB is a finding: it is kept in build/fuzz/campaign/<target>/ and the
# script exits 1. Copy a reproducer into tests/fuzz/corpus/<target>/ once its
# fault is mended: the test command replays every seed there.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10000000}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_script_reader fuzz_title_bitmap)

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "${SETUP_JOBS:-2}" --target "${targets[@]}" >/dev/null

status=0
printf '%-20s %12s %8s %9s %12s %9s %8s\n' target executions cov findings "slowest(s)" "peak(MB)" seconds
for target in "${targets[@]}"; do
    work="build/fuzz/campaign/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/findings"
    log="$work/fuzz.log"
    start=$(date +%s)
    # -timeout=1: an input slower than a second is a finding; -rss_limit_mb:
    # so is one that needs more than 2 GiB.
    set +e
    "build/fuzz/$target" -runs="$runs" -timeout=1 -rss_limit_mb=2048 -max_len=4096 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" \
        "$work/corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1
    code=$?
    set -e
    seconds=$(($(date +%s) - start))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
    slowest=$(sed -n 's/^stat::slowest_unit_time_sec: *//p' "$log" | tail -n 1)
    cov=$(sed -n 's/.*[[:space:]]DONE[[:space:]]*cov: \([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)
    findings=$(find "$work/findings" -type f | wc -l)
    printf '%-20s %12s %8s %9s %12s %9s %8s\n' "$target" "${executions:-?}" "${cov:-?}" \
        "$findings" "${slowest:-?}" "${peak:-?}" "$seconds"
    if [ "$code" -ne 0 ] || [ "$findings" -ne 0 ]; then
        echo "fuzz-campaign: $target found something (exit $code); see $log and $work/findings/" >&2
        status=1
    fi
done
exit $status
