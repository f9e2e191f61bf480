# shellcheck shell=bash
# Serving e2e_driver.exe's requests from the host side; sourced by
# tests/e2e/run.sh and scripts/demo.sh. Needs $WINE and $DISPLAY.
#
# The driver drops REQUESTS/request.txt (written whole, then renamed) with one
# line and waits until the file is gone; a failure is reported to it in
# REQUESTS/request.failed. Lines:
#   screenshot NAME.png   the X screen into OUT/NAME.png
#   launch                Setup.exe started in the medium folder, in the background
#   snapshot NAME         OUT/NAME.snapshot: the files under the user folders and
#                         Program Files, and an export of HKCU\Software
#   compare NAME NAME     fails with the first differences of two snapshots

# Answers the requests until the driver ends or LIMIT seconds pass; returns the
# driver's exit status (killed: non-zero).
e2e_serve_driver() {  # driver pid, request folder, output folder, medium folder, limit
    local pid=$1 requests=$2 out=$3 medium=$4 limit=$5 line shot first second started=$SECONDS
    while kill -0 "$pid" 2>/dev/null; do
        if [ $((SECONDS - started)) -ge "$limit" ]; then
            echo "e2e: the scenario took longer than $limit s; stopped" >>"$out/driver.log"
            kill "$pid" 2>/dev/null
            break
        fi
        if [ -f "$requests/request.txt" ]; then
            line="$(tr -d '\r' <"$requests/request.txt")"
            case "$line" in
            "screenshot "*.png)
                shot="${line#screenshot }"
                if ! import -display "$DISPLAY" -window root "$out/${shot##*/}" \
                    2>>"$out/runner.log"; then
                    echo "import failed" >"$requests/request.failed"
                fi
                ;;
            launch)
                (cd "$medium" && exec "$WINE" Setup.exe >>"$out/setup.log" 2>&1) &
                ;;
            "snapshot "*)
                e2e_snapshot "${line#snapshot }" "$out" ||
                    echo "snapshot failed" >"$requests/request.failed"
                ;;
            "compare "*)
                read -r first second <<<"${line#compare }"
                diff "$out/$first.snapshot" "$out/$second.snapshot" >"$out/$first-$second.diff" ||
                    { echo "they differ:"; head -c 600 "$out/$first-$second.diff"; } \
                        >"$requests/request.failed"
                ;;
            *)
                echo "unknown request: $line" >"$requests/request.failed"
                ;;
            esac
            rm -f "$requests/request.txt"
        fi
        sleep 0.05
    done
    wait "$pid"
}

# What a program could leave behind for the current user: every entry under
# the user folders and Program Files (type, size, name), then HKCU\Software
# without Wine's own keys, which Wine rewrites as it runs.
e2e_snapshot() {  # name, output folder
    local c="$WINEPREFIX/drive_c"
    (cd "$c" && find users "Program Files" \( -type f -printf 'f %s %p\n' \) -o -printf '%y %p\n' |
        LC_ALL=C sort) >"$2/$1.snapshot" &&
        "$WINE" reg export 'HKCU\Software' "C:\\$1.reg" /y >/dev/null 2>&1 &&
        iconv -f UTF-16 -t UTF-8 "$c/$1.reg" |
        awk '/^\[/ { wine = index($0, "[HKEY_CURRENT_USER\\Software\\Wine") == 1 } !wine' \
            >>"$2/$1.snapshot" && rm -f "$c/$1.reg"
}

# Wine names the host's / as drive Z:.
e2e_windows_path() { printf 'Z:%s' "${1//\//\\}"; }
