# The third-party libraries, under one name each whichever system the build
# is for:
#   nubrix_dep_glfw        GLFW 3.3
#   nubrix_dep_gl          OpenGL 1.1 (and, on Linux, GLX and Xlib beneath it)
#   nubrix_dep_openal      OpenAL Soft
#   nubrix_dep_vorbisfile  libvorbisfile (with libvorbis and libogg)
#   nubrix_dep_stb         the stb headers, included as <stb/stb_image.h>
# and STB_INCLUDE_DIR, the folder of stb_image.h.
#
# Linux takes Debian's packages through pkg-config. Windows takes the static
# libraries that tools/windows/build-deps.sh made under NUBRIX_WINDOWS_DEPS.

find_path(STB_INCLUDE_DIR stb_image.h PATHS /usr/include PATH_SUFFIXES stb REQUIRED NO_CMAKE_FIND_ROOT_PATH)

foreach(dep glfw gl openal vorbisfile stb)
  add_library(nubrix_dep_${dep} INTERFACE)
endforeach()

# The same header on both systems. A Windows build must not search the
# host's /usr/include (its C library headers would shadow mingw's), so it
# reaches the stb folder through a link of its own.
if(WIN32)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stb-include)
  file(CREATE_LINK ${STB_INCLUDE_DIR} ${CMAKE_BINARY_DIR}/stb-include/stb SYMBOLIC)
  target_include_directories(nubrix_dep_stb SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/stb-include)
else()
  target_include_directories(nubrix_dep_stb SYSTEM INTERFACE ${STB_INCLUDE_DIR}/..)
endif()

if(WIN32)
  set(NUBRIX_WINDOWS_DEPS "" CACHE PATH "Where tools/windows/build-deps.sh installed the Windows libraries")
  if(NOT EXISTS "${NUBRIX_WINDOWS_DEPS}/include/GLFW/glfw3.h")
    message(FATAL_ERROR "NUBRIX_WINDOWS_DEPS (${NUBRIX_WINDOWS_DEPS}) holds no Windows build of the libraries: "
                        "run tools/windows/build-deps.sh first (make windows does)")
  endif()
  set(lib ${NUBRIX_WINDOWS_DEPS}/lib)
  foreach(dep glfw gl openal vorbisfile)
    target_include_directories(nubrix_dep_${dep} SYSTEM INTERFACE ${NUBRIX_WINDOWS_DEPS}/include)
  endforeach()
  target_link_libraries(nubrix_dep_glfw INTERFACE ${lib}/libglfw3.a gdi32)
  target_link_libraries(nubrix_dep_gl INTERFACE opengl32)
  target_compile_definitions(nubrix_dep_openal INTERFACE AL_LIBTYPE_STATIC)
  target_link_libraries(nubrix_dep_openal INTERFACE ${lib}/libOpenAL32.a winmm ole32 avrt uuid)
  target_link_libraries(nubrix_dep_vorbisfile INTERFACE ${lib}/libvorbisfile.a ${lib}/libvorbis.a ${lib}/libogg.a)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(GLFW3 REQUIRED IMPORTED_TARGET glfw3)
  pkg_check_modules(OPENAL REQUIRED IMPORTED_TARGET openal)
  pkg_check_modules(VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile)
  set(OpenGL_GL_PREFERENCE GLVND)
  find_package(OpenGL REQUIRED)
  find_package(X11 REQUIRED)
  target_link_libraries(nubrix_dep_glfw INTERFACE PkgConfig::GLFW3)
  target_link_libraries(nubrix_dep_gl INTERFACE OpenGL::GL OpenGL::GLX X11::X11)
  target_link_libraries(nubrix_dep_openal INTERFACE PkgConfig::OPENAL)
  target_link_libraries(nubrix_dep_vorbisfile INTERFACE PkgConfig::VORBISFILE)
endif()
