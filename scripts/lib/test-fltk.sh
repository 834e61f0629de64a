#!/usr/bin/env bash
# End-to-end test of the Linux window: runs build/linux/grablet under Xvfb and
# a small window manager, drives it with xdotool like a user, and checks the
# message boxes it shows and the level files it writes.
#
# Run from anywhere after the linux build: bash scripts/lib/test-fltk.sh
# Sourcing it only defines the functions; run_fltk_e2e runs the cases, and
# e2e_start and run_case let another script run some of them on another
# build of the program (set grablet_under_test).

fltk_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$fltk_root/scripts/lib/common.sh"

main_title="Ostrel's Map Grablet v1.0.1"
# The information sign's disc colour, as the message box draws it.
info_blue="#1E5AC8"
# The program that launch copies into each game folder.
grablet_under_test="$fltk_root/build/linux/grablet"

app_pid=
wm_pid=
work=
why=

# sample_bytes COUNT SEED: COUNT pseudo-random bytes, the same for the same SEED.
sample_bytes() {
  perl -e 'srand($ARGV[1]); print pack("C*", map { int(rand(256)) } 1 .. $ARGV[0])' "$1" "$2"
}

# wait_until TENTHS COMMAND...: polls COMMAND every 0.1 s until it succeeds,
# for at most TENTHS tries.
wait_until() {
  local tries=$1
  shift
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# fail REASON: records why the case failed and fails.
fail() {
  why="$1"
  return 1
}

wm_running() {
  kill -0 "$wm_pid" 2>/dev/null || return 2
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"
}

start_wm() {
  # A busy machine can be slow to bring openbox up; give it time, and a second go.
  local attempt
  for attempt in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 300 wm_running && return 0
    stop_wm
  done
  echo "openbox did not start on $DISPLAY:" >&2
  cat "$work/openbox.log" >&2
  return 1
}

stop_wm() {
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
    wm_pid=
  fi
}

stop_app() {
  if [ -n "$app_pid" ]; then
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=
  fi
}

cleanup() {
  stop_app
  stop_wm
  stop_xvfb
  [ -n "$work" ] && rm -rf "$work"
}

# game_folder NAME: an empty game folder with the three folders the games have.
game_folder() {
  local dir="$work/$1"
  mkdir -p "$dir/Data" "$dir/data" "$dir/User/SavedLevels"
  echo "$dir"
}

# visible_window_named TITLE: prints the id of the visible window of exactly that name.
visible_window_named() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# other_visible_window: prints the id and name of a visible named window that
# is not the main window: the message box, whatever it is called.
other_visible_window() {
  local id name
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    if [ -n "$name" ] && [ "$name" != "$main_title" ]; then
      printf '%s %s\n' "$id" "$name"
      return 0
    fi
  done
  return 1
}

no_other_window() { ! other_visible_window >/dev/null; }
focused_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
not_viewable() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
app_gone() { ! kill -0 "$app_pid" 2>/dev/null; }

# focus WINDOW: gives WINDOW the keyboard focus and waits until it has it.
focus() {
  focused_is "$1" && return 0
  xdotool windowactivate "$1" >/dev/null 2>&1 || true
  wait_until 50 focused_is "$1"
}

# launch DIR: starts DIR/grablet (a copy of grablet_under_test) from another directory,
# so that only its own location can lead it to the game; sets main_wid.
launch() {
  cp "$grablet_under_test" "$1/grablet"
  (cd / && exec "$1/grablet") &
  app_pid=$!
  wait_until 100 visible_window_named "$main_title" || fail "the main window did not appear" ||
    return 1
  main_wid=$(visible_window_named "$main_title")
  focus "$main_wid" || fail "the main window did not get the focus"
}

# click_control X Y: clicks at X,Y pixels inside the main window's client area.
click_control() {
  xdotool mousemove --window "$main_wid" "$1" "$2" click 1
}
# Places inside the client area, from the layout at 96 DPI.
click_steal_it() { click_control 185 104; }
click_armageddon() { click_control 30 62; }
click_world_party() { click_control 30 78; }
# replace_name NAME: clicks into the name field and types NAME over its text.
replace_name() {
  click_control 284 70
  xdotool key --clearmodifiers ctrl+a BackSpace
  xdotool type --delay 20 -- "$1"
}

# expect_report TITLE ICON SHOT: waits for the message box, checks its title and
# whether it shows the information sign (ICON is yes or no), saves it to SHOT
# when given, then presses OK and waits until it is gone.
expect_report() {
  local found id title blue
  wait_until 100 other_visible_window || fail "no message box appeared" || return 1
  found=$(other_visible_window)
  id=${found%% *}
  title=${found#* }
  [ "$title" = "$1" ] || fail "message box titled '$title', expected '$1'" || return 1
  [ -z "$3" ] || screenshot "$id" "$3"
  blue=$(import -window "$id" png:- | convert png:- txt:- | grep -ci "$info_blue" || true)
  case "$2" in
    yes) [ "$blue" -gt 0 ] || fail "'$1' box shows no information sign" || return 1 ;;
    no) [ "$blue" -eq 0 ] || fail "'$1' box shows an information sign" || return 1 ;;
  esac
  focus "$id" || fail "the message box did not get the focus" || return 1
  xdotool key --clearmodifiers Return
  wait_until 100 not_viewable "$id" || fail "OK did not close the message box" || return 1
  [ "$(other_visible_window)" = "" ] || fail "another message box followed" || return 1
  focus "$main_wid" || fail "the main window did not get the focus back"
}

# close_app: closes the main window as a user does (Alt+F4 through the window
# manager) and checks that the program ended at once and cleanly.
close_app() {
  local status=0
  focus "$main_wid" || fail "the main window could not be focused to close it" || return 1
  xdotool key --clearmodifiers alt+F4
  wait_until 100 app_gone || fail "closing the main window did not end the program" || return 1
  wait "$app_pid" || status=$?
  app_pid=
  [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# geometry WINDOW: sets X, Y, WIDTH and HEIGHT to the client area on the screen
# (xwininfo, as xdotool counts a reparented window's offset twice).
geometry() {
  local info
  info=$(xwininfo -id "$1")
  X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  WIDTH=$(sed -n 's/^ *Width: *//p' <<<"$info")
  HEIGHT=$(sed -n 's/^ *Height: *//p' <<<"$info")
}

# screenshot WINDOW FILE: saves WINDOW with its frame as it stands on the screen.
screenshot() {
  local extents left right top bottom X Y WIDTH HEIGHT
  geometry "$1"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
  IFS=, read -r left right top bottom <<<"${extents:-0,0,0,0}"
  mkdir -p "$(dirname "$2")"
  import -window root \
    -crop "$((WIDTH + left + right))x$((HEIGHT + top + bottom))+$((X - left))+$((Y - top))" \
    +repage "$2"
}

# same_level SOURCE LEVEL: LEVEL holds SOURCE without its first four bytes.
same_level() {
  [ -f "$2" ] || fail "no level file $(basename "$2")" || return 1
  cmp -s <(tail -c +5 "$1") "$2" || fail "$(basename "$2") is not $1 without its first four bytes"
}

no_levels() {
  [ -z "$(ls -A "$1/User/SavedLevels")" ] ||
    fail "level files written: $(ls -A "$1/User/SavedLevels" | tr '\n' ' ')"
}

# ---- cases ---------------------------------------------------------------

case_window_frame() {
  local dir hints normal screen X Y WIDTH HEIGHT
  dir=$(game_folder frame)
  launch "$dir" || return 1
  screenshot "$main_wid" "$fltk_root/build/screenshots/linux/main-window.png"
  geometry "$main_wid"
  [ "${WIDTH}x${HEIGHT}" = 388x124 ] || fail "client area ${WIDTH}x${HEIGHT}, expected 388x124" ||
    return 1
  screen=$(xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*x[0-9]*\).*/\1/p')
  [ "$((X + WIDTH / 2)),$((Y + HEIGHT / 2))" = "$((${screen%x*} / 2)),$((${screen#*x} / 2))" ] ||
    fail "window at $X,$Y is not centred on a $screen screen" || return 1
  normal=$(xprop -id "$main_wid" WM_NORMAL_HINTS)
  grep -q 'minimum size: 388 by 124' <<<"$normal" && grep -q 'maximum size: 388 by 124' <<<"$normal" ||
    fail "size hints do not fix the size: $normal" || return 1
  # Motif functions: move and close only, so no resize, minimise or maximise.
  hints=$(xprop -id "$main_wid" _MOTIF_WM_HINTS | sed -n 's/.*= *//p' | tr -d ' ')
  [ "${hints%%,0x0,0x0}" = "0x3,0x24,0x1a" ] || fail "Motif hints $hints" || return 1
  xprop -id "$main_wid" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR ||
    fail "not kept out of the taskbar" || return 1
  xprop -id "$main_wid" _NET_WM_ALLOWED_ACTIONS | grep -q _NET_WM_ACTION_CLOSE ||
    fail "the window manager offers no close box" || return 1
  ! xprop -id "$main_wid" _NET_WM_ALLOWED_ACTIONS | grep -Eq 'RESIZE|MAXIMIZE' ||
    fail "the window manager lets the window be resized or maximised" || return 1
  xprop -id "$main_wid" _NET_WM_ICON | grep -q 'Icon (16 x 16)' || fail "no 16 x 16 icon" ||
    return 1
  # Escape closes FLTK windows unless told otherwise; this one must stay and
  # still answer the button (there is no current.thm here).
  xdotool key --clearmodifiers Escape
  click_steal_it
  if ! expect_report "Error" yes ""; then
    app_gone && fail "Escape closed the main window"
    return 1
  fi
  close_app
}

case_default_capture() {
  local dir
  dir=$(game_folder default)
  sample_bytes 4096 1 >"$dir/Data/current.thm"
  cp "$dir/Data/current.thm" "$work/default.thm"
  launch "$dir" || return 1
  click_steal_it
  expect_report "Theivery Successful" no "" || return 1
  same_level "$dir/Data/current.thm" "$dir/User/SavedLevels/Stolen_Map.bit" || return 1
  cmp -s "$dir/Data/current.thm" "$work/default.thm" || fail "current.thm was changed" || return 1
  close_app
}

# All by keyboard from the first focus: proves the tab order and the radio
# group. Then two more presses, which must use the controls as the user left them.
case_world_party() {
  local dir
  dir=$(game_folder party)
  sample_bytes 3000 2 >"$dir/data/current.thm"
  sample_bytes 2000 3 >"$dir/Data/current.thm"
  launch "$dir" || return 1
  xdotool key --clearmodifiers Tab space Tab ctrl+a BackSpace
  xdotool type --delay 20 Party_Map
  xdotool key --clearmodifiers Tab space
  expect_report "Theivery Successful" no "" || return 1
  same_level "$dir/data/current.thm" "$dir/User/SavedLevels/Party_Map.bit" || return 1
  [ ! -e "$dir/User/SavedLevels/Stolen_Map.bit" ] || fail "wrote Stolen_Map.bit" || return 1

  sample_bytes 777 4 >"$dir/data/current.thm"
  click_steal_it
  expect_report "Theivery Successful" no "" || return 1
  same_level "$dir/data/current.thm" "$dir/User/SavedLevels/Party_Map.bit" || return 1

  click_armageddon
  click_steal_it
  expect_report "Theivery Successful" no "" || return 1
  same_level "$dir/Data/current.thm" "$dir/User/SavedLevels/Party_Map.bit" || return 1
  close_app
}

case_missing_source() {
  local dir
  dir=$(game_folder missing)
  launch "$dir" || return 1
  click_steal_it
  expect_report "Error" yes "$fltk_root/build/screenshots/linux/report-error.png" || return 1
  no_levels "$dir" || return 1
  [ ! -e "$dir/Data/current.thm" ] || fail "current.thm was created" || return 1
  close_app
}

case_short_source() {
  local dir
  dir=$(game_folder short)
  sample_bytes 49 5 >"$dir/Data/current.thm"
  launch "$dir" || return 1
  click_steal_it
  expect_report "Problem with current.thm" no "" || return 1
  no_levels "$dir" || return 1
  close_app
}

case_utf8_name() {
  local dir name="Карта_Łódź@home"
  dir=$(game_folder utf8)
  sample_bytes 1500 6 >"$dir/Data/current.thm"
  launch "$dir" || return 1
  replace_name "$name"
  click_steal_it
  expect_report "Theivery Successful" no "$fltk_root/build/screenshots/linux/report-created-utf8.png" ||
    return 1
  same_level "$dir/Data/current.thm" "$dir/User/SavedLevels/$name.bit" || return 1
  close_app
}

# ---- screen scale ----------------------------------------------------------

# set_xft_dpi DPI: sets Xft.dpi on the X server as desktops do for scaling;
# without DPI, takes it away again.
set_xft_dpi() {
  if [ -n "${1:-}" ]; then
    echo "Xft.dpi: $1" | xrdb -nocpp -merge
  else
    xrdb -nocpp -remove
  fi
}

# px TWIPS DPI: twips in pixels, rounded as the window rounds them.
px() { echo $((($1 * $2 + 720) / 1440)); }

# face_run IMAGE row|col N AT: the first and last pixel of the run of pixels
# other than the window's face (#F0F0F0) through AT, along row or column N.
face_run() {
  local crop
  if [ "$2" = row ]; then crop="$(identify -format %w "$1")x1+0+$3"; else crop="1x$(identify -format %h "$1")+$3+0"; fi
  convert "$1" -crop "$crop" +repage txt:- | perl -ne '
    BEGIN { ($axis, $at) = @ARGV; @ARGV = () }
    next unless /^(\d+),(\d+):.*(#[0-9A-F]{6})/i;
    $c[$axis eq "row" ? $1 : $2] = uc $3;
    END {
      exit 1 if !defined $c[$at] || $c[$at] eq "#F0F0F0";
      ($lo, $hi) = ($at, $at);
      $lo-- while $lo > 0 && $c[$lo - 1] ne "#F0F0F0";
      $hi++ while $hi < $#c && $c[$hi + 1] ne "#F0F0F0";
      print "$lo $hi\n";
    }' "$2" "$4"
}

# boxed_control_at IMAGE NAME LEFT TOP WIDTH HEIGHT DPI: the control drawn
# with a box (twips given) covers exactly its pixels at DPI in IMAGE.
boxed_control_at() {
  local image=$1 name=$2 dpi=$7 left top right bottom across down
  left=$(px "$3" "$dpi")
  top=$(px "$4" "$dpi")
  right=$(($(px $(($3 + $5)) "$dpi") - 1))
  bottom=$(($(px $(($4 + $6)) "$dpi") - 1))
  across=$(face_run "$image" row $((top + 3)) $((left + 3)))
  down=$(face_run "$image" col $((left + 3)) $((top + 3)))
  [ "$across $down" = "$left $right $top $bottom" ] ||
    fail "$name spans x $across, y $down; expected x $left $right, y $top $bottom at $dpi DPI"
}

# text_ink IMAGE ROWS: the dark pixels (text) in the first ROWS rows of IMAGE:
# LEFT TOP RIGHT BOTTOM of them all, and how many there are.
text_ink() {
  convert "$1" -crop "$(identify -format %w "$1")x$2+0+0" +repage txt:- | perl -ne '
    next unless /^(\d+),(\d+): \((\d+),(\d+),(\d+)/;
    next if $3 > 100 || $4 > 100 || $5 > 100;
    $n++;
    $l = $1 if !defined $l || $1 < $l; $r = $1 if !defined $r || $1 > $r;
    $t = $2 if !defined $t || $2 < $t; $b = $2 if !defined $b || $2 > $b;
    END { exit 1 unless defined $l; print "$l $t $r $b $n\n" }'
}

# report_text_size DPI: sets text_size to how many pixels the text of the
# message box now shown covers above its OK button (laid out at DPI), after
# checking that the text keeps clear of the box's edges.
report_text_size() {
  local found id X Y WIDTH HEIGHT margin ink left top right bottom
  wait_until 100 other_visible_window || fail "no message box appeared" || return 1
  found=$(other_visible_window)
  id=${found%% *}
  geometry "$id"
  import -window "$id" "$work/report.png"
  margin=$(((12 * $1 + 48) / 96))
  ink=$(text_ink "$work/report.png" $((HEIGHT - margin - (23 * $1 + 48) / 96 - 1))) ||
    fail "no text in the message box" || return 1
  read -r left top right bottom text_size <<<"$ink"
  [ "$left" -ge "$margin" ] && [ "$top" -ge $((margin / 2)) ] &&
    [ "$right" -lt $((WIDTH - margin / 2)) ] ||
    fail "the text ($left,$top to $right,$bottom) reaches the edge of a ${WIDTH}x${HEIGHT} box"
}

# missing_source_text_size DPI: launches at DPI with no current.thm, presses
# Steal It! and sets text_size from the report; leaves the box shown.
missing_source_text_size() {
  local dir
  set_xft_dpi "$1"
  dir=$(game_folder "text-$1")
  launch "$dir" || return 1
  click_control "$(px 2787 "$1")" "$(px 1567 "$1")"
  report_text_size "$1"
}

# within_percent ACTUAL EXPECTED PERCENT
within_percent() { [ $((100 * ($1 - $2) / $2)) -le "$3" ] && [ $((100 * ($2 - $1) / $2)) -le "$3" ]; }

# case_at_dpi DPI: the window laid out from the model at an Xft.dpi of DPI,
# its controls answering there, and its report's text scaled, not clipped.
case_at_dpi() {
  local dpi=$1 dir normal size base text shots="$fltk_root/build/screenshots/linux"
  local X Y WIDTH HEIGHT text_size
  # The report's text at 96 DPI, to compare with.
  missing_source_text_size 96 || return 1
  base=$text_size
  expect_report "Error" yes "" || return 1
  close_app || return 1

  set_xft_dpi "$dpi"
  dir=$(game_folder "dpi-$dpi")
  sample_bytes 900 7 >"$dir/data/current.thm"
  launch "$dir" || return 1
  screenshot "$main_wid" "$shots/main-window-${dpi}dpi.png"
  geometry "$main_wid"
  size="$(px 5820 "$dpi")x$(px 1860 "$dpi")"
  [ "${WIDTH}x${HEIGHT}" = "$size" ] || fail "client area ${WIDTH}x${HEIGHT} at $dpi DPI, expected $size" ||
    return 1
  normal=$(xprop -id "$main_wid" WM_NORMAL_HINTS)
  grep -q "minimum size: ${size/x/ by }" <<<"$normal" && grep -q "maximum size: ${size/x/ by }" <<<"$normal" ||
    fail "size hints do not fix the size at $size: $normal" || return 1
  import -window "$main_wid" "$work/client.png"
  boxed_control_at "$work/client.png" Text1 3240 915 2055 285 "$dpi" || return 1
  boxed_control_at "$work/client.png" Command1 2180 1440 1215 255 "$dpi" || return 1

  # Each control answers where the model puts it: World Party, a name, the button.
  click_control "$(px 600 "$dpi")" "$(px 1177 "$dpi")"
  click_control "$(px 4267 "$dpi")" "$(px 1057 "$dpi")"
  xdotool key --clearmodifiers ctrl+a BackSpace
  xdotool type --delay 20 Scaled_Map
  click_control "$(px 2787 "$dpi")" "$(px 1567 "$dpi")"
  expect_report "Theivery Successful" no "" || return 1
  same_level "$dir/data/current.thm" "$dir/User/SavedLevels/Scaled_Map.bit" || return 1

  # The report, with text over several lines. Lines may break elsewhere, as
  # glyphs round differently at each size, but all of its ink must be there:
  # the area it covers grows with the square of the scale.
  rm "$dir/data/current.thm"
  click_control "$(px 2787 "$dpi")" "$(px 1567 "$dpi")"
  report_text_size "$dpi" || return 1
  text=$text_size
  within_percent "$text" $((base * dpi * dpi / 96 / 96)) 15 ||
    fail "report text covers $text pixels at $dpi DPI against $base at 96" || return 1
  expect_report "Error" yes "$shots/report-error-${dpi}dpi.png" || return 1
  close_app
}

case_dpi_144() {
  case_at_dpi 144
  local status=$?
  set_xft_dpi
  return $status
}

case_dpi_192() {
  case_at_dpi 192
  local status=$?
  set_xft_dpi
  return $status
}

# ---- driver --------------------------------------------------------------

# e2e_start: a scratch folder for the game folders and a virtual display
# with a window manager. The caller runs cleanup when done, on failure too.
e2e_start() {
  # x11-xserver-utils: xrdb, to set the screen's Xft.dpi.
  ensure_packages "${x11_test_packages[@]}" openbox perl-base x11-xserver-utils
  work=$(mktemp -d)
  start_xvfb && start_wm
}

# run_case NAME: runs case_NAME and prints PASS, or FAIL and why.
run_case() {
  why=
  if "case_$1"; then
    echo "PASS $1"
    return 0
  fi
  echo "FAIL $1: ${why:-failed}"
  stop_app
  # A box left open would be taken for the next case's.
  wait_until 50 no_other_window || true
  return 1
}

run_fltk_e2e() {
  local passed=0 failed=0 case_name
  if [ ! -x "$grablet_under_test" ]; then
    echo "build/linux/grablet is missing: build with the linux preset first" >&2
    return 1
  fi
  trap cleanup EXIT
  if ! e2e_start; then
    echo "FAIL setup: no X display with a window manager"
    echo "fltk e2e: 0 passed, 1 failed"
    return 1
  fi
  for case_name in window_frame default_capture world_party missing_source short_source \
    utf8_name dpi_144 dpi_192; do
    if run_case "$case_name"; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
    fi
  done
  echo "fltk e2e: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  run_fltk_e2e
fi
