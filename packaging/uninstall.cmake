# Removes what an install wrote, as its manifest lists it:
#
#   DESTDIR=... cmake -DMANIFEST=build/install_manifest.txt -P packaging/uninstall.cmake
#
# The manifest holds the installed paths without DESTDIR: give the same
# DESTDIR as the install (none for a real one). The game's own folders
# (lib/games/nubrix, share/games/nubrix, share/doc/nubrix and
# share/doc/nubrix-data, and what is inside them) go too once they are
# empty; shared ones such as games/ or share/applications/ stay. A file already gone is reported
# and skipped; a file that cannot be removed is an error.

if(NOT MANIFEST OR NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "nothing to uninstall: no install manifest at '${MANIFEST}' (run `make install` first)")
endif()

file(STRINGS "${MANIFEST}" installed)
set(folders)
foreach(path ${installed})
  set(file "$ENV{DESTDIR}${path}")
  if(IS_SYMLINK "${file}" OR EXISTS "${file}")
    message(STATUS "Removing ${file}")
    file(REMOVE "${file}")
    if(IS_SYMLINK "${file}" OR EXISTS "${file}")
      message(FATAL_ERROR "cannot remove ${file}")
    endif()
  else()
    message(STATUS "Already gone: ${file}")
  endif()
  # The game's own folders above the file: up to its lib/games/nubrix,
  # share/games/nubrix or share/doc/nubrix[-data] (the last such in the
  # path, whatever DESTDIR holds).
  if(file MATCHES "^(.*/(lib/games|share/games|share/doc)/nubrix(-data)?)/")
    set(own "${CMAKE_MATCH_1}")
    get_filename_component(dir "${file}" DIRECTORY)
    while(NOT dir STREQUAL own)
      list(APPEND folders "${dir}")
      get_filename_component(dir "${dir}" DIRECTORY)
    endwhile()
    list(APPEND folders "${own}")
  endif()
endforeach()

# Deepest first, so that a folder is empty once its subfolders are gone.
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)
foreach(dir ${folders})
  if(IS_DIRECTORY "${dir}")
    file(GLOB left "${dir}/*" "${dir}/.*")
    if(NOT left)
      message(STATUS "Removing ${dir}/")
      file(REMOVE_RECURSE "${dir}")
    endif()
  endif()
endforeach()
file(REMOVE "${MANIFEST}")
