#!/usr/bin/env bash
# The author's checker on a large medium: 100,000 files (of 1 KiB, in folders
# of 1,000) under the three setup types, round trips included. Prints the
# wall time and the peak memory of `setup-check`, median of the rounds.
#
#   bench/check.sh [host build dir]   (default: build/host-release, configured
#                                      here as a Release build and built when
#                                      it has no setup-check)
#
#   BENCH_CHECK_FILES   (100000)  files in the medium
#   BENCH_ROUNDS        (3)       runs of the checker
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/host-release}
files=${BENCH_CHECK_FILES:-100000}
rounds=${BENCH_ROUNDS:-3}

if [ ! -x "$build/setup-check" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "${SETUP_JOBS:-2}" --target setup-check >/dev/null
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
medium=$scratch/medium
python3 "$root/bench/payload.py" "$medium/Data" "$files" 1024 1000
cp "$root/samples/demo/title.bmp" "$root/samples/demo/Game.exe" "$medium/"
# The minimum type takes the game, the standard a tenth of the data, the
# full all of it.
# Japanese names, as a product has them: every lookup below the install
# folder compares them without case.
printf '%s\r\n' '[Setup]' 'TITLE_BMP=title.bmp' 'BRAND_NAME=ﾍﾞﾝﾁ' 'GAME_NAME=大きな見本' \
  'MENU_NAME=大きな見本' 'INSTALL_DIR=ﾍﾞﾝﾁ\大きな見本' 'REG_ROOT_KEY_NAME=Large' \
  'GAME_EXE_NAME=Game.exe' '[Files]' 'COPY:Game.exe:1:1:1:<INSTALL DIR>:大きな見本' \
  'COPY DIR:Data\set000:0:1:0:<INSTALL DIR>\:' 'COPY DIR:Data:0:0:1:<INSTALL DIR>\:' \
  '[Registory]' 'CREATE REG:INSTALL:1:1:1:0:<INSTALL DIR>' '[Uninstall]' \
  'DELETE DIR:<INSTALL DIR>' 'DELETE REG:<REG ROOT>' 'DELETE MENU:<MENU DIR>' |
  iconv -f UTF-8 -t CP932 >"$medium/Setup.inf"

echo "setup-check on $files files, $rounds rounds:"
results=()
for ((i = 0; i < rounds; i++)); do
  /usr/bin/time -f '%e %M' -o "$scratch/time" "$build/setup-check" "$medium" >"$scratch/out" || {
    cat "$scratch/out"
    echo "bench: the medium does not check clean" >&2
    exit 1
  }
  results+=("$(cat "$scratch/time")")
done
grep -E '^(minimum|standard|full) ' "$scratch/out"
printf '%s\n' "${results[@]}" | sort -n | sed -n "$(((rounds + 1) / 2))p" |
  awk '{ printf "median: %.2f s, peak memory %.0f MiB\n", $1, $2 / 1024 }'
