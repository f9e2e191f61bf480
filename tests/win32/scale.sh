#!/usr/bin/env bash
# The window tests that measure the display's scale ("AtThisScale"), run at
# 96, 144 and 192 DPI (100, 150 and 200 %). Wine takes the scale from the
# registry when its server starts, so each scale gets a server of its own, in
# a prefix of its own: the other Windows tests keep running at 100 %.
#
#   tests/win32/scale.sh BUILD_DIR   (needs win32_tests.exe and a $DISPLAY)
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(cd "${1:?build folder}" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "scale: no DISPLAY: the window tests need one" >&2; exit 1; }

# The prefix the caller's tests run in is copied when it is ready; else one is made.
from=$(basename -- "${WINEPREFIX:-default}")
export SETUP_WINE_ROOT="${SETUP_WINE_ROOT:-$root/build/wine}"
bash scripts/wine-env.sh copy "$from" dpi 2>/dev/null || true
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh dpi >/dev/null || { echo "scale: no Wine prefix" >&2; exit 1; }
trap 'bash "$root/scripts/wine-env.sh" stop dpi || true' EXIT

failed=0
for dpi in 96 144 192; do
  bash scripts/wine-env.sh scale dpi "$dpi" || failed=1
  echo "== $dpi DPI"
  SETUP_EXPECT_DPI=$dpi WINEDEBUG=-all "$WINE" "$build/win32_tests.exe" \
    --gtest_filter='*AtThisScale*' --gtest_color=no 2>&1 | tr -d '\r' | tee "$build/scale-$dpi.log"
  # gtest's own verdict: every test ran and passed (wine64's status can be lost).
  grep -q '^\[  PASSED  \] 2 tests' "$build/scale-$dpi.log" || failed=1
done
[ "$failed" = 0 ] || echo "scale: a window does not fit or scale at some DPI (see above)" >&2
exit "$failed"
