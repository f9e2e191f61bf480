#!/usr/bin/env bash
# Copy benchmark: the installation's tree copy under Wine against `cp -r` on
# the host, over the same generated tree.
#
#   bench/run.sh [build dir]        (default: build/mingw64; needs bench_copy.exe)
#
# Tree size, from the environment:
#   BENCH_BIG_FILES   (2000)   files sharing BENCH_BIG_MB
#   BENCH_BIG_MB      (1024)   total size of the big files, MiB
#   BENCH_SMALL_FILES (20000)  small files, in folders of 1000
#   BENCH_SMALL_BYTES (1024)   size of each small file
# A quick run: BENCH_BIG_FILES=20 BENCH_BIG_MB=64 BENCH_SMALL_FILES=1000 bench/run.sh
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/mingw64}" && pwd)"
exe="$build/bench_copy.exe"
[ -f "$exe" ] || { echo "bench: $exe not built (target bench_copy)" >&2; exit 1; }

big_files="${BENCH_BIG_FILES:-2000}"
big_mb="${BENCH_BIG_MB:-1024}"
small_files="${BENCH_SMALL_FILES:-20000}"
small_bytes="${BENCH_SMALL_BYTES:-1024}"

scratch="$build/bench-scratch"
rm -rf "$scratch"
mkdir -p "$scratch"
cleanup() { rm -rf "$scratch"; }
trap cleanup EXIT

echo "bench: generating $big_files files ($big_mb MiB) + $small_files files of $small_bytes bytes"
python3 - "$scratch/src" "$big_files" "$big_mb" "$small_files" "$small_bytes" <<'PY'
import os, sys
src, big_files, big_mb, small_files, small_bytes = sys.argv[1], *map(int, sys.argv[2:])
big_size = big_mb * 1048576 // max(big_files, 1)
# One random block, rotated per file, so no two files are the same.
block = os.urandom(max(big_size, small_bytes, 1))
os.makedirs(os.path.join(src, "big"), exist_ok=True)
for i in range(big_files):
    k = (i * 7919) % len(block)
    data = (block[k:] + block[:k])[:big_size]
    with open(os.path.join(src, "big", "data%05d.bin" % i), "wb") as f:
        f.write(data)
for i in range(small_files):
    folder = os.path.join(src, "small", "set%03d" % (i // 1000))
    if i % 1000 == 0:
        os.makedirs(folder, exist_ok=True)
    k = (i * 104729) % len(block)
    with open(os.path.join(folder, "file%05d.txt" % i), "wb") as f:
        f.write((block[k:] + block[:k])[:small_bytes])
PY
files=$(find "$scratch/src" -type f | wc -l)
bytes=$(du -sb --apparent-size "$scratch/src" | cut -f1)
sync

# Windows side: the program's copy, in a prefix of its own.
source "$root/scripts/wine-env.sh" bench >/dev/null
sync
winpath() { echo "Z:${1//\//\\}"; }
win_line=$("$WINE" "$exe" "$(winpath "$scratch/src")" "$(winpath "$scratch/win")" | tr -d '\r')
bash "$root/scripts/wine-env.sh" stop bench >/dev/null 2>&1 || true
echo "wine:  $win_line"
win_seconds=$(sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' <<<"$win_line")

# Host side: cp -r of the same tree onto the same file system.
sync
start=$(date +%s.%N)
cp -r "$scratch/src" "$scratch/host"
end=$(date +%s.%N)

python3 - "$files" "$bytes" "$win_seconds" "$start" "$end" <<'PY'
import sys
files, size = int(sys.argv[1]), int(sys.argv[2])
win, host = float(sys.argv[3]), float(sys.argv[5]) - float(sys.argv[4])
mb = size / 1048576
print("tree:  %d files, %.1f MiB" % (files, mb))
print("wine:  %.3f s  %8.1f MB/s  %8.0f files/s" % (win, mb / win, files / win))
print("host:  %.3f s  %8.1f MB/s  %8.0f files/s  (cp -r)" % (host, mb / host, files / host))
print("ratio: wine/host throughput %.2f" % (host / win))
PY
