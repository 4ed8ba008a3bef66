#!/bin/sh
# soak.sh [BUILD_DIR] - hours of play compressed into eleven minutes: the
# real executable under Xvfb is resized 40 times across all three
# resolution levels, then four computer colours play on the 10x7 board for
# ten minutes (a new game starts whenever one ends). Resident memory and the
# collector's live objects are printed after every 8 resizes and every
# minute. Fails when memory grows by more than 4 MB over the second half of
# the run. Run by `make soak`; not part of `make test`.
set -eu

build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ -z "${NUBRIX_MEASURE_INNER:-}" ]; then
    NUBRIX_MEASURE_INNER=1 exec sh "$root/tests/support/with-display.sh" --wm sh "$0" "$build"
fi
build=$(cd "$root" && cd "$build" && pwd)
. "$root/tests/support/measure.sh"
trap 'stop_game' EXIT

minutes=${NUBRIX_SOAK_MINUTES:-10}

# Settings with all four colours played by the computer, sound on; empty
# badges and score tables.
record=$("$build/tools/record/nubrix-record" 0 0 0 0 0 1 2 2 2 2 64 64 10)

start_game "$build/nubrix" "$record"
start=$(date +%s)
samples=$(mktemp)

sample() {
    kb=$(rss_kb $GAME_PID)
    echo "$(($(date +%s) - start)) $kb" >>"$samples"
    printf '%-34s %7s MB  %s\n' "$1" "$(mb $kb)" "$(live_objects $GAME_PID)"
}

sleep 3
sample "menu, 640x480"

# Level 1 below 631 pixels a side, level 2 up to 1230, level 4 above.
set -- 500x400 1000x700 1250x700 600x450 800x600 1240x900 620x470 820x620
n=0
while [ $n -lt 40 ]; do
    for size in "$@"; do
        xdotool windowsize --sync "$GAME_WINDOW" "${size%x*}" "${size#*x}"
        sleep 1.2  # the sixteen loader steps, and a few menu frames
        n=$((n + 1))
    done
    sample "after $n resizes"
done

# Board size 3 (10x7), then start, looking at the game between keys: a key
# a busy desktop swallowed is pressed again, and Down never goes past 3.
try=0
until [ "$(game_field $GAME_PID m_Mode)" = 10 ]; do
    try=$((try + 1))
    [ $try -le 5 ] || { echo "soak: no game started" >&2; exit 1; }
    size=$(game_field $GAME_PID m_BoardSize)
    if [ "${size:-3}" -lt 3 ]; then key=Down; elif [ "${size:-3}" -gt 3 ]; then key=Up; else key=space; fi
    xdotool windowactivate --sync "$GAME_WINDOW" key $key
    sleep 2
done

# Every few seconds "select" starts the next game when the last one has
# ended (in a game it does nothing: no person plays).
now=$(date +%s)
end=$((now + minutes * 60))
next=$((now + 60))
minute=1
games=0
saved=$(stat -c %Y.%y "$GAME_FOLDER/.varnokstate")
while [ "$now" -lt "$end" ]; do
    xdotool windowactivate --sync "$GAME_WINDOW" key space
    sleep 5
    now=$(date +%s)
    # The record is saved when a finished game has been recorded.
    stamp=$(stat -c %Y.%y "$GAME_FOLDER/.varnokstate")
    [ "$stamp" = "$saved" ] || { [ -z "$saved" ] || games=$((games + 1)); saved=$stamp; }
    if [ "$now" -ge "$next" ]; then
        sample "game, minute $minute ($games games ended)"
        minute=$((minute + 1))
        next=$((next + 60))
    fi
done

# Growth over the second half: the highest sample of the second half
# against the sample at its start.
awk -v limit=4096 '
    { t[NR] = $1; kb[NR] = $2 }
    END {
        half = t[NR] / 2
        for (i = 1; i <= NR && t[i] < half; i++) {}
        base = kb[i]; top = base
        for (j = i; j <= NR; j++) if (kb[j] > top) top = kb[j]
        printf "growth over the second half: %.1f MB (at most %.1f MB)\n", (top - base) / 1024, limit / 1024
        exit (top - base > limit)
    }' "$samples"
