# 32-bit Windows, the program's platform, cross-built with Debian's MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(GRABLET_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
