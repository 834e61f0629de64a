#!/usr/bin/env bash
# Runs the players' own 32-bit grablet.exe, and the 32-bit unit suites,
# under 32-bit Wine: directly where this host can run 32-bit programs,
# else inside the test VM (scripts/lib/i686-vm.sh), all in one boot.
# The job (scripts/lib/wine-job.sh) leaves a status and a log per case;
# this script judges them. Exits 77 when the VM could not be built for
# want of disk space: the stage is then skipped, never passed.
# Run from the repository root, after the windows build.
set -uo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/common.sh

finish() { finish_checks "windows i686 tests"; }
ensure_packages unzip imagemagick

share=build/wine-i686-job
shots=build/screenshots/windows-i686
rm -rf "$share" && mkdir -p "$share/in"

# The exe under test is the one in the players' zip, byte for byte.
version=$(sed -n 's/^project(Grablet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=build/dist/grablet-$version-win32.zip
tests=build/windows/tests
if ! bash scripts/package >/dev/null || ! unzip -p "$zip" grablet.exe >"$share/in/grablet.exe"; then
  check "the players' zip is built" false
  finish
fi
check "the exe under test is the zip's grablet.exe, byte for byte" \
  cmp "$share/in/grablet.exe" build/windows/grablet.exe
cp "$tests/capture_tests.exe" "$tests/dialog_tests.exe" build/windows/main_window_tests.exe \
  build/windows/grablet_ui_driver.exe "$share/in/" || { check "the i686 test programs are built" false; finish; }
cp scripts/lib/wine-job.sh scripts/lib/common.sh "$share/"

started=$SECONDS
if /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -z "${GRABLET_FORCE_VM:-}" ]; then
  echo "This host runs 32-bit programs: testing under its own Wine"
  ensure_i386
  ensure_packages "${wine_packages[@]}"
  WINEPREFIX="$PWD/build/wine-i686" timeout -k 10 1800 \
    bash "$share/wine-job.sh" "$share/in" "$share/out" >"$share/job.log" 2>&1
else
  echo "This host cannot run 32-bit programs: testing inside the VM"
  vm_status=0
  # Debootstrap and apt are the slow part; half an hour means something hangs.
  as_root timeout -k 10 1800 bash scripts/lib/i686-vm.sh build || vm_status=$?
  if [ $vm_status -eq 3 ]; then
    echo "windows i686 tests: $checks_passed passed, $checks_failed failed, 1 skipped"
    exit 77
  fi
  [ $vm_status -eq 0 ] || { check "the test VM is built" false; finish; }
  echo "   the VM was ready after $((SECONDS - started)) s"
  started=$SECONDS
  cat >"$share/job" <<'EOF'
export HOME=/root WINEPREFIX=/root/.wine
exec bash /share/wine-job.sh /share/in /share/out
EOF
  boot_vm() {
    as_root bash scripts/lib/i686-vm.sh run "$share"
    # A boot that never reached the job is the VM's failure, not the tests'.
    grep -q 'grablet-vm: job started' "$share/serial.log" 2>/dev/null
  }
  if ! boot_vm; then
    echo "The VM never reached the job; booting it once more. Its serial log:"
    tail -n 30 "$share/serial.log" 2>/dev/null | sed 's/^/   /'
    boot_vm || { tail -n 30 "$share/serial.log" 2>/dev/null | sed 's/^/   /'; }
  fi
fi
echo "   the job ran in $((SECONDS - started)) s"

while read -r name description; do
  status=$(cat "$share/out/$name.status" 2>/dev/null)
  if ! check "$description" [ "$status" = 0 ]; then
    echo "   status ${status:-none: the case never finished}; its log:"
    sed 's/^/   /' "$share/out/$name.log" 2>/dev/null
  fi
done < <(bash scripts/lib/wine-job.sh --list)
if [ "$checks_failed" -gt 0 ]; then
  echo "   the job's own log:"
  sed 's/^/   /' "$share/job.log" 2>/dev/null
  [ -f "$share/serial.log" ] && { echo "   the VM's serial log:"; tail -n 40 "$share/serial.log" | sed 's/^/   /'; }
fi

has_screenshots() {
  local shot crop
  rm -rf "$shots" && mkdir -p "$shots"
  for crop in "$share"/out/shots/*.crop; do
    [ -f "$crop" ] || continue
    shot=$(basename "$crop" .crop)
    convert "xwd:${crop%.crop}.xwd" -crop "$(cat "$crop")" +repage "$shots/$shot.png" || return 1
  done
  for shot in default-window default-messagebox missing-source-messagebox window-120dpi-window \
    window-144dpi-window window-144dpi-messagebox window-192dpi-window; do
    [ -s "$shots/$shot.png" ] || { echo "   missing: $shots/$shot.png"; return 1; }
  done
  ls "$shots"/*.png | sed 's/^/   /'
}
check "screenshots saved" has_screenshots

finish
