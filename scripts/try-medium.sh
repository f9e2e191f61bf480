#!/usr/bin/env bash
# Tries any medium the way a player would, in a private Wine prefix.
#
#   bash scripts/try-medium.sh DIR [--type minimum|standard|full|all] [--out FOLDER]
#
# Builds Setup.exe (and the end-to-end driver), copies DIR into a fresh
# prefix's C:\try-medium with the built Setup.exe beside its files, and then:
# - with a $DISPLAY: opens the launcher there for you to use, and waits;
# - without one (or with SETUP_TRY_HEADLESS=1): under a private Xvfb, for each
#   chosen setup type (default all), walks the launcher, the wizard, the
#   install, Run and the uninstall, photographing every screen, and prints
#   what the install wrote (files, registry, shortcuts with the targets they
#   lead to and whether each is installed) and what the uninstall left behind
#   compared with the machine before.
# Exits 0 only when every walk ended as it should, every round trip left
# nothing behind and every shortcut leads to an installed file. Screenshots,
# logs and listings go to FOLDER (default out/try/<DIR's name>). Setup.exe and
# whatever it started never outlive this script.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

usage() {
  echo "usage: bash scripts/try-medium.sh DIR [--type minimum|standard|full|all] [--out FOLDER]" >&2
  exit 2
}
[ $# -ge 1 ] || usage
medium_source=$1
shift
types=all
out=
while [ $# -gt 0 ]; do
  case "$1" in
  --type) types=${2:-}; shift 2 || usage ;;
  --out) out=${2:-}; shift 2 || usage ;;
  *) usage ;;
  esac
done
[ -d "$medium_source" ] || { echo "try: no such folder: $medium_source" >&2; exit 2; }
[ -f "$medium_source/Setup.inf" ] || { echo "try: $medium_source has no Setup.inf" >&2; exit 2; }
case "$types" in
all) types="minimum standard full" ;;
minimum | standard | full) ;;
*) usage ;;
esac
medium_source=$(cd "$medium_source" && pwd)
out=${out:-$root/out/try/$(basename "$medium_source")}
mkdir -p "$out"
out=$(cd "$out" && pwd)

build="${SETUP_TRY_BUILD:-build/mingw64}"
bash scripts/install-deps.sh
cmake --preset mingw64 -B "$build" >/dev/null
cmake --build "$build" -j "${SETUP_JOBS:-2}" --target Setup e2e_driver >/dev/null

headless=0
if [ -z "${DISPLAY:-}" ] || [ "${SETUP_TRY_HEADLESS:-0}" = 1 ]; then
  headless=1
  export SETUP_XVFB_DIR="${SETUP_XVFB_DIR:-$root/build/xvfb-try}"
fi
# Whatever runs in the prefix ends with this script.
trap 'bash "$root/scripts/wine-env.sh" stop try || true; [ "$headless" = 0 ] || bash "$root/scripts/xvfb.sh" stop || true' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
if [ "$headless" = 1 ]; then
  # Wine's desktop process keeps the display it first saw: start X first.
  eval "$(bash scripts/xvfb.sh start)"
fi
# Every walk starts on a fresh machine: a copy of a prefix made once
# (try-template), with the medium on its drive C:.
bash scripts/wine-env.sh try-template -- true >/dev/null ||
  { echo "try: the Wine prefix could not be set up" >&2; exit 1; }
bash scripts/wine-env.sh stop try-template
fresh_machine() {
  bash scripts/wine-env.sh stop try
  bash scripts/wine-env.sh copy try-template try || return 1
  # shellcheck source=scripts/wine-env.sh
  source scripts/wine-env.sh try || return 1
  medium="$WINEPREFIX/drive_c/try-medium"
  mkdir -p "$medium" &&
    cp -r "$medium_source/." "$medium/" &&
    cp "$build/Setup.exe" "$medium/Setup.exe"
}

if [ "$headless" = 0 ]; then
  fresh_machine || { echo "try: the medium could not be staged" >&2; exit 1; }
  echo "try: running Setup.exe on $medium (display $DISPLAY)"
  (cd "$medium" && "$WINE" Setup.exe)
  exit 0
fi

# shellcheck source=tests/e2e/serve.sh
source tests/e2e/serve.sh
menu='%APPDATA%\Microsoft\Windows\Start Menu\Programs'
verdict=0
for type in $types; do
  case "$type" in
  minimum) radio=1013 ;;
  standard) radio=1010 ;;
  full) radio=1014 ;;
  esac
  fresh_machine || { echo "try: the medium could not be staged" >&2; exit 1; }
  dir="$out/$type"
  requests="$dir/requests"
  rm -rf "$dir"
  mkdir -p "$requests"
  links=$(e2e_windows_path "$dir/shortcuts.txt")
  # The walk: every screen photographed, every box answered as a player
  # would (a new install folder is made when asked).
  cat >"$dir/walk.txt" <<EOF
snapshot before
launch
timeout 30000
window launcher control 1001
timeout 20000
screenshot 01-launcher
click launcher 1001
window wizard control 0x3024
screenshot 02-welcome
press wizard next
click wizard $radio
expect checked wizard $radio
screenshot 03-type
press wizard next
screenshot 04-destination
press wizard next
answer "新規ﾌｫﾙﾀﾞ作成" * yes
expect enabled wizard 0x3025
screenshot 05-ready
press wizard finish
window message caption "ｲﾝｽﾄｰﾙ"
screenshot 06-installed
answer "ｲﾝｽﾄｰﾙ" * ok
window launcher control 1001
screenshot 07-launcher-installed
snapshot installed
links "$menu" "$links"
click launcher 1002
expect ended
launch
window launcher control 1003
click launcher 1003
window question caption "確認"
screenshot 08-uninstall-question
answer "確認" * yes
window message caption "ｱﾝｲﾝｽﾄｰﾙ"
screenshot 09-uninstalled
answer "ｱﾝｲﾝｽﾄｰﾙ" * ok
window launcher control 1001
screenshot 10-launcher-after
click launcher 1004
expect ended
snapshot after
EOF
  echo "try: $type: walking the launcher, the wizard, the install, Run and the uninstall"
  "$WINE" "$build/e2e_driver.exe" --requests "$(e2e_windows_path "$requests")" \
    "$(e2e_windows_path "$dir/walk.txt")" >"$dir/driver.log" 2>&1 &
  status=0
  e2e_serve_driver $! "$requests" "$dir" "$medium" 300 || status=$?
  rm -rf "$requests"
  # Whatever the walk started (the game included) ends here.
  bash scripts/wine-env.sh stop try

  if [ "$status" -ne 0 ]; then
    verdict=1
    echo "try: $type: the walk stopped early (screenshots and driver.log in $dir):"
    grep -A3 -e 'step failed' -e '^e2e:' "$dir/driver.log" | sed 's/^/    /' || true
  fi
  grep '^box ' "$dir/driver.log" | sed "s/^/try: $type: /" || true
  # Each registry value named with its key, so that values of the same name
  # and data in two keys stay two.
  for snapshot in before installed after; do
    [ -f "$dir/$snapshot.snapshot" ] &&
      awk '/^\[/ { key = $0; print; next } /^"|^@/ { print key " " $0; next } NF' \
        "$dir/$snapshot.snapshot" >"$dir/$snapshot.list"
  done
  if [ -f "$dir/before.list" ] && [ -f "$dir/installed.list" ]; then
    # In the snapshot's own order: files, then the registry key by key.
    echo "try: $type: what the install wrote:"
    grep -Fxv -f "$dir/before.list" "$dir/installed.list" | sed 's/^/    /' || true
  fi
  if [ -f "$dir/shortcuts.txt" ]; then
    echo "try: $type: shortcuts (link, target, whether the target is installed):"
    sed 's/^/    /' "$dir/shortcuts.txt"
    if grep -qE $'\tmissing\r?$' "$dir/shortcuts.txt"; then
      verdict=1
      echo "try: $type: a shortcut leads to a file that is not installed"
    fi
  fi
  if [ -f "$dir/before.list" ] && [ -f "$dir/after.list" ]; then
    left=$(grep -Fxv -f "$dir/before.list" "$dir/after.list" || true)
    if [ -n "$left" ]; then
      verdict=1
      echo "try: $type: left behind by the uninstall:"
      printf '%s\n' "$left" | sed 's/^/    /'
    else
      echo "try: $type: clean round trip"
    fi
  elif [ "$status" -eq 0 ]; then
    verdict=1
  fi
done
echo "try: screenshots and listings in $out"
exit "$verdict"
