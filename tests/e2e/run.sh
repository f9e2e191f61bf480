#!/usr/bin/env bash
# End-to-end tests: the real Setup.exe on the demo medium, driven by
# e2e_driver.exe under Wine and Xvfb.
#
#   tests/e2e/run.sh [BUILD_DIR] [SCENARIO...]
#
# BUILD_DIR holds Setup.exe, e2e_driver.exe, e2e_game.exe and e2e_planted.dll (default
# $SETUP_E2E_BUILD, else build/mingw64); this script builds nothing. SCENARIO
# is a name from tests/e2e/scenarios (without .txt) or a path; default: all.
# Each scenario gets a fresh copy of a template Wine prefix and its own Xvfb;
# the medium is staged on C:\medium and Setup.exe is started there when the
# driver asks for it; SCENARIO.stage.sh beside a scenario, when there is one,
# is run with the medium folder first; SCENARIO.scale, when there is one, names
# the DPI the scenario runs at (Wine's LogPixels). Screenshots and logs go to BUILD_DIR/e2e-out/<scenario>/.
# SETUP_E2E_KEEP=1 keeps each scenario's prefix for a look afterwards.
set -uo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

build="${SETUP_E2E_BUILD:-$root/build/mingw64}"
if [ $# -gt 0 ] && [ -d "$1" ]; then
    build="$1"
    shift
fi
build="$(cd "$build" 2>/dev/null && pwd)" || { echo "e2e: no build folder $build" >&2; exit 2; }
for exe in Setup.exe e2e_driver.exe e2e_game.exe e2e_planted.dll; do
    if [ ! -f "$build/$exe" ]; then
        echo "e2e: $build/$exe is missing (build the Setup, e2e_driver, e2e_game and e2e_planted targets)" >&2
        exit 2
    fi
done

scenarios=()
if [ $# -eq 0 ]; then
    scenarios=("$here"/scenarios/*.txt)
else
    for arg in "$@"; do
        if [ -f "$arg" ]; then
            scenarios+=("$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")")
        elif [ -f "$here/scenarios/$arg.txt" ]; then
            scenarios+=("$here/scenarios/$arg.txt")
        else
            echo "e2e: no scenario $arg" >&2
            exit 2
        fi
    done
fi

out_root="$build/e2e-out"
wine_root="$build/e2e-wine"
scenario_timeout="${SETUP_E2E_TIMEOUT:-180}"
mkdir -p "$out_root" "$wine_root"

# shellcheck source=tests/e2e/serve.sh
source "$here/serve.sh"

# A private X server for one piece of work; prints its DISPLAY.
start_xvfb() {  # state folder
    local line
    line="$(SETUP_XVFB_DIR="$1" bash "$root/scripts/xvfb.sh" start)" || return 1
    printf '%s\n' "${line#export DISPLAY=}"
}
stop_xvfb() { SETUP_XVFB_DIR="$1" bash "$root/scripts/xvfb.sh" stop >/dev/null 2>&1 || true; }

# The template prefix is made once (wineboot takes long), and again when the
# prefix recipe changed; each scenario copies it.
make_template() {
    local ready="$wine_root/template/.setup-ready"
    [ -f "$ready" ] && [ "$ready" -nt "$root/scripts/wine-env.sh" ] && return 0
    rm -rf "$wine_root/template" "$wine_root/template.home"
    local state="$out_root/.template-xvfb" display
    display="$(start_xvfb "$state")" || return 1
    (
        export DISPLAY="$display"
        export SETUP_WINE_ROOT="$wine_root"
        # shellcheck source=scripts/wine-env.sh
        source "$root/scripts/wine-env.sh" template && "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
        true
    ) >"$out_root/template.log" 2>&1
    stop_xvfb "$state"
    [ -f "$wine_root/template/.setup-ready" ]
}

copy_prefix() {  # target
    SETUP_WINE_ROOT="$wine_root" bash "$root/scripts/wine-env.sh" copy template "$(basename "$1")" &&
        seal_prefix "$1"
}

# Nothing a scenario deletes may reach the host: drive C: only (Wine's Z: is
# the whole host), and user folders that are real folders, not links into a
# home folder.
seal_prefix() {  # prefix
    local entry
    for entry in "$1"/dosdevices/*; do
        case "$(basename "$entry")" in c:) ;; *) rm -f "$entry" || return 1 ;; esac
    done
    for entry in "$1"/drive_c/users/*/* "$1"/drive_c/users/*/AppData/*; do
        if [ -L "$entry" ]; then
            rm -f "$entry" && mkdir "$entry" || return 1
        fi
    done
}

stop_scenario() {  # output folder
    if [ -n "${WINESERVER:-}" ]; then
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
    fi
    wait 2>/dev/null
    stop_xvfb "$1/xvfb"
}

# Runs one scenario in a subshell of its own (its Wine environment must not
# reach the next one). Exit status 0 when it passed.
run_scenario() {  # scenario file
    local file=$1 name out prefix medium display
    name="$(basename "$file" .txt)"
    out="$out_root/$name"
    prefix="$wine_root/run-$name"
    rm -rf "$out"
    mkdir -p "$out/requests"

    # A scenario with NAME.scale beside it runs at the DPI that file names,
    # on a screen that holds its larger windows.
    local scale="${file%.txt}.scale" screen=1024x768x24
    [ -f "$scale" ] && screen=2048x1536x24
    if ! display="$(SETUP_XVFB_SCREEN=$screen start_xvfb "$out/xvfb")"; then
        echo "e2e: Xvfb did not start" >"$out/driver.log"
        return 1
    fi
    # Stopped or not, the scenario leaves no server or X display behind.
    # Expanded now: the trap runs after this function's locals are gone.
    # shellcheck disable=SC2064
    trap "stop_scenario '$out'" EXIT
    trap 'exit 143' TERM INT
    export DISPLAY="$display"
    if ! copy_prefix "$prefix"; then
        echo "e2e: could not copy the template prefix" >"$out/driver.log"
        stop_xvfb "$out/xvfb"
        return 1
    fi
    export SETUP_WINE_ROOT="$wine_root"
    # shellcheck source=scripts/wine-env.sh
    source "$root/scripts/wine-env.sh" "run-$name" >>"$out/wine.log" 2>&1

    if [ -f "$scale" ] && ! bash "$root/scripts/wine-env.sh" scale "run-$name" \
        "$(tr -dc 0-9 <"$scale")" >>"$out/wine.log" 2>&1; then
        echo "e2e: the display scale could not be set" >"$out/driver.log"
        return 1
    fi

    medium="$WINEPREFIX/drive_c/medium"
    mkdir -p "$medium"
    cp -r "$root/samples/demo/." "$medium/"
    cp "$build/Setup.exe" "$medium/Setup.exe"
    cp "$build/e2e_game.exe" "$medium/Game.exe"
    # git keeps no read-only attribute; the demo's save file has it.
    chmod a-w "$medium/Save/save.dat"
    # A scenario that needs a medium of its own changes it here.
    local stage="${file%.txt}.stage.sh"
    if [ -f "$stage" ] && ! bash "$stage" "$medium" "$build" >>"$out/runner.log" 2>&1; then
        echo "e2e: $stage failed" >"$out/driver.log"
        return 1
    fi

    # The driver, its scenario and its request folder live on C: too.
    local e2e="$WINEPREFIX/drive_c/e2e"
    mkdir -p "$e2e/requests"
    cp "$build/e2e_driver.exe" "$file" "$e2e/"
    (cd "$e2e" && exec "$WINE" e2e_driver.exe --requests 'C:\e2e\requests' \
        "C:\\e2e\\$(basename "$file")") >"$out/driver.log" 2>&1 &
    e2e_serve_driver $! "$e2e/requests" "$out" "$medium" "$scenario_timeout"
    local status=$?

    if [ "$status" -ne 0 ] && [ ! -f "$out/$name-failure.png" ]; then
        import -display "$DISPLAY" -window root "$out/$name-failure.png" 2>>"$out/runner.log"
    fi
    stop_scenario "$out"
    if [ "${SETUP_E2E_KEEP:-0}" != 1 ]; then
        rm -rf "$prefix" "$prefix.home"
    fi
    return "$status"
}

if ! make_template; then
    echo "e2e: the template Wine prefix could not be made (see $out_root/template.log)" >&2
    exit 1
fi

passed=0
failed=0
for file in "${scenarios[@]}"; do
    name="$(basename "$file" .txt)"
    begin=$SECONDS
    (run_scenario "$file") </dev/null
    status=$?
    took=$((SECONDS - begin))
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "PASS  $name  (${took} s)"
    else
        failed=$((failed + 1))
        echo "FAIL  $name  (${took} s)  see $out_root/$name/"
        # The driver's own words: the failing line and what it found.
        grep -A3 -e 'step failed' -e '^e2e:' -e 'usage' "$out_root/$name/driver.log" 2>/dev/null |
            sed 's/^/      /'
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
