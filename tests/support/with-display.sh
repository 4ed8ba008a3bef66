#!/bin/sh
# with-display.sh [--wm] COMMAND [ARGS...]
#
# Runs COMMAND with an X display. When DISPLAY is unset (CI, a terminal
# without X) it starts a private Xvfb on a free display number first, and
# stops it afterwards. With --wm a small window manager (openbox) runs too,
# for tests that iconify, restore or close windows through the window
# manager. GL is Mesa's software renderer either way.
set -u

wm=0
if [ "${1:-}" = "--wm" ]; then
    wm=1
    shift
fi

export LIBGL_ALWAYS_SOFTWARE=1

xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT INT TERM

if [ -z "${DISPLAY:-}" ]; then
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    # -displayfd picks a free display number and writes it to the fd.
    Xvfb -displayfd 3 -screen 0 1920x1200x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r number <"$fifo"
    rm -f "$fifo"
    if [ -z "$number" ]; then
        echo "with-display: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$number"
    export XVFB_PID="$xvfb_pid"  # for measurements of the X server's own work
fi

if [ "$wm" = 1 ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    # Wait until the window manager owns the screen.
    i=0
    while [ $i -lt 50 ] && ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window; do
        sleep 0.1
        i=$((i + 1))
    done
fi

"$@"
status=$?
exit $status
