#!/usr/bin/env bash
# One short libFuzzer run that must also reach a minimum coverage.
#
#   tests/fuzz/run.sh TARGET SCRATCH SEEDS [LIBFUZZER FLAG...]
#
# Runs TARGET with the flags over SCRATCH (first: new inputs are written there)
# and the checked-in SEEDS, then reads the "cov: N" of libFuzzer's final line
# and fails when N is below the floor listed for TARGET in coverage-floors.txt.
# A build whose parsers lost their coverage instrumentation still runs and
# finds nothing; only the coverage it reports gives it away.
set -uo pipefail

if [ $# -lt 3 ]; then
    echo "usage: $0 TARGET SCRATCH SEEDS [LIBFUZZER FLAG...]" >&2
    exit 2
fi
target=$1 scratch=$2 seeds=$3
shift 3
name="$(basename "$target")"
floors="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/coverage-floors.txt"

floor="$(awk -v t="$name" '$1 == t { print $2 }' "$floors")"
case "$floor" in
'' | *[!0-9]*)
    echo "fuzz: no coverage floor for $name in $floors" >&2
    exit 2
    ;;
esac
[ -d "$seeds" ] || { echo "fuzz: no seed folder $seeds" >&2; exit 2; }
mkdir -p "$scratch" || exit 2

log="$scratch.log"
"$target" "$@" "$scratch" "$seeds" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
    echo "fuzz: $name failed (exit status $status)" >&2
    exit "$status"
fi

cov="$(sed -n 's/.*[[:space:]]DONE[[:space:]]*cov: \([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)"
if [ -z "$cov" ]; then
    echo "fuzz: $name printed no final coverage line (see $log)" >&2
    exit 1
fi
if [ "$cov" -lt "$floor" ]; then
    echo "fuzz: $name reached coverage $cov, below its floor $floor:" \
        "is the code under test built with -fsanitize=fuzzer-no-link?" >&2
    exit 1
fi
echo "fuzz: $name coverage $cov (floor $floor)"
