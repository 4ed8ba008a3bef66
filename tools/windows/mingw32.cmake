# CMake tool chain for 32-bit Windows, cross-compiled with Debian's mingw-w64
# (g++-mingw-w64-i686-posix):
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw32.cmake \
#         -DNUBRIX_WINDOWS_DEPS=<prefix of tools/windows/build-deps.sh> ...
#
# The -posix compilers are the ones whose libstdc++ has std::thread and
# std::mutex (on winpthreads); the -win32 ones have neither.
#
# Libraries, headers and CMake/pkg-config packages are looked for only in
# NUBRIX_WINDOWS_DEPS and in the mingw-w64 sysroot, never among the host's
# Linux ones; programs (pkg-config and the like) are the host's. Running a
# test program under Wine is the project's business, per test: this file sets
# no CMAKE_CROSSCOMPILING_EMULATOR.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(NUBRIX_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${NUBRIX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${NUBRIX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${NUBRIX_MINGW_TRIPLET}-windres)

# The same floating point as the Linux build: SSE2 scalar arithmetic, each
# operation rounded to its type. The i686 default, x87 with its 80-bit
# registers, rounds intermediate results differently, and a replay or a
# golden image made on Linux would then drift. (This GCC realigns the stack
# of functions that keep SSE values on it, -mstackrealign being its default
# for Windows, so callbacks from Windows' 4-byte aligned stacks are safe.)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# libgcc, libstdc++ and winpthreads are linked in, so a program needs only
# the DLLs that come with Windows. DLLs, should anything build one, carry
# their own copy of the GCC runtimes for the same reason.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# The prefix holding the Windows builds of GLFW, OpenAL Soft, libogg and
# libvorbis. Handed on to the projects that try_compile() and the feature
# checks configure, which read this file again.
set(NUBRIX_WINDOWS_DEPS "" CACHE PATH "Prefix of the Windows libraries (tools/windows/build-deps.sh)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES NUBRIX_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${NUBRIX_MINGW_TRIPLET})
if(NUBRIX_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${NUBRIX_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config is the host's program, but the .pc files it reads are the
# Windows libraries' only: with the host's directories in its path,
# pkg_check_modules() would hand the Linux libvorbisfile to a Windows link.
# Their prefix= lines are absolute already, so no sysroot is prepended.
if(NUBRIX_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${NUBRIX_WINDOWS_DEPS}/lib/pkgconfig")
else()
  set(ENV{PKG_CONFIG_LIBDIR} "/usr/${NUBRIX_MINGW_TRIPLET}/lib/pkgconfig")
endif()
set(ENV{PKG_CONFIG_PATH} "")
