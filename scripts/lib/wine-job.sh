#!/usr/bin/env bash
# The Windows program's tests under 32-bit Wine, as one job that runs the
# same on the host or inside the test VM: the unit suites, the install
# folder from a Unicode path, and the window driven from outside as a
# player would. Needs only bash, coreutils, perl, cmp, Xvfb and Wine, and
# common.sh beside it.
#
#   wine-job.sh IN OUT     runs every case; IN holds the exes, OUT gets
#                          NAME.status, NAME.log and shots/ for each case
#   wine-job.sh --list     the cases, one "NAME DESCRIPTION" a line
#
# The caller judges OUT: a case without a status file did not finish.
set -uo pipefail

self=$(realpath "${BASH_SOURCE[0]}")
# Beside this script wherever it runs: in the repository or in the VM's share.
. "$(dirname "$self")/common.sh"

cases=(
  "prefix Wine prefix ready"
  "capture_tests capture_tests.exe"
  "dialog_tests dialog_tests.exe"
  "main_window_tests main window follows WM_DPICHANGED 96 -> 144 -> 120 (in-process)"
  "unicode_install_dir capture_tests.exe from a Unicode folder"
  "ui_default window: default capture, pressed twice (96 DPI)"
  "ui_world_party window: Worms World Party with a Unicode name"
  "ui_missing_source window: missing current.thm"
  "ui_short_source window: 49-byte current.thm"
  "ui_missing_saved_levels window: missing User/SavedLevels"
  "ui_120_dpi window: 485 x 155 client area at 120 DPI"
  "ui_144_dpi window: 582 x 186 client area at 144 DPI"
  "ui_192_dpi window: 776 x 248 client area at 192 DPI"
)
case_seconds=${GRABLET_CASE_SECONDS:-400}

# --- Helpers for the cases ----------------------------------------------------

# "Z:\..." for a path on this machine.
winpath() {
  local path
  path=$(realpath -m "$1")
  echo "Z:${path//\//\\}"
}
set_dpi() {
  timeout 120 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d "$1" /f >/dev/null 2>&1
}
bytes() { perl -e 'srand($ARGV[1]); print map { chr int rand 256 } 1 .. $ARGV[0]' "$1" "$2"; }
located="Could not locate current.thm! You must place the Grablet in the Worms Armageddon or Worms World Party main directory!"
invalid="current.thm is invalid! It sometimes gets this way due to the way Worms works. Sorry, the map data cannot be stolen."
not_created() {
  echo "Could not create $1.bit! You must place the Grablet in the Worms Armageddon or Worms World Party main directory!"
}

run_gtest() {  # run_gtest EXE [ARGS...]
  local log=$work/gtest.log status=0
  timeout 300 wine "$@" >"$log" 2>&1 || status=$?
  cat "$log"
  [ $status -eq 0 ] && grep -q '^\[  PASSED  \]' "$log"
}

# game_folder CASE: a fresh game folder with the exe in it; prints its path.
game_folder() {
  local dir="$work/ui/$1/Worms Armageddon – Игры"
  rm -rf "$work/ui/$1"
  mkdir -p "$dir"
  cp "$in/grablet.exe" "$dir/grablet.exe"
  echo "$dir"
}
# drive GAME_DIR SHOTS -- DRIVER_ARGS...: runs the driver against
# GAME_DIR/grablet.exe; with SHOTS, keeps the screen while it waits.
drive() {
  local dir=$1 shots=$2
  shift 3
  local pause=$work/pause
  rm -rf "$pause" && mkdir -p "$pause"
  local args=(--exe "$(winpath "$dir/grablet.exe")" "$@")
  [ -n "$shots" ] && args+=(--pause-dir "$(winpath "$pause")")
  echo "driver: ${args[*]}"
  timeout 300 wine "$in/grablet_ui_driver.exe" "${args[@]}" &
  local pid=$! marker
  while kill -0 $pid 2>/dev/null; do
    for marker in window messagebox; do
      if [ -s "$pause/$marker.ready" ]; then
        # The screen as Xvfb keeps it, and the part of it to show.
        mkdir -p "$out/shots"
        cp "$fbdir/Xvfb_screen0" "$out/shots/$shots-$marker.xwd"
        cp "$pause/$marker.ready" "$out/shots/$shots-$marker.crop"
        rm -f "$pause/$marker.ready"
      fi
    done
    sleep 0.2
  done
  wait $pid
}
level_is_source_less_prefix() {  # SOURCE LEVEL
  [ -f "$2" ] && cmp <(tail -c +5 "$1") "$2"
}
wait_for_file() {  # PATH: for up to 10 s
  local tries=0
  until [ -e "$1" ]; do
    tries=$((tries + 1))
    [ $tries -le 100 ] || return 1
    sleep 0.1
  done
}
only_file_is() {  # FOLDER NAME
  local listing
  listing=$(ls -A "$1")
  [ "$listing" = "$2" ] || { echo "$1 holds: $listing"; return 1; }
}

# --- The cases ------------------------------------------------------------------

case_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX (once)"
    timeout 600 wine wineboot --init || return 1
  fi
  # Wine does not look in its own font folder: without Marlett the title
  # bar's close box would show as the letter "r".
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
  # Every program runs in a virtual desktop, so title bars are drawn even
  # with no window manager.
  timeout 120 wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f &&
    timeout 120 wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ \
      /d 800x600 /f &&
    # A program that crashes ends at once instead of waiting in the debugger.
    timeout 120 wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
      /v Debugger /t REG_SZ /d false /f &&
    set_dpi 96
}
case_capture_tests() { run_gtest "$in/capture_tests.exe"; }
case_dialog_tests() { run_gtest "$in/dialog_tests.exe"; }
case_main_window_tests() { run_gtest "$in/main_window_tests.exe"; }
case_unicode_install_dir() {
  # The install folder found from a path of Cyrillic and Polish letters.
  local dir="$work/unicode/Грабл Łódź"
  rm -rf "$work/unicode" && mkdir -p "$dir"
  cp "$in/capture_tests.exe" "$dir/"
  run_gtest "$dir/capture_tests.exe" --gtest_filter='*InstallDir*'
}
default_capture() {  # DPI SHOTS
  local dir
  dir=$(game_folder "default-$1")
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  bytes 120 1 >"$dir/Data/current.thm"
  drive "$dir" "$2" -- --dpi "$1" --clicks 2 --caption "Theivery Successful" \
    --prompt "Created Stolen_Map.bit." --icon no &&
    level_is_source_less_prefix "$dir/Data/current.thm" "$dir/User/SavedLevels/Stolen_Map.bit" &&
    only_file_is "$dir/User/SavedLevels" "Stolen_Map.bit"
}
case_ui_default() { default_capture 96 default; }
case_ui_world_party() {
  local dir name="Łódź Карта"
  dir=$(game_folder world-party)
  mkdir -p "$dir/data" "$dir/User/SavedLevels"
  bytes 300 2 >"$dir/data/current.thm"
  drive "$dir" "" -- --dpi 96 --game worldparty --name "$name" --caption "Theivery Successful" \
    --prompt "Created $name.bit." --icon no &&
    level_is_source_less_prefix "$dir/data/current.thm" "$dir/User/SavedLevels/$name.bit"
}
case_ui_missing_source() {
  local dir
  dir=$(game_folder missing-source)
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  drive "$dir" missing-source -- --dpi 96 --caption "Error" --prompt "$located" --icon yes &&
    only_file_is "$dir/User/SavedLevels" "" && only_file_is "$dir/Data" ""
}
case_ui_short_source() {
  local dir
  dir=$(game_folder short-source)
  mkdir -p "$dir/Data" "$dir/User/SavedLevels"
  bytes 49 3 >"$dir/Data/current.thm"
  printf 'old level' >"$dir/User/SavedLevels/Stolen_Map.bit"
  drive "$dir" "" -- --dpi 96 --caption "Problem with current.thm" --prompt "$invalid" --icon no &&
    [ "$(cat "$dir/User/SavedLevels/Stolen_Map.bit")" = "old level" ] &&
    only_file_is "$dir/User/SavedLevels" "Stolen_Map.bit"
}
case_ui_missing_saved_levels() {
  local dir
  dir=$(game_folder missing-saved-levels)
  mkdir -p "$dir/Data" "$dir/User"
  bytes 64 4 >"$dir/Data/current.thm"
  drive "$dir" "" -- --dpi 96 --name "My Map" --caption "Error" --prompt "$(not_created "My Map")" \
    --icon yes &&
    [ ! -e "$dir/User/SavedLevels" ] && only_file_is "$dir/User" ""
}
ui_at_dpi() {  # DPI: the prefix's LogPixels for one run, then back to 96
  set_dpi "$1" || return 1
  local status=0
  default_capture "$1" "window-$1dpi" || status=$?
  set_dpi 96
  return $status
}
case_ui_120_dpi() { ui_at_dpi 120; }
case_ui_144_dpi() { ui_at_dpi 144; }
case_ui_192_dpi() { ui_at_dpi 192; }

# --- Running ----------------------------------------------------------------------

cleanup() {
  timeout 30 wineserver -k 2>/dev/null
  stop_xvfb
  [ -n "${work:-}" ] && rm -rf "$work"
}

export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
export LANG=C.UTF-8 LC_ALL=C.UTF-8

if [ "${1:-}" = --list ]; then
  printf '%s\n' "${cases[@]}"
  exit 0
fi
if [ "${1:-}" = --case ]; then
  # One case, in a process of its own so that it can be bounded.
  name=$2 in=$3 out=$4 work=$5 fbdir=$6
  "case_$name"
  exit
fi

out=$(realpath -m "$2")
rm -rf "$out" && mkdir -p "$out"
work=$(mktemp -d "${TMPDIR:-/tmp}/grablet-job.XXXXXX")
fbdir=$work/fb
mkdir -p "$fbdir"
trap cleanup EXIT
# Wine maps programs into memory, which a 9p share does not do reliably:
# run local copies.
in=$work/in
cp -r "$1" "$in" || exit 1

# The screen is kept in a file there, for screenshots without any tool.
xvfb_log=$out/xvfb.log
screen_up() { start_xvfb -fbdir "$fbdir" && wait_for_file "$fbdir/Xvfb_screen0"; }
if ! screen_up; then
  stop_xvfb
  echo "Xvfb did not come up; trying once more"
  screen_up || { echo "Xvfb did not come up"; cat "$xvfb_log"; exit 1; }
fi
for entry in "${cases[@]}"; do
  name=${entry%% *}
  started=$SECONDS
  timeout -k 10 "$case_seconds" bash "$self" --case "$name" "$in" "$out" "$work" "$fbdir" \
    >"$out/$name.log" 2>&1
  status=$?
  [ $status -eq 124 ] && echo "timed out after $case_seconds s" >>"$out/$name.log"
  echo "$status" >"$out/$name.status"
  echo "$name: status $status in $((SECONDS - started)) s"
  # A case cut short may leave Wine programs behind; the next starts clean.
  [ $status -eq 124 ] && timeout 30 wineserver -k 2>/dev/null
done
exit 0
