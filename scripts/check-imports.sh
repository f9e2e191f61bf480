#!/usr/bin/env bash
# Checks that each Setup.exe imports directly only kernel32 and the C runtime:
# every other DLL is delay-loaded, after the start-up has limited the DLL
# search to the system folder. Prints each other import and exits 1 when
# there is one.
#   scripts/check-imports.sh EXE...
set -euo pipefail
allowed='^(KERNEL32|msvcrt)\.dll$'
status=0
for exe in "$@"; do
    # This objdump reads the i686 program as well.
    imports="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p')"
    [ -n "$imports" ] || { echo "imports: $exe: no import table read" >&2; status=1; }
    while read -r dll; do
        [ -z "$dll" ] || [[ "$dll" =~ $allowed ]] && continue
        echo "imports: $exe imports $dll directly" >&2
        status=1
    done <<<"$imports"
done
[ "$status" -eq 0 ] && echo "imports: only kernel32 and the C runtime are imported directly"
exit "$status"
