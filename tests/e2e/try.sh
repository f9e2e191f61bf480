#!/usr/bin/env bash
# The try command as an author runs it: on the demo medium (every setup type,
# with the stand-in game), which must come back clean, and on a medium with a
# shortcut to a file in a subfolder written the way that does not work, which
# must fail. Needs the build folder's Setup.exe, e2e_driver.exe and
# e2e_game.exe.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=$(cd "${1:?build folder}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "try test: $*" >&2
  failed=1
}
export SETUP_TRY_HEADLESS=1 SETUP_TRY_BUILD=$build

demo=$scratch/demo
cp -r samples/demo "$demo"
cp "$build/e2e_game.exe" "$demo/Game.exe"
bash scripts/try-medium.sh "$demo" --out "$scratch/out-demo" >"$scratch/demo.log" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "the demo medium: exit $status"
[ "$(grep -c ': clean round trip$' "$scratch/demo.log")" -eq 3 ] ||
  fail "the demo medium: not three clean round trips"
for type in minimum standard full; do
  [ -f "$scratch/out-demo/$type/06-installed.png" ] || fail "no screenshot of the $type install"
done
grep -q 'Game.exe	installed$' "$scratch/demo.log" || fail "no shortcut to the installed game listed"

broken=$scratch/broken-shortcut
cp -r "$demo" "$broken"
# The link is made to "<target>\<source>": Data\Data\stage1.dat, not installed.
printf 'COPY:Data\\stage1.dat:1:1:1:<INSTALL DIR>\\Data:ｽﾃｰｼﾞ1\r\n' | iconv -f UTF-8 -t CP932 >"$scratch/line"
LC_ALL=C sed -i "/^COPY:Readme.txt/r $scratch/line" "$broken/Setup.inf"
bash scripts/try-medium.sh "$broken" --type minimum --out "$scratch/out-broken" \
  >"$scratch/broken.log" 2>&1
status=$?
[ "$status" -ne 0 ] || fail "the medium with a broken shortcut: exit 0"
grep -q 'Data\\Data\\stage1.dat	missing$' "$scratch/broken.log" ||
  fail "the broken shortcut is not listed as missing"

if [ "$failed" -ne 0 ]; then
  echo "--- demo" >&2
  tail -40 "$scratch/demo.log" >&2
  echo "--- broken shortcut" >&2
  tail -40 "$scratch/broken.log" >&2
  exit 1
fi
echo "try test: the demo round-trips clean, a broken shortcut fails the try"
