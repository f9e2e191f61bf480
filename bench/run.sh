#!/usr/bin/env bash
# Copy and measuring benchmark: the installation's tree copy under Wine
# against its peers over the same generated trees, and the measuring walk
# against `du -sb` and `dir /s`.
#
#   bench/run.sh [build dir]   (default: build/mingw64; needs Setup.exe,
#                               bench_engine.exe, bench_startup.exe and
#                               bench_dialog.exe, targets of the same names)
#
# Peers of the copy, each run several rounds on a fresh destination, wall time
# of the whole command (a Wine process start included, as for the engine):
#   engine  bench_engine.exe copy (the installation's tree copy on the real Os)
#   xcopy   Wine's `xcopy /E /I`
#   nsis    an installer made here by makensis (stub amd64-unicode,
#           `SetCompress off`), run with /S; the nsis package is installed
#           when makensis is missing (needs root)
#   cp      `cp -r` on the host
# Then: MeasureTree over many files against `du -sb` (host) and `dir /s`
# (Wine); the longest gap between two message pumps while one huge file is
# copied and while the many files are measured; the engine's peak working set
# during the small-file copy; and the start-up of Setup.exe on the demo medium
# (process start to its launcher window visible) against the smallest dialog
# program of ours, under a private Xvfb when there is no $DISPLAY.
#
# Sizes, from the environment (a quick run: BENCH_ROUNDS=1
# BENCH_MEASURE_FILES=5000 BENCH_HUGE_MB=256 bench/run.sh):
#   BENCH_ROUNDS        (5)       rounds per peer; the median is printed
#   BENCH_SMALL_FILES   (3000)    small files, in folders of 100
#   BENCH_SMALL_BYTES   (4096)    size of each small file
#   BENCH_LARGE_FILES   (16)      large files, in one folder
#   BENCH_LARGE_MB      (16)      size of each large file, MiB
#   BENCH_MEASURE_FILES (100000)  files to measure, in folders of 1000
#   BENCH_HUGE_MB       (2048)    the one file copied for the pump gaps, MiB
#   BENCH_WINE_PREFIX   (bench)   name of the Wine prefix (scripts/wine-env.sh)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="$(cd "${1:-$root/build/mingw64}" && pwd)"
for exe in Setup bench_engine bench_startup bench_dialog; do
    [ -f "$build/$exe.exe" ] || { echo "bench: $build/$exe.exe not built (target $exe)" >&2; exit 1; }
done

rounds="${BENCH_ROUNDS:-5}"
small_files="${BENCH_SMALL_FILES:-3000}"
small_bytes="${BENCH_SMALL_BYTES:-4096}"
large_files="${BENCH_LARGE_FILES:-16}"
large_mb="${BENCH_LARGE_MB:-16}"
measure_files="${BENCH_MEASURE_FILES:-100000}"
huge_mb="${BENCH_HUGE_MB:-2048}"

if ! command -v makensis >/dev/null; then
    echo "bench: installing makensis (Debian package nsis)" >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends nsis >/dev/null
fi

scratch="$build/bench-scratch"
rm -rf "$scratch"
mkdir -p "$scratch"
cleanup() {
    bash "$root/scripts/wine-env.sh" stop "${BENCH_WINE_PREFIX:-bench}" >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap cleanup EXIT

# Wine's desktop process keeps the display it first saw: X before Wine.
if [ -z "${DISPLAY:-}" ]; then
    export SETUP_XVFB_DIR="$build/bench-xvfb"
    eval "$(bash "$root/scripts/xvfb.sh" start)"
    trap 'cleanup; bash "$root/scripts/xvfb.sh" stop || true' EXIT
fi

payload() { python3 "$here/payload.py" "$@"; }
winpath() { echo "Z:${1//\//\\}"; }
now() { date +%s.%N; }
median() { python3 -c 'import statistics,sys; print("%.3f" % statistics.median(map(float, sys.argv[1:])))' "$@"; }

# The set-up tolerates a server that already runs; -e would not.
set +e
source "$root/scripts/wine-env.sh" "${BENCH_WINE_PREFIX:-bench}" >/dev/null
set -e

# An installer that puts the tree below /D=<folder>, stored, not compressed.
make_nsis() {
    local src="$1" exe="$2"
    cat >"$scratch/peer.nsi" <<NSI
Unicode true
Target amd64-unicode
SetCompress off
SilentInstall silent
RequestExecutionLevel user
Name "bench"
OutFile "$exe"
InstallDir "\$TEMP\\bench"
Section
  SetOutPath "\$INSTDIR"
  File /r "$src/*.*"
SectionEnd
NSI
    makensis -V1 "$scratch/peer.nsi" >/dev/null
}

# One round of one peer: prints its wall time in seconds.
run_peer() {
    local peer="$1" src="$2" out="$3" start end
    rm -rf "$out"
    sync
    start=$(now)
    case "$peer" in
        engine) "$WINE" "$build/bench_engine.exe" copy "$(winpath "$src")" "$(winpath "$out")" |
                    tr -d '\r' >"$scratch/engine.line" ;;
        xcopy) "$WINE" xcopy /E /I "$(winpath "$src")" "$(winpath "$out")" >/dev/null 2>&1 ;;
        nsis) "$WINE" "$scratch/peer.exe" /S "/D=$(winpath "$out")" ;;
        cp) cp -r "$src" "$out" ;;
    esac
    end=$(now)
    local copied
    copied=$(find "$out" -type f | wc -l)
    [ "$copied" -eq "$(find "$src" -type f | wc -l)" ] ||
        { echo "bench: $peer copied $copied files" >&2; exit 1; }
    python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$start" "$end"
}

field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" "$2"; }

# What starting a Wine process costs, part of every Wine peer's wall time.
starts=()
for ((r = 1; r <= rounds; r++)); do
    start=$(now)
    "$WINE" cmd /c exit
    starts+=("$(python3 -c 'import sys,time; print(time.time() - float(sys.argv[1]))' "$start")")
done
wine_start=$(median "${starts[@]}")

results="$scratch/results"
: >"$results"
for set in small large; do
    src="$scratch/$set"
    if [ "$set" = small ]; then
        payload "$src" "$small_files" "$small_bytes" 100
        label="$small_files files of $((small_bytes / 1024)) KiB"
    else
        payload "$src" "$large_files" $((large_mb * 1048576)) 0
        label="$large_files files of $large_mb MiB"
    fi
    make_nsis "$src" "$scratch/peer.exe"
    declare -A times=()
    inner=()
    peers=(engine xcopy nsis cp)
    for ((r = 1; r <= rounds; r++)); do
        # Each round starts with another peer, so none always runs first
        # after the generation (the shared machine's noise varies).
        for ((p = 0; p < 4; p++)); do
            peer=${peers[$(((p + r) % 4))]}
            times[$peer]="${times[$peer]:-} $(run_peer "$peer" "$src" "$scratch/out")"
        done
        inner+=("$(field seconds "$scratch/engine.line")")
        if [ "$set" = small ]; then cp "$scratch/engine.line" "$scratch/engine-small.line"; fi
    done
    # shellcheck disable=SC2086
    echo "$label|$(median ${times[engine]})|$(median "${inner[@]}")|$(median ${times[xcopy]})|$(median ${times[nsis]})|$(median ${times[cp]})" >>"$results"
    unset times
    rm -rf "$src" "$scratch/out" "$scratch/peer.exe"
done

# Measuring many files.
src="$scratch/many"
payload "$src" "$measure_files" 16 1000
sync
m_engine=() m_inner=() m_dir=() m_du=()
for ((r = 1; r <= rounds; r++)); do
    start=$(now)
    "$WINE" "$build/bench_engine.exe" measure "$(winpath "$src")" | tr -d '\r' >"$scratch/measure.line"
    m_engine+=("$(python3 -c 'import sys,time; print(time.time() - float(sys.argv[1]))' "$start")")
    m_inner+=("$(field seconds "$scratch/measure.line")")
    start=$(now)
    "$WINE" cmd /c dir /s /a "$(winpath "$src")" >/dev/null 2>&1
    m_dir+=("$(python3 -c 'import sys,time; print(time.time() - float(sys.argv[1]))' "$start")")
    start=$(now)
    du -sb "$src" >/dev/null
    m_du+=("$(python3 -c 'import sys,time; print(time.time() - float(sys.argv[1]))' "$start")")
done
rm -rf "$src"

# One huge file, for the pump gaps of a long copy.
src="$scratch/huge"
payload "$src" 1 $((huge_mb * 1048576)) 0
sync
"$WINE" "$build/bench_engine.exe" copy "$(winpath "$src")" "$(winpath "$scratch/out")" |
    tr -d '\r' >"$scratch/huge.line"
rm -rf "$src" "$scratch/out"

# Start-up: each round starts both programs once, in turn.
mkdir -p "$scratch/medium" "$scratch/dialog"
cp -r "$root/samples/demo/." "$scratch/medium/"
cp "$build/Setup.exe" "$scratch/medium/"
cp "$build/bench_dialog.exe" "$scratch/dialog/"
"$WINE" "$build/bench_startup.exe" $((rounds * 4 + 1)) "$(winpath "$scratch/medium/Setup.exe")" \
    "$(winpath "$scratch/dialog/bench_dialog.exe")" | tr -d '\r' >"$scratch/startup.lines"

python3 - "$results" "$scratch" "$measure_files" "$huge_mb" "$rounds" "$wine_start" \
    "$(median "${m_engine[@]}")" "$(median "${m_inner[@]}")" "$(median "${m_dir[@]}")" \
    "$(median "${m_du[@]}")" <<'PY'
import re, statistics, sys
results, scratch, measure_files, huge_mb, rounds = sys.argv[1:6]
start = float(sys.argv[6])
m_engine, m_inner, m_dir, m_du = map(float, sys.argv[7:11])

def fields(name):
    with open("%s/%s" % (scratch, name)) as f:
        return {k: float(v) for k, v in re.findall(r"(\w+)=([0-9.]+)", f.read())}

print("Copy, wall time of each command, median of %s rounds (seconds):" % rounds)
print("| Payload | engine | (engine, copy alone) | Wine's `xcopy /E /I` | NSIS `/S` | host `cp -r` |"
      " engine/xcopy | engine/NSIS | engine/cp |")
print("|---|---|---|---|---|---|---|---|---|")
net = []
for line in open(results):
    label, engine, inner, xcopy, nsis, cp = line.strip().split("|")
    e, i, x, n, c = map(float, (engine, inner, xcopy, nsis, cp))
    print("| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.1f |" %
          (label, e, i, x, n, c, e / x, e / n, e / c))
    net.append((label, i, x - start, n - start))
print()
print("Without the start of a Wine process (%.2f s, `wine64 cmd /c exit`): the engine's copy"
      " alone against each Wine peer's wall time less that start:" % start)
print("| Payload | engine/xcopy | engine/NSIS |")
print("|---|---|---|")
def ratio(engine, peer):
    # A peer faster than a bare Wine start leaves nothing to compare with.
    return "%.2f" % (engine / peer) if peer > 0.01 else "-"
for label, i, x, n in net:
    print("| %s | %s | %s |" % (label, ratio(i, x), ratio(i, n)))
print()
print("Measuring %s files, median of %s rounds (seconds):" % (measure_files, rounds))
print("| MeasureTree under Wine | (the walk alone) | `dir /s` under Wine | host `du -sb` |"
      " MeasureTree/du | MeasureTree/dir |")
print("|---|---|---|---|---|---|")
print("| %.2f | %.2f | %.2f | %.2f | %.1f | %.2f |" %
      (m_engine, m_inner, m_dir, m_du, m_engine / m_du, m_engine / m_dir))
print()
small, measure, huge = fields("engine-small.line"), fields("measure.line"), fields("huge.line")
print("Responsiveness and memory:")
print("| What | message pumps | longest gap between pumps (ms) | peak working set (MiB) |")
print("|---|---|---|---|")
print("| copy of one %s MiB file | %d | %.1f | %.1f |" %
      (huge_mb, huge["pumps"], huge["max_gap_ms"], huge["peak_ws_mib"]))
print("| measuring %s files | %d | %.1f | %.1f |" %
      (measure_files, measure["pumps"], measure["max_gap_ms"], measure["peak_ws_mib"]))
print("| copy of the small files | %d | %.1f | %.1f |" %
      (small["pumps"], small["max_gap_ms"], small["peak_ws_mib"]))
print()
starts = {}
for line in open("%s/startup.lines" % scratch):
    m = re.match(r"program=(\S+) ms=([0-9.]+)", line)
    if m: starts.setdefault(m.group(1), []).append(float(m.group(2)))
def stats(times):
    return statistics.median(times), min(times), max(times)
setup, dialog = stats(starts["Setup.exe"]), stats(starts["bench_dialog.exe"])
print("Start-up, process start to a visible window, %d rounds (ms):" % (int(rounds) * 4 + 1))
print("| Program | median | min | max |")
print("|---|---|---|---|")
print("| Setup.exe, launcher on the demo medium | %.1f | %.1f | %.1f |" % setup)
print("| smallest dialog program | %.1f | %.1f | %.1f |" % dialog)
print("| Setup.exe/dialog | %.2f | | |" % (setup[0] / dialog[0]))
PY
