# shellcheck shell=bash
# Serving e2e_driver.exe's requests from the host side; sourced by
# tests/e2e/run.sh and scripts/demo.sh. Needs $WINE and $DISPLAY.
#
# The driver drops REQUESTS/request.txt (written whole, then renamed) with one
# line and waits until the file is gone; a failure is reported to it in
# REQUESTS/request.failed. Lines:
#   screenshot NAME.png   the X screen into OUT/NAME.png
#   launch                Setup.exe started in the medium folder, in the background

# Answers the requests until the driver ends or LIMIT seconds pass; returns the
# driver's exit status (killed: non-zero).
e2e_serve_driver() {  # driver pid, request folder, output folder, medium folder, limit
    local pid=$1 requests=$2 out=$3 medium=$4 limit=$5 line shot started=$SECONDS
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

# Wine names the host's / as drive Z:.
e2e_windows_path() { printf 'Z:%s' "${1//\//\\}"; }
