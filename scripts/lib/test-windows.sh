#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 and checks the exe as a file:
# format, imports, size, resources, icon and reproducibility. Running it
# under Wine is test-windows-i686.sh's part; the zip is test-package.sh's.
# Run from the repository root.
set -uo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/common.sh

finish() { finish_checks "windows tests"; }

ensure_packages "${build_packages[@]}" "${windows_packages[@]}" imagemagick

# --- The exe ----------------------------------------------------------------

if ! { cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null; }; then
  check "cmake --preset windows builds" false
  finish
fi
exe=build/windows/grablet.exe
objdump=i686-w64-mingw32-objdump

is_gui_pe32() {
  $objdump -f "$exe" | grep 'file format pei-i386' >/dev/null &&
    $objdump -p "$exe" | grep 'Subsystem.*(Windows GUI)' >/dev/null
}
# Only DLLs that every Windows has: no MinGW runtime beside the exe.
imports_system_dlls_only() {
  local dlls
  dlls=$($objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'a-z' 'A-Z' | sort -u)
  echo "   imports: $(echo $dlls)"
  [ -n "$dlls" ] || return 1
  ! echo "$dlls" | grep -vxE 'KERNEL32\.DLL|USER32\.DLL|GDI32\.DLL|COMCTL32\.DLL|MSVCRT\.DLL|ADVAPI32\.DLL|SHELL32\.DLL'
}
is_small() {
  local size
  size=$(stat -c %s "$exe")
  echo "   size: $size bytes"
  [ "$size" -le $((200 * 1024)) ]
}
has_resources() {
  $objdump -p "$exe" | grep 'Resource Directory \[.rsrc\]' >/dev/null &&
    grep -aq '<dpiAware' "$exe" && grep -aq 'supportedOS' "$exe" &&
    grep -aq '>true/pm</dpiAware>' "$exe" &&
    grep -aq '>PerMonitorV2, PerMonitor</dpiAwareness>' "$exe" &&
    ! grep -aq 'requestedExecutionLevel' "$exe" &&
    i686-w64-mingw32-strings -el "$exe" | grep -x '1\.0\.1' >/dev/null
}
icon_has_both_sizes() {
  local ico=build/windows/window/win32/grablet.ico
  identify "$ico" 2>/dev/null | awk '{print $3, $5}' | sort >build/windows/ico.txt
  printf '16x16 8-bit\n32x32 8-bit\n' | cmp -s - build/windows/ico.txt &&
    [ "$(head -c 6 "$ico" | od -An -tu2 | tr -s ' ')" = " 0 1 2" ]
}
# A clean build in another folder gives the same bytes: no time stamps, no paths.
builds_reproducibly() {
  local other=build/windows-repro
  rm -rf "$other"
  cmake -S . -B "$other" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DGRABLET_TESTS=OFF >/dev/null &&
    cmake --build "$other" -j2 --target grablet >/dev/null &&
    cmp "$exe" "$other/grablet.exe"
}
check "grablet.exe is a 32-bit GUI program" is_gui_pe32
check "grablet.exe needs no MinGW DLLs" imports_system_dlls_only
check "grablet.exe is at most 200 KiB" is_small
check "grablet.exe has its manifest, version and no elevation request" has_resources
check "the icon has 16x16 and 32x32 entries of 8 bits" icon_has_both_sizes
check "two clean builds give the same grablet.exe" builds_reproducibly

finish
