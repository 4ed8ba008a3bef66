# The Windows program as players get it:
#   nubrix.exe                        a GUI program with its icon, version
#                                     information and manifest (nubrix.rc)
#   nubrix-<version>-windows.zip      the game folder: the program, data\
#                                     and a short read-me
#   nubrix-<version>-setup.exe        a per-user installer (installer.nsi)
# `make windows` builds all three (targets nubrix, nubrix_zip, nubrix_setup).
#
# The icon is drawn by assetgen, which runs on the machine that builds:
# NUBRIX_HOST_ASSETGEN names it.

set(NUBRIX_HOST_ASSETGEN "" CACHE FILEPATH "assetgen built for the machine that builds")
if(NOT EXISTS "${NUBRIX_HOST_ASSETGEN}")
  message(FATAL_ERROR "NUBRIX_HOST_ASSETGEN (${NUBRIX_HOST_ASSETGEN}) is not there: build the native assetgen first")
endif()

set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(NUBRIX_ICO ${icon_dir}/nubrix.ico)
add_custom_command(OUTPUT ${NUBRIX_ICO}
  COMMAND ${NUBRIX_HOST_ASSETGEN} ${icon_dir} appicon
  DEPENDS ${NUBRIX_HOST_ASSETGEN}
  COMMENT "Drawing the program's icon")
# A target of its own: the program is defined in another folder, which
# cannot see this folder's generated files.
add_custom_target(nubrix_icon DEPENDS ${NUBRIX_ICO})
add_dependencies(nubrix nubrix_icon)

string(REPLACE "." "," NUBRIX_VERSION_COMMAS "${NUBRIX_VERSION},0")
configure_file(windows/nubrix.rc.in ${CMAKE_CURRENT_BINARY_DIR}/nubrix.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/nubrix.rc PROPERTIES
  OBJECT_DEPENDS "${NUBRIX_ICO};${CMAKE_CURRENT_SOURCE_DIR}/windows/nubrix.exe.manifest")
target_sources(nubrix PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/nubrix.rc)
# A windowed program: no console opens with it. Its standard output still
# reaches a file or pipe it is started with (nubrix.exe > log.txt).
set_target_properties(nubrix PROPERTIES WIN32_EXECUTABLE ON)
target_link_options(nubrix PRIVATE -s)

# The game folder, staged once for the zip and the installer.
set(stage_name nubrix-${NUBRIX_VERSION}-windows)
set(stage ${CMAKE_BINARY_DIR}/${stage_name})
configure_file(windows/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_target(nubrix_stage
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nubrix> ${CMAKE_CURRENT_BINARY_DIR}/README.txt ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/data ${stage}/data
  DEPENDS nubrix
  COMMENT "Staging the game folder")

set(NUBRIX_ZIP ${CMAKE_BINARY_DIR}/nubrix-${NUBRIX_VERSION}-windows.zip)
add_custom_target(nubrix_zip
  COMMAND ${CMAKE_COMMAND} -E rm -f ${NUBRIX_ZIP}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${NUBRIX_ZIP} --format=zip ${stage_name}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS nubrix_stage
  COMMENT "Packing ${NUBRIX_ZIP}")

find_program(MAKENSIS makensis)
if(MAKENSIS)
  set(NUBRIX_SETUP ${CMAKE_BINARY_DIR}/nubrix-${NUBRIX_VERSION}-setup.exe)
  add_custom_target(nubrix_setup
    COMMAND ${MAKENSIS} -V2 -DVERSION=${NUBRIX_VERSION} -DSTAGE=${stage} -DICON=${NUBRIX_ICO}
            -DOUTFILE=${NUBRIX_SETUP} ${CMAKE_CURRENT_SOURCE_DIR}/windows/installer.nsi
    DEPENDS nubrix_stage ${NUBRIX_ICO}
    COMMENT "Making ${NUBRIX_SETUP}")
endif()
