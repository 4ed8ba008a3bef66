#!/bin/sh
# Installs the Debian packages Nubrix needs to build, run and test it.
# Only what is missing is installed, so running it twice is harmless; it uses
# sudo when not run as root and never asks a question.
set -eu

# `deps.sh fuzz` installs the clang tool chain for the fuzz targets instead,
# dpkg-dev too, whose dpkg-source unpacks the Ogg decoder's Debian sources
# for its instrumented build (fuzz/build-vorbis.sh); `deps.sh soak` the
# debugger the soak test counts live objects with; `deps.sh deb` what
# `make deb` packs and checks with (dpkg-shlibdeps, file, lintian); `deps.sh windows` the
# Windows build's and its tests': the mingw-w64 tool chain, dpkg-source for
# the libraries' Debian sources, NSIS for the installer, and 32-bit Wine with
# the 32-bit Mesa it draws through (i386 packages, so that architecture is
# added first).
if [ "${1:-}" = "windows" ]; then
    PACKAGES="g++-mingw-w64-i686-posix dpkg-dev nsis wine wine32 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386"
elif [ "${1:-}" = "fuzz" ]; then
    PACKAGES="clang libclang-rt-14-dev dpkg-dev libogg-dev libvorbis-dev"
elif [ "${1:-}" = "soak" ]; then
    PACKAGES="gdb"
elif [ "${1:-}" = "deb" ]; then
    PACKAGES="dpkg-dev file lintian"
else
PACKAGES="
  cmake make g++ pkg-config
  libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl x11-utils libx11-dev
  sound-theme-freedesktop
  desktop-file-utils appstream
"
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    run() { "$@"; }
else
    run() { sudo "$@"; }
fi

echo "Installing:$missing"
case "$missing" in
*:i386*)
    dpkg --print-foreign-architectures | grep -qx i386 || run dpkg --add-architecture i386
    ;;
esac
run env DEBIAN_FRONTEND=noninteractive apt-get update -q
# shellcheck disable=SC2086
run env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
