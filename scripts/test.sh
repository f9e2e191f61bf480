#!/usr/bin/env bash
# Runs every test from a fresh machine: installs what is missing, builds the
# host, sanitizer, fuzz, x86_64 and i686 configurations, checks the layers of
# the includes, runs the host tests, a short fuzz run that must reach its
# coverage floors, and the Windows-side tests under a private Wine prefix and
# Xvfb. Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

werror=${SETUP_WERROR:-ON}
jobs=${SETUP_JOBS:-2}

step() { printf '\n==== %s\n' "$*"; }

step "dependencies"
bash scripts/install-deps.sh

step "layer check of the includes in src/"
bash scripts/check-layers.sh

configure() {  # preset, extra cache settings...
  local preset=$1; shift
  cmake --preset "$preset" -DSETUP_WERROR="$werror" "$@" >/dev/null
}

step "host build and unit tests"
configure host
cmake --build build/host -j "$jobs"
ctest --test-dir build/host --output-on-failure -j "$jobs"

step "host tests under AddressSanitizer and UndefinedBehaviorSanitizer"
configure host-asan
cmake --build build/host-asan -j "$jobs"
ctest --test-dir build/host-asan --output-on-failure -j "$jobs"

step "fuzz targets (short runs)"
configure fuzz
cmake --build build/fuzz -j "$jobs" --target fuzz_script_reader fuzz_title_bitmap
ctest --test-dir build/fuzz --output-on-failure -R '^fuzz_'

step "i686 Setup.exe (built, not run: no 32-bit support here)"
configure mingw32
cmake --build build/mingw32 -j "$jobs" --target Setup
bash scripts/check-imports.sh build/mingw32/Setup.exe

step "x86_64 Setup.exe and the Windows-side tests under Wine"
configure mingw64
cmake --build build/mingw64 -j "$jobs"
bash scripts/check-imports.sh build/mingw64/Setup.exe
# Set before anything is started, so a failure on the way leaves neither the
# prefix's server nor the X server behind.
trap 'bash "$root/scripts/wine-env.sh" stop test || true; bash "$root/scripts/xvfb.sh" stop || true' EXIT
# Wine's desktop process takes the display it first sees: start X first.
display="$(bash scripts/xvfb.sh start)"
eval "$display"
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh test || { echo "test: the Wine prefix could not be set up" >&2; exit 1; }
ctest --test-dir build/mingw64 --output-on-failure
