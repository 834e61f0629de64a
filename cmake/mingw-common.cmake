# Shared by the MinGW-w64 toolchain files; GRABLET_MINGW_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model needs no winpthread DLL beside the exe.
set(CMAKE_C_COMPILER ${GRABLET_MINGW_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${GRABLET_MINGW_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${GRABLET_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${GRABLET_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Small and reproducible: unused code dropped, no build paths, no link time.
get_filename_component(_grablet_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CXX_FLAGS_INIT
    "-ffunction-sections -fdata-sections -ffile-prefix-map=${_grablet_source_dir}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
set(CMAKE_C_FLAGS_INIT "${CMAKE_CXX_FLAGS_INIT}")
# Everything static: a player's machine has none of the MinGW runtime DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--no-insert-timestamp")
