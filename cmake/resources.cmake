# Pelkrin's resources in the Windows build.
#
# The icons, cursors and sounds are not stored in the repository: tools/resgen draws and
# synthesises them. resgen is built with the build machine's own compiler (it runs here, not on
# Windows) and writes into ${CMAKE_BINARY_DIR}/generated. Then:
#   - resources/pelkrin.rc compiles the tray icons, the cursors, the manifest and the version
#     information into pelkrin.exe (PELKRIN_RESOURCE_FILES, added to the program's sources);
#   - the target pelkrin_resources copies the sounds and the Block button's icons into the
#     program folder, where the program and the browser load them from files.

set(PELKRIN_HOST_CXX "c++" CACHE STRING "C++ compiler of the build machine, for build-time tools")

get_filename_component(_pelkrin_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
if(NOT DEFINED PELKRIN_PROGRAM_DIR)
  set(PELKRIN_PROGRAM_DIR "${CMAKE_BINARY_DIR}/program")
  file(MAKE_DIRECTORY "${PELKRIN_PROGRAM_DIR}")
endif()
set(PELKRIN_GENERATED_DIR "${CMAKE_BINARY_DIR}/generated")

# ---- The generator, built for the build machine ----
if(CMAKE_HOST_WIN32)
  set(_resgen "${CMAKE_BINARY_DIR}/host/resgen.exe")
else()
  set(_resgen "${CMAKE_BINARY_DIR}/host/resgen")
endif()
file(GLOB _resgen_sources CONFIGURE_DEPENDS
  "${_pelkrin_root}/tools/resgen/*.cpp" "${_pelkrin_root}/tools/resgen/*.h")
add_custom_command(
  OUTPUT "${_resgen}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
  COMMAND "${PELKRIN_HOST_CXX}" -std=c++20 -O2 -Wall -Wextra -Werror
          -o "${_resgen}" "${_pelkrin_root}/tools/resgen/resgen.cpp"
  DEPENDS ${_resgen_sources}
  COMMENT "Building the resource generator for the build machine"
  VERBATIM)

# ---- What it writes ----
set(_pelkrin_compiled_pictures
  normal.ico anim1.ico anim2.ico pelk_off.ico close_mark.cur button_hand.cur)
set(_pelkrin_loose_files
  click.sys barble.sys menu.sys pop.wav chopper.ico trash.ico)
set(_generated "")
foreach(name IN LISTS _pelkrin_compiled_pictures _pelkrin_loose_files)
  list(APPEND _generated "${PELKRIN_GENERATED_DIR}/${name}")
endforeach()
add_custom_command(
  OUTPUT ${_generated}
  COMMAND "${_resgen}" "${PELKRIN_GENERATED_DIR}"
  DEPENDS "${_resgen}"
  COMMENT "Drawing Pelkrin's icons and cursors, synthesising its sounds"
  VERBATIM)

# ---- The loose files, laid out in the program folder ----
set(_laid_out "")
foreach(name IN LISTS _pelkrin_loose_files)
  add_custom_command(
    OUTPUT "${PELKRIN_PROGRAM_DIR}/${name}"
    COMMAND "${CMAKE_COMMAND}" -E copy
            "${PELKRIN_GENERATED_DIR}/${name}" "${PELKRIN_PROGRAM_DIR}/${name}"
    DEPENDS "${PELKRIN_GENERATED_DIR}/${name}"
    VERBATIM)
  list(APPEND _laid_out "${PELKRIN_PROGRAM_DIR}/${name}")
endforeach()
add_custom_target(pelkrin_resources ALL DEPENDS ${_generated} ${_laid_out})
# The files laid out here, for the release packages (cmake/packaging.cmake).
set(PELKRIN_LOOSE_FILES ${_pelkrin_loose_files})

# ---- The application manifest, naming the architecture of this build ----
# Windows refuses to start a program whose manifest names another processor architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(PELKRIN_MANIFEST_ARCH amd64)
else()
  set(PELKRIN_MANIFEST_ARCH x86)
endif()
configure_file("${_pelkrin_root}/resources/pelkrin.manifest.in"
  "${PELKRIN_GENERATED_DIR}/pelkrin.manifest" @ONLY)
# The version and publisher of the version resource, from the project's version.
configure_file("${_pelkrin_root}/resources/version.h.in" "${PELKRIN_GENERATED_DIR}/version.h" @ONLY)

# ---- The resource script, compiled by windres ----
enable_language(RC)
set(_rc "${_pelkrin_root}/resources/pelkrin.rc")
set(_rc_inputs "${PELKRIN_GENERATED_DIR}/pelkrin.manifest"
  "${PELKRIN_GENERATED_DIR}/version.h" "${_pelkrin_root}/resources/resource.h")
foreach(name IN LISTS _pelkrin_compiled_pictures)
  list(APPEND _rc_inputs "${PELKRIN_GENERATED_DIR}/${name}")
endforeach()
# windres looks up the files named in the script along its include folders. The pictures are not
# #included, so tell the build that the script's object must be remade when they change.
set_source_files_properties("${_rc}" PROPERTIES
  INCLUDE_DIRECTORIES "${_pelkrin_root}/resources;${PELKRIN_GENERATED_DIR}"
  OBJECT_DEPENDS "${_rc_inputs}")
set(PELKRIN_RESOURCE_FILES "${_rc}")
