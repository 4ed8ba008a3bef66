#!/bin/sh
# build-deps.sh PREFIX
#
# Builds the libraries the game links on Windows, GLFW, OpenAL Soft, libogg
# and libvorbis (with vorbisfile), and GoogleTest for the test suites, as
# static 32-bit Windows libraries with
# the tool chain beside this script (mingw32.cmake), and installs them under
# PREFIX: headers in include/, archives in lib/, with the CMake packages and
# pkg-config files the libraries install themselves. The game's Windows
# build names PREFIX as NUBRIX_WINDOWS_DEPS.
#
# The sources are Debian's, fetched with `apt-get source` through a private
# source list and package cache under PREFIX (tools/debian-sources.sh); the
# system's apt configuration is left as it is.
#   GLFW, libogg, libvorbis: the versions the Linux build links, those of
#     the installed libglfw3-dev, libogg-dev and libvorbis-dev; where one is
#     not installed, the newest that this release's archive holds (as the
#     lists fetched by the last build say, when checking). Debian's
#     patches are applied, as for the Linux packages.
#   OpenAL Soft: 1.24.2, the upstream tarball of the next release's (trixie)
#     package, its checksum checked against trixie's index. The archive no
#     longer serves the tarball of this release's 1.19.1, nor the .dsc and
#     Debian patches of trixie's 1.24.2: it is built as its authors released
#     it.
#   GoogleTest: the sources Debian's googletest package installs in
#     /usr/src/googletest (libgtest-dev depends on it), the very version the
#     Linux suites link.
# All are built with -O2 and without NDEBUG, as Debian builds them (less the
# debug information), plus the tool chain's SSE2 arithmetic.
#
# Does nothing when PREFIX/versions records the versions this run would
# build (and the compiler's); otherwise removes what the last run installed
# and builds them all again. The output of each step goes to a log under
# PREFIX/src, shown when the step fails.
#
# A program linking them statically:
#   compile with -DAL_LIBTYPE_STATIC -I PREFIX/include
#   link     -static -L PREFIX/lib -lglfw3 -lOpenAL32 -lvorbisfile -lvorbis
#            -logg -lopengl32 -lgdi32 -lwinmm -lavrt -lole32 -luuid
# The CMake packages (glfw3, OpenAL, Vorbis, Ogg) and pkg-config files
# (glfw3, openal, vorbisfile with --static) name all of it but opengl32
# (find_package(OpenGL)), ole32 and uuid, which CMake links into every MinGW
# program anyway. Without those two the link misses OpenAL's COM calls
# (CoCreateInstance, PropVariantClear...) and the FOLDERID_ constants it
# finds its configuration files by.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: $0 PREFIX" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
toolchain="$here/mingw32.cmake"
. "$here/../debian-sources.sh"

if [ ! -f /usr/src/googletest/CMakeLists.txt ]; then
    echo "build-deps.sh: /usr/src/googletest is missing: apt-get install googletest" >&2
    exit 1
fi
for tool in i686-w64-mingw32-gcc-posix i686-w64-mingw32-g++-posix cmake make dpkg-source; do
    if ! command -v "$tool" >/dev/null; then
        echo "build-deps.sh: $tool is missing: apt-get install g++-mingw-w64-i686-posix cmake make dpkg-dev" >&2
        exit 1
    fi
done

mkdir -p "$1"
prefix=$(cd "$1" && pwd)
apt="$prefix/apt"
src="$prefix/src"
stamp="$prefix/versions"
openal_suite=trixie
openal_upstream=1.24.2
debian_sources_init "$apt" "$openal_suite"

update_lists() {
    debian_apt update >"$apt/update.log" 2>&1 || {
        cat "$apt/update.log" >&2
        exit 1
    }
}

lists_fetched() {
    ls "$apt/lists"/*_dists_"${debian_codename}"_main_source_Sources* \
        "$apt/lists"/*_dists_"${openal_suite}"_main_source_Sources* >/dev/null 2>&1
}

# version SOURCE BINARY: the version of the source package SOURCE to build,
# that of the installed BINARY or else the newest this release lists.
version() {
    if dpkg-query -W -f='${Status}' "$2" 2>/dev/null | grep -q "install ok installed"; then
        dpkg-query -W -f='${source:Version}' "$2"
        return
    fi
    lists_fetched || update_lists
    v=$(debian_source_version "$1" "$debian_codename" "$debian_codename-updates" "$debian_codename-security")
    if [ -z "$v" ]; then
        echo "build-deps.sh: $debian_codename lists no source package $1" >&2
        exit 1
    fi
    echo "$v"
}

versions() {
    glfw=$(version glfw3 libglfw3-dev)
    ogg=$(version libogg libogg-dev)
    vorbis=$(version libvorbis libvorbis-dev)
    gcc=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-i686-posix 2>/dev/null ||
        i686-w64-mingw32-gcc-posix -dumpversion)
    gtest=$(dpkg-query -W -f='${Version}' googletest)
    wanted="glfw3 $glfw, libogg $ogg, libvorbis $vorbis, openal-soft $openal_upstream, googletest $gtest, gcc-mingw-w64-i686-posix $gcc"
}

versions
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
    exit 0
fi

# Fresh lists for the fetch: the archive may have moved on since the last
# build, and keeps only the newest files.
update_lists
versions
openal=$(debian_source_version openal-soft "$openal_suite")
openal_bare=${openal#*:}
if [ "${openal_bare%-*}" != "$openal_upstream" ]; then
    echo "build-deps.sh: $openal_suite lists openal-soft ${openal:-nowhere}, not $openal_upstream" >&2
    exit 1
fi

# What the last build installed goes first, so that no header or archive of
# an older version is left behind beside the new ones.
rm -f "$stamp"
for manifest in "$src"/*-build/install_manifest.txt; do
    if [ -f "$manifest" ]; then
        while IFS= read -r file; do
            rm -f "$file"
        done <"$manifest"
    fi
done
rm -rf "$src"
mkdir -p "$src"

echo "build-deps.sh: fetching the sources of glfw3 $glfw, libogg $ogg, libvorbis $vorbis and openal-soft $openal"
# --tar-only: of openal-soft, only the upstream tarball is to be had.
(cd "$src" && debian_apt source --download-only "glfw3=$glfw" "libogg=$ogg" "libvorbis=$vorbis" &&
    debian_apt source --download-only --tar-only "openal-soft=$openal") >"$src/fetch.log" 2>&1 || {
    cat "$src/fetch.log" >&2
    exit 1
}
# apt has checked the files against the signed archive index; dpkg-source's
# own check of the maintainers' signatures needs their keys, which are not
# installed, and would only warn.
(cd "$src" && dpkg-source -x glfw3_*.dsc glfw && dpkg-source -x libogg_*.dsc ogg &&
    dpkg-source -x libvorbis_*.dsc vorbis &&
    mkdir openal && tar -xf openal-soft_"$openal_upstream".orig.tar.* -C openal --strip-components=1) \
    >"$src/unpack.log" 2>&1 || {
    cat "$src/unpack.log" >&2
    exit 1
}
# OpenAL Soft links its bundled fmt (an object library, archived into
# libOpenAL32.a) through $<BUILD_LOCAL_INTERFACE:>, which is CMake 3.26's;
# this release has 3.25. $<BUILD_INTERFACE:> does the same but for the
# export of the build tree, which would then name fmt and fail, and which
# nothing here reads: it goes.
sed -i -e 's/\$<BUILD_LOCAL_INTERFACE:alsoft::fmt>/$<BUILD_INTERFACE:alsoft::fmt>/' \
    -e '/^    export(TARGETS OpenAL$/,/FILE OpenALTargets.cmake)$/d' "$src/openal/CMakeLists.txt"
if grep -q 'BUILD_LOCAL_INTERFACE\|export(TARGETS OpenAL' "$src/openal/CMakeLists.txt"; then
    echo "build-deps.sh: openal-soft's CMakeLists.txt is not the one this script adapts to CMake 3.25" >&2
    exit 1
fi

# build NAME CMAKE-OPTION...: configures, builds and installs $src/NAME
# (or, with SOURCE=dir, that folder).
build() {
    name=$1
    shift
    source_dir=${SOURCE:-$src/$name}
    echo "build-deps.sh: building $name"
    log="$src/$name-build.log"
    started=$(date +%s)
    CFLAGS=-O2 CXXFLAGS=-O2 cmake -S "$source_dir" -B "$src/$name-build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DNUBRIX_WINDOWS_DEPS="$prefix" \
        -DCMAKE_BUILD_TYPE=None -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_INSTALL_LIBDIR=lib "$@" >"$log" 2>&1 &&
    cmake --build "$src/$name-build" -j 2 >>"$log" 2>&1 &&
    cmake --install "$src/$name-build" >>"$log" 2>&1 || {
        cat "$log" >&2
        exit 1
    }
    echo "build-deps.sh: built $name in $(($(date +%s) - started)) s"
}

build ogg -DINSTALL_DOCS=OFF
build vorbis
build glfw -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF -DGLFW_INSTALL=ON
# No utilities, examples or tests, nor the sample configuration, HRTF and
# AmbDec data files: the library alone, with its default HRTF built in.
build openal -DLIBTYPE=STATIC -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF -DALSOFT_TESTS=OFF \
    -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF \
    -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF -DALSOFT_UPDATE_BUILD_VERSION=OFF

# Google Mock is not used by the suites.
SOURCE=/usr/src/googletest build googletest -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON

echo "$wanted" >"$stamp"
