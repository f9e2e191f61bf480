#!/usr/bin/env bash
# A private X server for running and photographing the Windows program.
#
#   eval "$(scripts/xvfb.sh start)"   starts Xvfb on a free display, prints `export DISPLAY=:<n>`
#   scripts/xvfb.sh stop              stops the Xvfb this script started (by its PID only)
#
# The PID and display are kept in $SETUP_XVFB_DIR (default build/xvfb); the
# screen is $SETUP_XVFB_SCREEN (default 1024x768x24).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
state="${SETUP_XVFB_DIR:-$(cd "$here/.." && pwd)/build/xvfb}"
pid_file="$state/xvfb.pid"
display_file="$state/xvfb.display"

# True when PID is an Xvfb serving display :N. A pid file can outlive its
# server, and the PID may since belong to any other process.
is_our_xvfb() {  # pid, display number
    local pid=$1 n=$2 argv0 arg1
    case "$pid" in '' | *[!0-9]*) return 1 ;; esac
    { IFS= read -r -d '' argv0 && IFS= read -r -d '' arg1; } <"/proc/$pid/cmdline" 2>/dev/null ||
        return 1
    [ "${argv0##*/}" = Xvfb ] && [ "$arg1" = ":$n" ]
}

running() {
    [ -f "$pid_file" ] && [ -f "$display_file" ] &&
        is_our_xvfb "$(cat "$pid_file")" "$(cat "$display_file")"
}

# True when display :N is free as far as the files in /tmp show.
display_free() { [ ! -e "/tmp/.X11-unix/X$1" ] && [ ! -e "/tmp/.X$1-lock" ]; }

# Starts Xvfb on :N and waits until it serves there. Returns 1 when it
# failed, 3 when it ended at once because another server took :N first.
start_on() {  # display number
    local n=$1 pid waited=0
    Xvfb ":$n" -screen 0 "${SETUP_XVFB_SCREEN:-1024x768x24}" -nolisten tcp >"$state/xvfb.log" 2>&1 &
    pid=$!
    echo "$pid" >"$pid_file"
    echo "$n" >"$display_file"
    # Ready when the socket is there and the lock names this server: a socket
    # alone may be another server's.
    until [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$pid" ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            rm -f "$pid_file" "$display_file"
            wait "$pid" 2>/dev/null || true
            display_free "$n" && return 1
            return 3
        fi
        if [ $waited -ge 100 ]; then
            kill "$pid" 2>/dev/null || true
            rm -f "$pid_file" "$display_file"
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

start() {
    mkdir -p "$state"
    if running; then
        echo "export DISPLAY=:$(cat "$display_file")"
        return 0
    fi
    rm -f "$pid_file" "$display_file"
    local n=50 attempt status
    for attempt in 1 2 3 4 5; do
        while ! display_free "$n"; do
            n=$((n + 1))
        done
        status=0
        start_on "$n" || status=$?
        if [ "$status" -eq 0 ]; then
            echo "export DISPLAY=:$n"
            return 0
        fi
        if [ "$status" -ne 3 ]; then
            break
        fi
        echo "xvfb: display :$n was taken meanwhile (attempt $attempt); trying the next one" >&2
        n=$((n + 1))
    done
    echo "xvfb: Xvfb :$n did not start (see $state/xvfb.log)" >&2
    return 1
}

stop() {
    if running; then
        local pid n waited=0
        pid="$(cat "$pid_file")" n="$(cat "$display_file")"
        kill "$pid"
        # Gone (or a zombie, whose command line is empty) before we return, so
        # the display is free again for the next start.
        while is_our_xvfb "$pid" "$n" && [ $waited -lt 50 ]; do
            sleep 0.1
            waited=$((waited + 1))
        done
    elif [ -f "$pid_file" ]; then
        echo "xvfb: $pid_file does not name our Xvfb any more; nothing stopped" >&2
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
