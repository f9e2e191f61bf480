#!/usr/bin/env bash
# A private Wine prefix for running the Windows build and its tests.
#
#   source scripts/wine-env.sh [NAME]          set up (once) and export the environment
#   scripts/wine-env.sh [NAME] -- CMD [ARG...]  run CMD in that environment
#   scripts/wine-env.sh stop [NAME]            stop this prefix's wineserver only
#   scripts/wine-env.sh copy FROM TO           make prefix TO afresh as a copy of FROM
#   scripts/wine-env.sh scale NAME DPI         set the prefix's display scale (LogPixels)
#                                              and stop its server: Wine reads it when
#                                              its server starts
#
# NAME picks the prefix, $SETUP_WINE_ROOT/NAME (default root build/wine,
# default name "default"; a path is reduced to its last component), so each
# build directory or test run can have its own. The first use creates it;
# later uses only start its server. After sourcing, `ctest --test-dir
# build/b-mingw64` runs the Windows tests under this prefix (the toolchain's
# emulator is wine64, which takes the prefix from the environment).

_setup_wine_main() {
    local here root name prefix
    here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
    root="${SETUP_WINE_ROOT:-$(cd "$here/.." && pwd)/build/wine}"

    local command=setup
    if [ "${1:-}" = stop ]; then
        command=stop
        shift
    elif [ "${1:-}" = scale ]; then
        command=scale
        shift
    elif [ "${1:-}" = copy ]; then
        _setup_wine_copy "$root/$(basename -- "$2")" "$root/$(basename -- "$3")"
        return $?
    fi
    name="default"
    if [ $# -gt 0 ] && [ "$1" != "--" ]; then
        name="$(basename -- "$1")"
        shift
    fi
    prefix="$root/$name"

    export WINE=/usr/lib/wine/wine64
    export WINESERVER=/usr/lib/wine/wineserver64
    export WINEPREFIX="$prefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=ja_JP.UTF-8
    export LC_ALL=ja_JP.UTF-8
    # Wine links the user folders into $HOME; a test that deletes the wrong
    # folder must find nothing of value there.
    export HOME="$root/$name.home"

    if [ "$command" = stop ]; then
        [ -d "$prefix" ] && "$WINESERVER" -k 2>/dev/null
        return 0
    fi
    if [ "$command" = scale ]; then
        "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
            /d "${1:?the DPI}" /f >/dev/null 2>&1 || return 1
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
        return 0
    fi

    mkdir -p "$prefix" "$HOME" || return 1
    if [ ! -f "$prefix/.setup-ready" ]; then
        _setup_wine_create "$prefix" || return 1
    fi
    # A persistent server keeps Wine's helper processes off the caller's
    # output pipe (ctest otherwise waits for them after every test). It fails
    # when this prefix's server already runs, which is as good.
    "$WINESERVER" -p 2>/dev/null
    "$WINE" wineboot >/dev/null 2>&1

    if [ $# -gt 0 ] && [ "$1" = "--" ]; then
        shift
    fi
    if [ $# -gt 0 ]; then
        "$@"
        return $?
    fi
    return 0
}

# A prefix made afresh from another (stopped) one. system32 (most of the
# prefix's size) is never written once the prefix is made, so it is
# hard-linked; everything Wine writes (registry, user folders, drive C:) is a
# real copy.
_setup_wine_copy() {  # from, to
    local from="$1" to="$2" entry
    [ -f "$from/.setup-ready" ] || return 1
    # A run that was stopped half-way may have left the target's server.
    [ -d "$to" ] && WINEPREFIX="$to" /usr/lib/wine/wineserver64 -k 2>/dev/null
    rm -rf "$to" "$to.home"
    mkdir -p "$to/drive_c/windows" "$to.home" || return 1
    shopt -s dotglob nullglob
    for entry in "$from"/*; do
        [ "$(basename "$entry")" = drive_c ] || cp -a "$entry" "$to/" || return 1
    done
    for entry in "$from"/drive_c/*; do
        [ "$(basename "$entry")" = windows ] || cp -a "$entry" "$to/drive_c/" || return 1
    done
    for entry in "$from"/drive_c/windows/*; do
        if [ "$(basename "$entry")" = system32 ]; then
            cp -al "$entry" "$to/drive_c/windows/" || return 1
        else
            cp -a "$entry" "$to/drive_c/windows/" || return 1
        fi
    done
    shopt -u dotglob nullglob
}

_setup_wine_create() {
    local prefix="$1"
    echo "wine-env: creating the prefix $prefix" >&2
    "$WINE" wineboot -i >/dev/null 2>&1 || return 1

    # Without a window manager, managed and decorated windows stall every
    # hide and destroy. The dialog fonts map to the installed IPA fonts;
    # Wine would pick a monospaced Japanese font otherwise. regedit reads
    # Japanese names correctly only from a UTF-16LE file.
    local reg="$prefix/setup.reg"
    printf '%s\r\n' \
        'Windows Registry Editor Version 5.00' \
        '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '"Managed"="N"' \
        '"Decorated"="N"' \
        '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' \
        '"MS PGothic"="IPAPGothic"' \
        '"MS UI Gothic"="IPAPGothic"' \
        '"ＭＳ ゴシック"="IPAGothic"' \
        '"MS Gothic"="IPAGothic"' \
        '' |
        { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg" || return 1
    # regedit resolves a relative name against its current directory.
    (cd "$prefix" && "$WINE" regedit /S setup.reg >/dev/null 2>&1) || return 1

    # The close box is drawn with Marlett.
    if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" || return 1
    fi

    # The user folders are links into the real $HOME: make them real folders.
    local link
    for link in "$prefix"/drive_c/users/*/*; do
        if [ -L "$link" ]; then
            rm -f "$link" && mkdir -p "$link" || return 1
        fi
    done

    # Only C: and Z: stay. Z: (the host's /) is how Wine names the test
    # programs ctest starts by their Unix paths and their working folder.
    local drive
    for drive in "$prefix"/dosdevices/*; do
        case "$(basename "$drive")" in
        c: | z:) ;;
        [a-z]: | [a-z]::) rm -f "$drive" ;;
        esac
    done

    # A first boot leaves its services half started (a second services.exe
    # and no RpcSs: every window then waits 10 s for it); start afresh.
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w
    touch "$prefix/.setup-ready"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -u
    _setup_wine_main "$@"
    exit $?
fi
_setup_wine_main "$@"
