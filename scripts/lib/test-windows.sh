#!/usr/bin/env bash
# Builds the Windows program with MinGW-w64 and tests it under Wine: the exe
# itself, the unit tests, the window in-process and driven from outside at
# 96, 120, 144 and 192 DPI, screenshots, and the players' zip. Run from the
# repository root.
set -uo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/common.sh

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: runs one check, counts it, passes on its status
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok: $what"
  else
    failed=$((failed + 1))
    echo "FAILED: $what"
    return 1
  fi
}
finish() {
  echo "windows tests: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

ensure_i386
# fonts-wine: Wine's own fonts, for the title bar's close box among others.
ensure_packages "${build_packages[@]}" "${windows_packages[@]}" "${x11_test_packages[@]}" fonts-wine

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

# --- Wine -------------------------------------------------------------------

# Where 32-bit programs cannot run (some kernels leave out ia32 emulation),
# the same sources are built for 64-bit Windows and run under 64-bit Wine.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=i686
  wine=(wine)
  tests_dir=build/windows
  export WINEARCH=win32
else
  echo "note: this machine cannot run 32-bit programs; testing a 64-bit build under wine64"
  arch=x86_64
  ensure_packages g++-mingw-w64-x86-64-win32 wine64
  wine=(/usr/lib/wine/wine64)
  tests_dir=build/windows-x64
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  if ! { { [ -f "$tests_dir/CMakeCache.txt" ] ||
           cmake -S . -B "$tests_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
             -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null; } &&
         cmake --build "$tests_dir" -j2 >/dev/null; }; then
    check "64-bit build for Wine" false
    finish
  fi
fi

export WINEPREFIX="$PWD/build/wine-$arch" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  stop_xvfb
}
trap cleanup EXIT
start_xvfb || { check "Xvfb starts" false; finish; }

# "Z:\..." for a path on this machine.
winpath() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}
set_dpi() {
  timeout 120 "${wine[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
}
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)"
    timeout 600 "${wine[@]}" wineboot --init >/dev/null 2>&1 || return 1
  fi
  # This Wine does not look in its own font folder: without Marlett the
  # title bar's close box would show as the letter "r".
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  # Every program runs in a virtual desktop, so title bars are drawn.
  timeout 120 "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ \
    /d Default /f >/dev/null 2>&1 &&
    timeout 120 "${wine[@]}" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
      /t REG_SZ /d 800x600 /f >/dev/null 2>&1 &&
    set_dpi 96
}
check "Wine prefix ready" prepare_prefix || finish

run_gtest() {  # run_gtest LOG EXE [ARGS...]
  local log=build/wine-logs/$1.log
  shift
  timeout 600 "${wine[@]}" "$@" >"$log" 2>&1
  local status=$?
  grep -E '^\[  (PASSED|FAILED|SKIPPED) |^\[==========\] [0-9]+ tests' "$log" | sed 's/^/   /'
  [ $status -eq 0 ] && grep -q '^\[  PASSED  \]' "$log" || { cat "$log"; return 1; }
}
mkdir -p build/wine-logs
check "capture_tests.exe under Wine" run_gtest capture "$tests_dir/tests/capture_tests.exe"
check "dialog_tests.exe under Wine" run_gtest dialog "$tests_dir/tests/dialog_tests.exe"
check "main window follows WM_DPICHANGED 96 -> 144 -> 120 (in-process)" \
  run_gtest main_window "$tests_dir/main_window_tests.exe"
# The install folder found from a path of Cyrillic and Polish letters.
unicode_dir="build/wine-unicode/Грабл Łódź"
rm -rf build/wine-unicode && mkdir -p "$unicode_dir"
cp "$tests_dir/tests/capture_tests.exe" "$unicode_dir/"
check "capture_tests.exe from a Unicode folder" \
  run_gtest unicode "$unicode_dir/capture_tests.exe" --gtest_filter='*InstallDir*'

# --- The window, driven from outside ------------------------------------------

driver="$tests_dir/grablet_ui_driver.exe"
test_exe="$tests_dir/grablet.exe"
located="Could not locate current.thm! You must place the Grablet in the Worms Armageddon or Worms World Party main directory!"
invalid="current.thm is invalid! It sometimes gets this way due to the way Worms works. Sorry, the map data cannot be stolen."
not_created() {
  echo "Could not create $1.bit! You must place the Grablet in the Worms Armageddon or Worms World Party main directory!"
}
bytes() { perl -e 'srand($ARGV[1]); print map { chr int rand 256 } 1 .. $ARGV[0]' "$1" "$2"; }

# game_folder CASE: a fresh game folder with the exe in it; prints its path.
game_folder() {
  local dir="build/ui-cases/$1/Worms Armageddon – Игры"
  rm -rf "build/ui-cases/$1"
  mkdir -p "$dir"
  cp "$test_exe" "$dir/grablet.exe"
  echo "$dir"
}
# drive GAME_DIR [SCREENSHOT_PREFIX] -- DRIVER_ARGS...: runs the driver
# against GAME_DIR/grablet.exe, taking screenshots while it waits.
drive() {
  local dir=$1 shots=$2
  shift 3
  local pause=build/ui-pause
  rm -rf "$pause" && mkdir -p "$pause"
  local args=(--exe "$(winpath "$dir/grablet.exe")" "$@")
  [ -n "$shots" ] && args+=(--pause-dir "$(winpath "$pause")")
  timeout 300 "${wine[@]}" "$driver" "${args[@]}" >build/wine-logs/driver.log 2>&1 &
  local pid=$! marker
  while kill -0 $pid 2>/dev/null; do
    for marker in window messagebox; do
      if [ -s "$pause/$marker.ready" ]; then
        # The marker holds the part of the screen to keep, as WxH+X+Y.
        mkdir -p build/screenshots/windows
        import -window root -crop "$(cat "$pause/$marker.ready")" +repage \
          "build/screenshots/windows/$shots-$marker.png" 2>/dev/null
        rm -f "$pause/$marker.ready"
      fi
    done
    sleep 0.2
  done
  wait $pid
  local status=$?
  sed 's/^/   /' build/wine-logs/driver.log
  return $status
}
level_is_source_less_prefix() {  # SOURCE LEVEL
  [ -f "$2" ] && cmp -s <(tail -c +5 "$1") "$2"
}

ui_default_capture() {  # DPI SCREENSHOTS
  local dir
  dir=$(game_folder "default-$1")
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  bytes 120 1 >"$dir/Data/current.thm"
  drive "$dir" "$2" -- --dpi "$1" --clicks 2 --caption "Theivery Successful" \
    --prompt "Created Stolen_Map.bit." --icon no &&
    level_is_source_less_prefix "$dir/Data/current.thm" "$dir/User/SavedLevels/Stolen_Map.bit" &&
    [ "$(ls -A "$dir/User/SavedLevels")" = "Stolen_Map.bit" ]
}
ui_world_party() {
  local dir name="Łódź Карта"
  dir=$(game_folder world-party)
  mkdir -p "$dir/data" "$dir/User/SavedLevels"
  bytes 300 2 >"$dir/data/current.thm"
  drive "$dir" "" -- --dpi 96 --game worldparty --name "$name" --caption "Theivery Successful" \
    --prompt "Created $name.bit." --icon no &&
    level_is_source_less_prefix "$dir/data/current.thm" "$dir/User/SavedLevels/$name.bit"
}
ui_missing_source() {
  local dir
  dir=$(game_folder missing-source)
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  drive "$dir" "missing-source" -- --dpi 96 --caption "Error" --prompt "$located" --icon yes &&
    [ -z "$(ls -A "$dir/User/SavedLevels")" ] && [ -z "$(ls -A "$dir/Data")" ]
}
ui_short_source() {
  local dir
  dir=$(game_folder short-source)
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  bytes 49 3 >"$dir/Data/current.thm"
  printf 'old level' >"$dir/User/SavedLevels/Stolen_Map.bit"
  drive "$dir" "" -- --dpi 96 --caption "Problem with current.thm" --prompt "$invalid" --icon no &&
    [ "$(cat "$dir/User/SavedLevels/Stolen_Map.bit")" = "old level" ] &&
    [ "$(ls -A "$dir/User/SavedLevels")" = "Stolen_Map.bit" ]
}
ui_missing_saved_levels() {
  local dir
  dir=$(game_folder missing-saved-levels)
  mkdir -p "$dir/Data" "$dir/User"
  bytes 64 4 >"$dir/Data/current.thm"
  drive "$dir" "" -- --dpi 96 --name "My Map" --caption "Error" --prompt "$(not_created "My Map")" \
    --icon yes &&
    [ ! -e "$dir/User/SavedLevels" ] && [ -z "$(ls -A "$dir/User")" ]
}
ui_at_dpi() {  # DPI: the prefix's LogPixels for one run, then back to 96
  set_dpi "$1" || return 1
  ui_default_capture "$1" "window-$1dpi"
  local status=$?
  set_dpi 96
  return $status
}
ui_at_144_dpi() { ui_at_dpi 144; }

rm -rf build/screenshots/windows
check "window: default capture, pressed twice (96 DPI)" ui_default_capture 96 default
check "window: Worms World Party with a Unicode name" ui_world_party
check "window: missing current.thm" ui_missing_source
check "window: 49-byte current.thm" ui_short_source
check "window: missing User/SavedLevels" ui_missing_saved_levels
check "window: 485 x 155 client area at 120 DPI" ui_at_dpi 120
check "window: 582 x 186 client area at 144 DPI" ui_at_144_dpi
check "window: 776 x 248 client area at 192 DPI" ui_at_dpi 192
has_screenshots() {
  local shot
  for shot in default-window default-messagebox missing-source-messagebox window-120dpi-window \
    window-144dpi-window window-144dpi-messagebox window-192dpi-window; do
    [ -s "build/screenshots/windows/$shot.png" ] || return 1
  done
  ls build/screenshots/windows/*.png | sed 's/^/   /'
}
check "screenshots saved" has_screenshots

# --- The players' zip -----------------------------------------------------------

package_is_reproducible() {
  local first second
  first=$(bash scripts/package | tail -1) || return 1
  touch scripts/package-files/README.txt
  second=$(bash scripts/package | tail -1) || return 1
  echo "   $second"
  [ "$first" = "$second" ]
}
package_holds_exe_and_readme() {
  local zip=build/dist/grablet-1.0.1-win32.zip
  [ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "grablet.exe README.txt " ] &&
    unzip -p "$zip" grablet.exe | cmp -s - "$exe" &&
    # Every line of the README ends in CR LF.
    [ "$(unzip -p "$zip" README.txt | grep -c $'\r$')" = "$(unzip -p "$zip" README.txt | wc -l)" ]
}
check "scripts/package gives the same zip twice" package_is_reproducible
check "the zip holds grablet.exe and a CRLF README.txt" package_holds_exe_and_readme

finish
