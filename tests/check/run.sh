#!/usr/bin/env bash
# Runs the author's checker (the command given, e.g. build/host/setup-check or
# wine64 SetupCheck.exe) on the demo medium, which must check clean with a
# clean round trip for every setup type, and on the broken sample, whose
# report must be exactly the one docs/setup-inf.md shows.
set -uo pipefail
cd "$(dirname "$0")/../.."
checker=("$@")
failed=0
fail() {
  echo "check: $*" >&2
  failed=1
}

out=$("${checker[@]}" samples/demo)
status=$?
[ "$status" -eq 0 ] || fail "samples/demo: exit $status, not 0"
[ "$(grep -c 'clean round trip' <<<"$out")" -eq 3 ] || fail "samples/demo: not three clean round trips:
$out"
grep -q ': \(error\|warning\):' <<<"$out" && fail "samples/demo has findings:
$out"

out=$("${checker[@]}" samples/broken)
status=$?
[ "$status" -eq 1 ] || fail "samples/broken: exit $status, not 1"
diff -u tests/check/broken.expected <(printf '%s\n' "$out") >&2 || fail "samples/broken: the report differs"
# The guide shows the same report.
awk '/`samples\/broken` holds one/ { found = 1 } found && /^```$/ { inside = !inside; if (!inside) exit; next }
     inside' docs/setup-inf.md | diff -u tests/check/broken.expected - >&2 ||
  fail "docs/setup-inf.md shows another report of samples/broken"

json=$("${checker[@]}" --json samples/broken)
codes=$(grep -o '"code":"[a-z0-9-]*"' <<<"$json" | sort -u | wc -l)
[ "$codes" -ge 24 ] || fail "samples/broken --json: $codes classes of finding, not every one"

"${checker[@]}" --werror samples/demo >/dev/null || fail "samples/demo fails with --werror"
"${checker[@]}" samples/no-such-medium >/dev/null 2>&1
status=$?
[ "$status" -eq 2 ] || fail "a missing folder: exit $status, not 2"

[ "$failed" -eq 0 ] && echo "check: the demo checks clean, the broken sample gives its report"
exit "$failed"
