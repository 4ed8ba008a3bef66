#!/bin/sh
# run.sh BUILD_DIR - runs every bench_* executable built under BUILD_DIR, each
# under an X display (a private Xvfb when none is set) with Mesa's software
# renderer, and stops at the first one that fails.
set -eu

build=${1:?usage: run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
display="$here/../tests/support/with-display.sh"

found=0
for bench in $(find "$build" -type f -name 'bench_*' -perm -u+x -not -path '*/CMakeFiles/*' | sort); do
    found=1
    echo "== $(basename "$bench")"
    LIBGL_ALWAYS_SOFTWARE=1 sh "$display" "$bench"
done

if [ "$found" = 0 ]; then
    echo "run.sh: no bench_* executables under $build" >&2
    exit 1
fi
