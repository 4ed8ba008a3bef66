# measure.sh - shell functions for measuring the real executable from
# outside: start it in a fresh working folder, find its window, read its
# resident memory and (through gdb) its live objects. Sourced by
# bench/memory.sh and tests/soak/soak.sh, which set `root` to the
# repository first; needs xdotool, wmctrl and an X display.

# start_game BINARY [RECORD]: runs BINARY (through $GAME_RUNNER, `wine` for
# a Windows build, when set) in a new folder whose data/ is the repository's
# (and whose .varnokstate is RECORD, when given); sets GAME_PID, GAME_WINDOW
# and GAME_FOLDER.
start_game() {
    GAME_FOLDER=$(mktemp -d)
    ln -s "$root/data" "$GAME_FOLDER/data"
    [ -z "${2:-}" ] || printf '%s' "$2" >"$GAME_FOLDER/.varnokstate"
    # shellcheck disable=SC2086
    (cd "$GAME_FOLDER" && exec env ALSOFT_DRIVERS=null ${GAME_RUNNER:-} "$1" >"$GAME_FOLDER/output.txt" 2>&1) &
    GAME_PID=$!
    GAME_WINDOW=$(xdotool search --sync --name '^Nubrix$' | head -n 1)
}

# stop_game: closes the window as its close button would and waits.
stop_game() {
    wmctrl -i -c "$GAME_WINDOW" 2>/dev/null || kill "$GAME_PID" 2>/dev/null
    wait "$GAME_PID" 2>/dev/null
    rm -rf "$GAME_FOLDER"
}

# rss_kb PID: resident memory in kB.
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$1/status"; }

# mb KB: kB as MB with one decimal.
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# live_objects PID: the collector's counts (see live-objects.py); empty when
# gdb cannot attach.
live_objects() {
    command -v gdb >/dev/null 2>&1 || return 0
    gdb -batch -p "$1" -x "$root/tests/support/live-objects.py" 2>/dev/null | grep "^objects" || true
}

# game_field PID FIELD: one field of the running game object (m_Mode,
# m_BoardSize, ...), read through gdb; empty when gdb cannot attach.
game_field() {
    command -v gdb >/dev/null 2>&1 || return 0
    gdb -batch -p "$1" -ex "p ((bb_Nubrix_MyApp*)bb_app_device->m_App)->$2" 2>/dev/null | sed -n 's/^\$1 = //p'
}
