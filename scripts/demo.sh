#!/usr/bin/env bash
# Builds Setup.exe and runs it on the bundled demo medium in a private Wine
# prefix. With a $DISPLAY the program opens there and this script waits for it
# to end; without one it runs under a private Xvfb, where the end-to-end
# driver walks through the launcher and saves screenshots in out/demo/ (and
# the launcher and the wizard at 200 % in out/demo/200/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# SETUP_DEMO_BUILD picks another build folder (default build/mingw64).
build="${SETUP_DEMO_BUILD:-build/mingw64}"

bash scripts/install-deps.sh
cmake --preset mingw64 -B "$build" >/dev/null
cmake --build "$build" -j "${SETUP_JOBS:-2}" --target Setup e2e_game e2e_driver

headless=0
if [ -z "${DISPLAY:-}" ] || [ "${SETUP_DEMO_HEADLESS:-0}" = 1 ]; then
  headless=1
  # Wine's desktop process keeps the display it first saw: start X first. Its
  # own state folder keeps a concurrent test run's Xvfb out of this one's stop.
  export SETUP_XVFB_DIR="${SETUP_XVFB_DIR:-$root/build/xvfb-demo}"
  trap 'bash "$root/scripts/wine-env.sh" stop demo || true; bash "$root/scripts/xvfb.sh" stop || true' EXIT
  display="$(bash scripts/xvfb.sh start)"
  eval "$display"
fi
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh demo || { echo "demo: the Wine prefix could not be set up" >&2; exit 1; }

# The medium is staged on drive C: of the prefix, as a user's CD folder would
# be; the read-only attribute of the save file is set here because git does
# not keep it.
medium="$WINEPREFIX/drive_c/demo"
rm -rf "$medium"
mkdir -p "$medium"
cp -r samples/demo/. "$medium/"
cp "$build/Setup.exe" "$medium/"
# The demo's game is the stand-in the end-to-end tests use.
cp "$build/e2e_game.exe" "$medium/Game.exe"
chmod a-w "$medium/Save/save.dat"

run_setup() { (cd "$medium" && "$WINE" Setup.exe); }

if [ "$headless" = 0 ]; then
  echo "demo: running Setup.exe on $medium (display $DISPLAY)"
  run_setup
  bash scripts/wine-env.sh stop demo
  exit 0
fi

out="$root/out/demo"
requests="$root/build/demo-requests"
mkdir -p "$out" "$requests"
rm -f "$out"/*.png "$out/driver.log" "$out/setup.log" "$out/runner.log" "$requests"/request.*
echo "demo: no display; walking through the launcher under Xvfb $DISPLAY"
# shellcheck source=tests/e2e/serve.sh
source tests/e2e/serve.sh
walk() {  # scenario name, output folder
  mkdir -p "$2"
  rm -f "$2"/*.png "$requests"/request.*
  "$WINE" "$build/e2e_driver.exe" --requests "$(e2e_windows_path "$requests")" \
    "$(e2e_windows_path "$root/tests/e2e/scenarios/$1.txt")" >"$2/driver.log" 2>&1 &
  e2e_serve_driver $! "$requests" "$2" "$medium" 120
}
# At 100 %, then the launcher and the wizard at 200 % into out/demo/200/; the
# prefix is left at 100 % for the next run with a display.
status=0
walk demo-walkthrough "$out" || status=$?
if [ "$status" -eq 0 ]; then
  bash scripts/wine-env.sh scale demo 192
  walk demo-walkthrough-200 "$out/200" || status=$?
  bash scripts/wine-env.sh scale demo 96
fi
bash scripts/wine-env.sh stop demo || true
if [ "$status" -ne 0 ]; then
  echo "demo: the walk-through stopped early:" >&2
  cat "$out/driver.log" "$out/200/driver.log" 2>/dev/null | grep -A3 -e 'step failed' -e '^e2e:' >&2
fi
echo "demo: screenshots in $out:"
for shot in "$out"/*.png "$out"/200/*.png; do
  [ -e "$shot" ] && echo "  $shot"
done
exit "$status"
