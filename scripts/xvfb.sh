#!/usr/bin/env bash
# A private X server for running and photographing the Windows program.
#
#   eval "$(scripts/xvfb.sh start)"   starts Xvfb on a free display, prints `export DISPLAY=:<n>`
#   scripts/xvfb.sh stop              stops the Xvfb this script started (by its PID only)
#
# The PID and display are kept in $SETUP_XVFB_DIR (default build/xvfb).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
state="${SETUP_XVFB_DIR:-$(cd "$here/.." && pwd)/build/xvfb}"
pid_file="$state/xvfb.pid"
display_file="$state/xvfb.display"

running() {
    [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null
}

start() {
    mkdir -p "$state"
    if running; then
        echo "export DISPLAY=:$(cat "$display_file")"
        return 0
    fi
    local n=50
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do
        n=$((n + 1))
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
    local pid=$!
    echo "$pid" >"$pid_file"
    echo "$n" >"$display_file"
    local waited=0
    until [ -S "/tmp/.X11-unix/X$n" ]; do
        if ! kill -0 "$pid" 2>/dev/null || [ $waited -ge 100 ]; then
            echo "xvfb: Xvfb :$n did not start (see $state/xvfb.log)" >&2
            kill "$pid" 2>/dev/null || true
            rm -f "$pid_file" "$display_file"
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    echo "export DISPLAY=:$n"
}

stop() {
    if running; then
        kill "$(cat "$pid_file")"
    fi
    rm -f "$pid_file" "$display_file"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
