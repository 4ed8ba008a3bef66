#!/bin/sh
# with-wine.sh COMMAND [ARGS...]
#
# Runs COMMAND with a private, throw-away 32-bit Wine prefix: made first,
# removed afterwards, so that no test reads or changes the prefix in the
# home folder, nor another test's. The prefix's own wineserver is ended
# through the prefix, never by name. Run it inside with-display.sh: Wine's
# windows go to that display.
set -u

prefix=$(mktemp -d "${TMPDIR:-/tmp}/nubrix-wine.XXXXXX")
export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all
# No offer to install Mono or Gecko while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    wineserver -k 2>/dev/null
    rm -rf "$prefix"
}
trap cleanup EXIT INT TERM

if ! wineboot -i >"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    rm -f "$prefix.log"
    echo "with-wine: the Wine prefix could not be made" >&2
    exit 1
fi
rm -f "$prefix.log"
# One wineserver for the whole run, kept while no program runs, so that each
# program the tests start does not wait for a new one.
wineserver -p 2>/dev/null

"$@"
exit $?
