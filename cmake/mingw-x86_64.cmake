# The 64-bit Windows build of the same sources: MinGW-w64 x86_64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(PELKRIN_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
