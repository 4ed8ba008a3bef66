#!/bin/sh
# build-vorbis.sh PREFIX
#
# Builds libogg and libvorbis (with vorbisfile) from Debian's own sources,
# instrumented for the fuzzer, and installs them as static libraries under
# PREFIX. fuzz_ogg links these instead of the system's uninstrumented
# libvorbisfile, so the fuzzer is guided by the decoder's branches and
# AddressSanitizer watches every access the decoder makes.
#
# The sources are the versions installed here (libogg-dev, libvorbis-dev),
# fetched with `apt-get source` through a private source list and package
# cache under PREFIX (tools/debian-sources.sh): the system's apt
# configuration is left as it is. Does nothing when PREFIX already holds the
# libraries for those versions.
#
# Undefined behaviour inside the decoder is reported but does not stop the
# run (-fsanitize-recover): it is Debian's code, reported in the log, while
# our own code keeps stopping at the first report.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 PREFIX" >&2
    exit 2
fi
mkdir -p "$1"
prefix=$(cd "$1" && pwd)

version() { dpkg-query -W -f='${Version}' "$1"; }
ogg=$(version libogg-dev)
vorbis=$(version libvorbis-dev)
stamp="$prefix/versions"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "libogg $ogg, libvorbis $vorbis" ]; then
    exit 0
fi

src="$prefix/src"
rm -rf "$src"
mkdir -p "$src"
. "$(dirname "$0")/../tools/debian-sources.sh"
debian_sources_init "$prefix/apt"
echo "build-vorbis.sh: fetching the sources of libogg $ogg and libvorbis $vorbis"
debian_apt update >/dev/null
(cd "$src" && debian_apt source --download-only "libogg=$ogg" "libvorbis=$vorbis" >/dev/null 2>&1)
# apt has checked the files against the signed archive index; dpkg-source's
# own check of the maintainers' signatures needs their keys, which are not
# installed, and would only warn.
(cd "$src" && dpkg-source -x libogg_*.dsc ogg && dpkg-source -x libvorbis_*.dsc vorbis) >"$src/unpack.log" 2>&1 || {
    cat "$src/unpack.log" >&2
    exit 1
}

flags="-O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined"
for lib in ogg vorbis; do
    echo "build-vorbis.sh: building $lib"
    CC=clang CFLAGS="$flags" cmake -S "$src/$lib" -B "$src/$lib-build" -DCMAKE_BUILD_TYPE=None \
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_INSTALL_LIBDIR=lib >"$src/$lib-build.log" 2>&1 &&
    cmake --build "$src/$lib-build" -j "$(nproc)" >>"$src/$lib-build.log" 2>&1 &&
    cmake --install "$src/$lib-build" >>"$src/$lib-build.log" 2>&1 || {
        cat "$src/$lib-build.log" >&2
        exit 1
    }
done
echo "libogg $ogg, libvorbis $vorbis" > "$stamp"
