#!/bin/sh
# check-deb.sh BUILD_DIR - lintian on the packages `make deb` made in
# BUILD_DIR: its findings are printed, and any error (E:) or warning (W:)
# fails the check. Informational (I:) and pedantic notes are shown only.
set -eu

debs=$(ls "$1"/nubrix_*.deb "$1"/nubrix-data_*.deb 2>/dev/null) || true
if [ -z "$debs" ]; then
    echo "check-deb: no packages in $1: run make deb" >&2
    exit 1
fi
# shellcheck disable=SC2086
out=$(lintian --info --display-info $debs 2>&1) || true
[ -z "$out" ] || echo "$out"
if echo "$out" | grep -q '^[EW]: '; then
    echo "check-deb: lintian reports errors or warnings" >&2
    exit 1
fi
echo "check-deb: lintian reports no errors and no warnings on $(echo $debs | wc -w) packages"
