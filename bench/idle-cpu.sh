#!/bin/sh
# idle-cpu.sh [--wine] [BUILD_DIR] - what the game costs while nobody plays,
# side by side with the least a GL window costs, all in one run on one
# display (Xvfb, Mesa's software renderer): share of one core used by the
# program (and by the X server on its behalf) over ten seconds of each of
#
#   reference clear   a window cleared and presented 60 times a second
#   reference quad    the same with one full-window textured quad
#   menu              the animated main menu
#   waiting 4x3 ...   a game on each board size, waiting for a person's move
#   pause panel       the pause panel open over a game
#   iconified         the menu's window iconified
#
# Targets, as ratios to "reference clear": a waiting game at most 1.0, the
# menu at most 2.0, iconified 0. Exits 1 when one is missed.
#
# With --wine, BUILD_DIR is a Windows build (nubrix.exe and its
# reference_window.exe), run under Wine in a throw-away prefix; the Wine
# server's share is counted with the program's, as it works on its behalf.
set -eu

wine=""
if [ "${1:-}" = "--wine" ]; then
    wine=--wine
    shift
fi
build=${1:-build-bench}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ -z "${NUBRIX_MEASURE_INNER:-}" ]; then
    if [ -n "$wine" ]; then
        NUBRIX_MEASURE_INNER=1 exec sh "$root/tests/support/with-display.sh" --wm \
            sh "$root/tests/support/with-wine.sh" sh "$0" --wine "$build"
    fi
    NUBRIX_MEASURE_INNER=1 exec sh "$root/tests/support/with-display.sh" --wm sh "$0" "$build"
fi
build=$(cd "$root" && cd "$build" && pwd)
. "$root/tests/support/measure.sh"
game=$build/nubrix
reference_window=$build/bench/reference_window
record_tool=$build/tools/record/nubrix-record
if [ -n "$wine" ]; then
    GAME_RUNNER=wine
    game=$game.exe
    reference_window=$reference_window.exe
    record_tool=$record_tool.exe
fi

hz=$(getconf CLK_TCK)
seconds=${NUBRIX_IDLE_SECONDS:-10}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# The Wine server of this run's prefix (none without --wine).
wineserver_pid() {
    [ -n "$wine" ] || return 0
    for p in /proc/[0-9]*; do
        if [ "$(cat "$p/comm" 2>/dev/null)" = wineserver ] &&
            tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
            echo "${p#/proc/}"
            return 0
        fi
    done
}
# ticks of PID, and of the Wine server when there is one.
program_ticks() {
    t=$(ticks "$1")
    [ -z "$WINESERVER_PID" ] || t=$((t + $(ticks "$WINESERVER_PID")))
    echo "$t"
}

# measure PID: share of one core used by PID (with the Wine server) and by
# the X server.
measure() {
    a=$(program_ticks "$1")
    xa=$(ticks "$XVFB_PID" 2>/dev/null || echo 0)
    sleep "$seconds"
    b=$(program_ticks "$1")
    xb=$(ticks "$XVFB_PID" 2>/dev/null || echo 0)
    awk -v a="$a" -v b="$b" -v xa="$xa" -v xb="$xb" -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%.2f %.2f", (b - a) * 100 / hz / s, (xb - xa) * 100 / hz / s }'
}

results=$(mktemp)
trap 'rm -f "$results"' EXIT
row() { echo "$1|$2" >>"$results"; }

reference() {
    ALSOFT_DRIVERS=null ${GAME_RUNNER:-} "$reference_window" "$1" &
    pid=$!
    xdotool search --sync --name '^Reference$' >/dev/null
    sleep 2
    row "reference $1" "$(measure $pid)"
    kill $pid
    wait $pid 2>/dev/null || true
}

# Two people on the board: a game that waits for a move forever.
record=$(${GAME_RUNNER:-} "$record_tool" 0 0 0 0 0 1 1 1 0 0 64 64 10)

keys() { xdotool windowactivate --sync "$GAME_WINDOW" key --delay 150 "$@"; }

WINESERVER_PID=$(wineserver_pid)
reference clear
reference quad

start_game "$game" "$record"
sleep 3
row "menu" "$(measure $GAME_PID)"
xdotool windowminimize --sync "$GAME_WINDOW"
sleep 2
row "iconified" "$(measure $GAME_PID)"
stop_game

for size in 1 2 3; do
    start_game "$game" "$record"
    sleep 3
    case $size in 1) keys Up space ;; 2) keys space ;; 3) keys Down space ;; esac
    sleep 3
    case $size in 1) name=4x3 ;; 2) name=6x4 ;; 3) name=10x7 ;; esac
    row "waiting $name" "$(measure $GAME_PID)"
    if [ "$size" = 2 ]; then
        keys Escape
        sleep 2
        row "pause panel" "$(measure $GAME_PID)"
    fi
    stop_game
done

awk -F'|' '
    { split($2, v, " "); name[NR] = $1; cpu[NR] = v[1]; x[NR] = v[2]; if ($1 == "reference clear") ref = v[1] }
    END {
        printf "%-18s %8s %10s %9s\n", "", "program", "X server", "vs clear"
        bad = 0
        for (i = 1; i <= NR; i++) {
            ratio = ref > 0 ? cpu[i] / ref : 0
            verdict = ""
            if (name[i] ~ /^waiting/ && ratio > 1.0) verdict = "  over 1.0"
            if (name[i] == "menu" && ratio > 2.0) verdict = "  over 2.0"
            if (name[i] == "iconified" && cpu[i] > 0) verdict = "  not idle"
            if (verdict != "") bad = 1
            printf "%-18s %7.2f%% %9.2f%% %8.2fx%s\n", name[i], cpu[i], x[i], ratio, verdict
        }
        exit bad
    }' "$results"
