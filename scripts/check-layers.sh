#!/usr/bin/env bash
# Checks that every `#include "..."` in src/ points to its own layer or one
# below it, and that no portable layer includes a Windows header. Prints each
# offending line and exits 1 when there is one.
#
# Layers, lowest first: each a folder. A file belongs to the longest folder
# its path starts with; layers of the same rank stand side by side and may not
# include each other.
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(
  "seams      0 src/seams/"
  "resources  0 res/"
  "core       1 src/core/"
  "system     2 src/system/"
  "install    3 src/install/"
  "uninstall  3 src/uninstall/"
  "launch     3 src/launch/"
  "ui         3 src/ui/"
  "os-win32   4 src/win32/os/"
  "os-sim     4 src/sim/"
  "ui-win32   5 src/win32/ui/"
  "app        6 src/app/"
  "app-win32  7 src/app/win32/"
  "check      7 src/check/"
)

# Sets `layer` and `rank` for a path; returns 1 for a path in no layer.
classify() {
  local path=$1 best=0 entry name r prefix
  layer="" rank=""
  for entry in "${layers[@]}"; do
    read -r name r prefix <<<"$entry"
    if [[ $path == "$prefix"* ]] && ((${#prefix} > best)); then
      best=${#prefix} layer=$name rank=$r
    fi
  done
  [ -n "$layer" ]
}

# Where an include resolves: beside the including file, else below src/ or
# res/ (the include folders of the build).
resolve() {
  local from=$1 name=$2 candidate
  for candidate in "$(dirname "$from")/$name" "src/$name" "res/$name"; do
    if [ -f "$candidate" ]; then
      realpath --relative-to=. "$candidate"
      return 0
    fi
  done
  return 1
}

failures=0
fail() {
  echo "layers: $*" >&2
  failures=$((failures + 1))
}

while IFS= read -r -d '' file; do
  classify "$file" || { fail "$file: in no layer"; continue; }
  own_layer=$layer own_rank=$rank
  while IFS=: read -r line text; do
    if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
      name=${BASH_REMATCH[1]}
      # A table the build generates (from res/) is no layer's.
      [[ $name == *.inc ]] && ! resolve "$file" "$name" >/dev/null && continue
      target=$(resolve "$file" "$name") || { fail "$file:$line: \"$name\" not found"; continue; }
      classify "$target" || { fail "$file:$line: \"$name\" is in no layer"; continue; }
      if [ "$layer" != "$own_layer" ] && ((rank >= own_rank)); then
        fail "$file:$line: $own_layer (rank $own_rank) includes $target of $layer (rank $rank)"
      fi
    elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^\>]+)\> ]]; then
      name=${BASH_REMATCH[1],,}
      if [[ $file != */win32/* ]] &&
        [[ $name =~ ^(windows|windef|winbase|winuser|winreg|commctrl|commdlg|shlobj|shellapi|shlwapi|objbase|ole2|wtypes|winnt|winerror|objidl|shobjidl|prsht)\.h$ ]]; then
        fail "$file:$line: portable layer $own_layer includes <$name>"
      fi
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(find src res -type f \( -name '*.h' -o -name '*.cpp' \) -print0 | sort -z)

if ((failures > 0)); then
  echo "layers: $failures include(s) break the layer rule" >&2
  exit 1
fi
echo "layers: every include points to its own layer or below"
