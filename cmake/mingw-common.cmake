# Shared part of the MinGW-w64 toolchain files: cross-compiles the Windows build (posix
# threads) for PELKRIN_MINGW_TRIPLE and runs the built .exe files through Wine when ctest starts
# them. The including file sets the triple and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PELKRIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELKRIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELKRIN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELKRIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest runs every test executable through this wrapper. It refuses to start Wine without an
# explicit WINEPREFIX, so a test run never creates or shares ~/.wine, and it starts the loader
# that matches the prefix's architecture.
get_filename_component(PELKRIN_WINE_RUN "${CMAKE_CURRENT_LIST_DIR}/../scripts/lib/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PELKRIN_WINE_RUN})
