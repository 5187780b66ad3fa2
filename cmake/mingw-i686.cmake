# The 32-bit Windows build (the product): MinGW-w64 i686.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(PELKRIN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
