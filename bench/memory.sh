#!/bin/sh
# memory.sh BUILD_DIR - resident memory of the game at its menu in a 640x480
# window, next to the least a GLFW + GL + OpenAL window costs
# (reference_window clear), both measured in this run on the same display.
# The game may use at most 28 MB more than the reference.
set -eu

build=${1:-build-bench}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
if [ -z "${NUBRIX_MEASURE_INNER:-}" ]; then
    NUBRIX_MEASURE_INNER=1 exec sh "$root/tests/support/with-display.sh" --wm sh "$0" "$build"
fi
build=$(cd "$root" && cd "$build" && pwd)
. "$root/tests/support/measure.sh"

ALSOFT_DRIVERS=null "$build/bench/reference_window" clear &
ref=$!
xdotool search --sync --name '^Reference$' >/dev/null
sleep 3
ref_kb=$(rss_kb $ref)
kill $ref
wait $ref 2>/dev/null || true

start_game "$build/nubrix"
sleep 3  # loaded, and the menu has slid in
game_kb=$(rss_kb $GAME_PID)
objects=$(live_objects $GAME_PID)
stop_game

diff_kb=$((game_kb - ref_kb))
echo "resident memory, 640x480 window, same display and run"
echo "  reference (clear and swap)  $(mb $ref_kb) MB"
echo "  nubrix at the menu          $(mb $game_kb) MB"
echo "  difference                  $(mb $diff_kb) MB (at most 28 MB)"
[ -z "$objects" ] || echo "  live: $objects"
[ "$diff_kb" -le $((28 * 1024)) ]
