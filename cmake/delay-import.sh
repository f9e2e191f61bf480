#!/usr/bin/env bash
# Makes a delay-load import library of a system DLL from MinGW-w64's own
# import library: every function that one names, so that no call of the
# program falls back to a direct import.
#   delay-import.sh DLLTOOL NM IMPORT_LIB DLL_NAME OUTPUT
set -euo pipefail
dlltool=$1 nm=$2 lib=$3 dll=$4 out=$5
def="$out.def"
{
    printf 'LIBRARY %s\nEXPORTS\n' "$dll"
    # "__imp_Name" on x86_64, "__imp__Name@N" on i686 (stdcall, kept decorated
    # here and undecorated by --kill-at in the library).
    "$nm" -g "$lib" | sed -n 's/^[0-9a-f]* I __imp_//p' |
        case "$dlltool" in *i686*) sed 's/^_//' ;; *) cat ;; esac |
        LC_ALL=C sort -u
} >"$def"
"$dlltool" --kill-at --input-def "$def" --dllname "$dll" --output-delaylib "$out"
