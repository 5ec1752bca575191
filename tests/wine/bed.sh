#!/bin/sh
# The Wine test bed: a throw-away prefix with a wineserver that stays up for
# the whole run, so that each start of a Windows program costs about 0.1 s.
#
#   bed.sh setup DIR [KEEPER.EXE]
#                         create DIR/prefix, start wineserver (and Xvfb when
#                         there is no display), and the keeper of its desktop
#   bed.sh teardown DIR   stop them and remove DIR
#   bed.sh run DIR CMD... run CMD inside the bed (wine PROGRAM.exe ...)
set -eu

cmd=$1
dir=$2
shift 2

export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
# No Mono or Gecko install dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$dir/display" ] && DISPLAY=$(cat "$dir/display") && export DISPLAY

case $cmd in
setup)
    rm -rf "$dir"
    mkdir -p "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ]; then
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.fd" </dev/null >/dev/null 2>&1 &
        echo $! >"$dir/xvfb.pid"
        for _ in $(seq 100); do
            [ -s "$dir/display.fd" ] && break
            sleep 0.1
        done
        echo ":$(cat "$dir/display.fd")" >"$dir/display"
        DISPLAY=$(cat "$dir/display")
        export DISPLAY
    fi
    # Persistent: later programs find it running instead of starting one.
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i >/dev/null 2>&1
    # Debian's Wine looks for its own fonts where it cannot open them; from
    # the prefix it takes them, and dialogs then measure as on Windows.
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    if [ -n "${1:-}" ]; then
        wine "$1" </dev/null >/dev/null 2>&1 &
    fi
    echo "Wine bed ready in $dir (DISPLAY=$DISPLAY)"
    ;;
teardown)
    wineserver -k 2>/dev/null || true
    if [ -f "$dir/xvfb.pid" ]; then
        kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    fi
    rm -rf "$dir"
    ;;
run)
    exec "$@"
    ;;
*)
    echo "usage: bed.sh setup|teardown|run DIR [CMD...]" >&2
    exit 2
    ;;
esac
