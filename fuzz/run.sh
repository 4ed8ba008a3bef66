#!/bin/sh
# run.sh BUILD NAME SECONDS
#
# Runs the libFuzzer target BUILD/fuzz/fuzz_NAME for SECONDS seconds. It
# starts from the seed corpus fuzz/corpus/NAME/ (read only: the repository's
# seeds never change), for png also from every PNG in data/, and keeps what
# it finds in a scratch corpus under ${FUZZ_WORK:-/tmp}/nubrix-fuzz-NAME/,
# which later runs pick up again.
# Crash, leak and timeout reproducers land in that folder's artifacts/.
# Exits non-zero when the fuzzer found something.
set -eu

if [ $# -ne 3 ]; then
    echo "usage: $0 BUILD NAME SECONDS" >&2
    exit 2
fi
build=$1
name=$2
seconds=$3

here=$(cd "$(dirname "$0")" && pwd)
binary=$build/fuzz/fuzz_$name
seeds=$here/corpus/$name
work=${FUZZ_WORK:-/tmp}/nubrix-fuzz-$name

if [ ! -x "$binary" ]; then
    echo "run.sh: $binary is not built" >&2
    exit 2
fi
if [ ! -d "$seeds" ]; then
    echo "run.sh: no seed corpus $seeds" >&2
    exit 2
fi
mkdir -p "$work/corpus" "$work/artifacts"

# -max_len: real sound effects are larger, but the headers, chunk walking and
# the decoder's set-up are all within the first 64 KiB. Pictures are seeded
# with every PNG in data/ as well; about half of those are whole within
# 64 KiB, and the larger ones, cut there, seed the truncation paths (whole,
# they take the fuzzer to a few inputs a second).
max_len=65536
set -- "$work/corpus" "$seeds"
if [ "$name" = png ]; then
    mkdir -p "$work/data-seeds"
    find "$here/../data" -name '*.png' -exec cp {} "$work/data-seeds/" \;
    set -- "$@" "$work/data-seeds"
fi

# -malloc_limit_mb: any single allocation above it is a finding, so a file
# that talks the reader into an absurd allocation fails the run.
# -timeout: 20 seconds for one input; on a busy machine, where the fuzzer runs
# at the lowest priority and can wait that long for a core, set FUZZ_TIMEOUT
# higher so that waiting is not taken for a hang.
"$binary" \
    -max_total_time="$seconds" \
    -malloc_limit_mb=256 \
    -rss_limit_mb=2048 \
    -timeout="${FUZZ_TIMEOUT:-20}" \
    -max_len="$max_len" \
    -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" \
    "$@"
