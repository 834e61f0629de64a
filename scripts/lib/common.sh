# Shared by the scripts: installing what they need, once, on a Debian machine.

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_updated=
# ensure_packages PACKAGE...: installs the Debian packages that are missing.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ -z "$apt_updated" ]; then
    as_root apt-get update -qq
    apt_updated=1
  fi
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# Wine's 32-bit half needs the i386 architecture.
ensure_i386() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    apt_updated=
  fi
}

build_packages=(cmake make g++ libgtest-dev googletest libbenchmark-dev)
fltk_packages=(libfltk1.3-dev libxinerama-dev libxcursor-dev libxft-dev libfontconfig-dev)
x11_test_packages=(xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core openbox)
windows_packages=(g++-mingw-w64-i686 zip unzip)
# 32-bit Wine for the tests; fonts-wine has the title bar's close box among others.
wine_packages=(wine wine32:i386 xvfb fonts-wine)

# start_xvfb [XVFB_ARGS...]: starts Xvfb on a free display and exports
# DISPLAY; stop_xvfb ends it. Its output goes to $xvfb_log, if set.
xvfb_pid=
start_xvfb() {
  local display=99
  while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
  done
  Xvfb ":${display}" -screen 0 1024x768x24 -nolisten tcp "$@" >"${xvfb_log:-/dev/null}" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":${display}"
  # The socket is there once the server listens; clients may connect then.
  local tries=0
  until [ -S "/tmp/.X11-unix/X${display}" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 300 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start on $DISPLAY" >&2
      stop_xvfb
      return 1
    fi
    sleep 0.1
  done
}
stop_xvfb() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  fi
}

# check DESCRIPTION COMMAND...: runs one check of a stage, counts it and
# prints ok or FAILED; returns the command's status.
checks_passed=0
checks_failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    checks_passed=$((checks_passed + 1))
    echo "ok: $what"
  else
    checks_failed=$((checks_failed + 1))
    echo "FAILED: $what"
    return 1
  fi
}
# finish_checks NAME: the stage's closing line; exits failing if any check did.
finish_checks() {
  echo "$1: $checks_passed passed, $checks_failed failed"
  [ "$checks_failed" -eq 0 ]
  exit
}
