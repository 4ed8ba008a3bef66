#!/bin/sh
# idle-cpu.sh BUILD_DIR - how much CPU the program uses when there is
# nothing to do: an empty game at 60 updates per second under Xvfb and
# Mesa's software renderer, then the same game iconified (it must wait on
# events, not spin). Prints the share of one core over 10 seconds each.
#
# Runs itself under a private display with a window manager when needed.
set -eu

build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

if [ -z "${NUBRIX_IDLE_INNER:-}" ]; then
    NUBRIX_IDLE_INNER=1 exec sh "$root/tests/support/with-display.sh" --wm sh "$0" "$build"
fi

probe=$(cd "$root" && cd "$build" && pwd)/tests/host/host_probe
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

cd "$work"
ALSOFT_DRIVERS=null "$probe" >/dev/null &
pid=$!
id=$(xdotool search --sync --name '^Nubrix$' | head -n 1)

ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
hz=$(getconf CLK_TCK)

measure() {
    sleep 2
    a=$(ticks)
    sleep 10
    b=$(ticks)
    awk -v a="$a" -v b="$b" -v hz="$hz" 'BEGIN { printf "%.2f %% of one core\n", (b - a) * 100 / hz / 10 }'
}

printf 'running, 60 updates/s: '
measure
xdotool windowminimize --sync "$id"
printf 'iconified:             '
measure
wmctrl -c Nubrix
status=0
wait $pid || status=$?
pid=
if [ "$status" != 0 ]; then
    echo "idle-cpu: the program ended with exit code $status" >&2
    exit 1
fi
exit 0
