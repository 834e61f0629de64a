# 64-bit Windows: the same program for Wine on hosts that cannot run 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(GRABLET_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
