#!/usr/bin/env bash
# Builds Setup.exe and runs it on the bundled demo medium in a private Wine
# prefix. With a $DISPLAY the program opens there and this script waits for it
# to end; without one it runs under a private Xvfb and saves screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/install-deps.sh
cmake --preset mingw64 >/dev/null
cmake --build build/mingw64 -j "${SETUP_JOBS:-2}" --target Setup

headless=0
if [ -z "${DISPLAY:-}" ] || [ "${SETUP_DEMO_HEADLESS:-0}" = 1 ]; then
  headless=1
  # Wine's desktop process keeps the display it first saw: start X first.
  eval "$(bash scripts/xvfb.sh start)"
  trap 'bash "$root/scripts/wine-env.sh" stop demo || true; bash "$root/scripts/xvfb.sh" stop || true' EXIT
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
cp build/mingw64/Setup.exe "$medium/"
chmod a-w "$medium/Save/save.dat"

run_setup() { (cd "$medium" && /usr/lib/wine/wine64 Setup.exe); }

if [ "$headless" = 0 ]; then
  echo "demo: running Setup.exe on $medium (display $DISPLAY)"
  run_setup
  bash scripts/wine-env.sh stop demo
  exit 0
fi

out="$root/out/demo"
mkdir -p "$out"
echo "demo: no display; running Setup.exe under Xvfb $DISPLAY"
run_setup &
pid=$!
sleep "${SETUP_DEMO_WAIT:-4}"
import -display "$DISPLAY" -window root "$out/launcher.png"
echo "demo: screenshot of the launcher: $out/launcher.png"
bash scripts/wine-env.sh stop demo || true
wait "$pid" 2>/dev/null || true
