#!/usr/bin/env bash
# Builds the players' downloads with scripts/package and checks what a player
# gets: the Windows zip, the Linux tarball and SHA256SUMS; the same bytes from
# a second clean build folder; a Linux program that needs only a desktop's
# libraries; and that program, unpacked, capturing a map under Xvfb.
# Run from the repository root.
set -uo pipefail
cd "$(dirname "$0")/../.."
# The end-to-end driver of the Linux window; sourcing it also brings common.sh.
. scripts/lib/test-fltk.sh

finish() { finish_checks "package tests"; }
trap cleanup EXIT

ensure_packages binutils unzip tar gzip

version=$(sed -n 's/^project(Grablet VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
dist=build/dist
zip=$dist/grablet-$version-win32.zip
tarball=$dist/grablet-$version-linux-$(uname -m).tar.gz
sums=$dist/SHA256SUMS
exe=build/windows/grablet.exe
program=build/linux-release/grablet
scratch=build/package-test
rm -rf "$scratch" && mkdir -p "$scratch"

if ! bash scripts/package >"$scratch/first.txt"; then
  check "scripts/package builds the downloads" false
  finish
fi
sed 's/^/   /' "$scratch/first.txt"

# --- What scripts/package says and writes ---------------------------------------

prints_paths_and_checksums() {
  printf '%s\n' "$zip" "$tarball" "$sums" | cat - "$sums" | cmp -s - "$scratch/first.txt"
}
sums_check() {
  [ "$(awk '{print $2}' "$sums" | tr '\n' ' ')" = "$(basename "$zip") $(basename "$tarball") " ] &&
    (cd "$dist" && sha256sum --check --strict --quiet SHA256SUMS)
}
check "scripts/package prints the three paths and the checksums" prints_paths_and_checksums
check "sha256sum -c SHA256SUMS passes for the zip and the tarball" sums_check

# --- The players' READMEs -------------------------------------------------------

# holds_parts README PLATFORM: README (LF) has every line of the shared text
# and of PLATFORM's parts, and no part left unfilled.
holds_parts() {
  local part
  ! grep -qE '^@[a-z-]+@$' "$1" || return 1
  for part in scripts/package-files/README.txt scripts/package-files/"$2"/*.txt; do
    grep -vE '^@[a-z-]+@$' "$part" | grep -vxFf "$1" | grep -q . && return 1
  done
  return 0
}
package_holds_exe_and_readme() {
  [ "$(unzip -Z1 "$zip" | tr '\n' ' ')" = "grablet.exe README.txt " ] &&
    unzip -p "$zip" grablet.exe | cmp -s - "$exe" &&
    # Every line of the README ends in CR LF.
    [ "$(unzip -p "$zip" README.txt | grep -c $'\r$')" = "$(unzip -p "$zip" README.txt | wc -l)" ] &&
    unzip -p "$zip" README.txt | tr -d '\r' >"$scratch/windows-README.txt" &&
    holds_parts "$scratch/windows-README.txt" windows
}
check "the zip holds grablet.exe and a CRLF README.txt" package_holds_exe_and_readme

# --- The Linux tarball ----------------------------------------------------------

# Listed by name, so that an owner's name kept in the tarball shows instead of 0/0.
tarball_holds_program_and_readme() {
  local listing
  listing=$(TZ=UTC tar -tvzf "$tarball" | awk '{print $1, $2, $4, $5, $6}') ||
    return 1
  printf '%s\n' "$listing" | sed 's/^/   /'
  [ "$listing" = "-rw-r--r-- 0/0 2001-01-01 00:00 README.txt
-rwxr-xr-x 0/0 2001-01-01 00:00 grablet" ] &&
    tar -xOzf "$tarball" grablet | cmp -s - "$program" &&
    tar -xOzf "$tarball" README.txt >"$scratch/linux-README.txt" &&
    ! grep -q $'\r' "$scratch/linux-README.txt" &&
    holds_parts "$scratch/linux-README.txt" linux
}
# gzip -n: no file name (flag 0x08) and no time in the header.
gzip_header_is_bare() {
  [ "$(head -c 8 "$tarball" | od -An -tx1 | tr -d ' \n')" = 1f8b080000000000 ]
}
check "the tarball holds exactly README.txt (644) and the build's grablet (755), owner 0, fixed time" \
  tarball_holds_program_and_readme
check "the tarball's gzip header holds no name and no time" gzip_header_is_bare

# --- The Linux program ------------------------------------------------------------

is_stripped_x86_64_without_paths() {
  readelf -h "$program" | grep -q 'Machine:.*X86-64' &&
    ! readelf -S --wide "$program" | grep -qE '\.symtab|\.debug_|\.note\.gnu\.build-id' &&
    ! grep -aqF "$PWD/" "$program"
}
needed_libraries() {
  readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
}
# X11, Xft, fontconfig and the C library, with the X extensions FLTK draws with.
needs_desktop_libraries_only() {
  local needed
  needed=$(needed_libraries)
  echo "   DT_NEEDED: $(echo $needed)"
  [ -n "$needed" ] &&
    ! echo "$needed" | grep -vxE 'lib(X11\.so\.6|Xext\.so\.6|Xft\.so\.2|Xrender\.so\.1|Xinerama\.so\.1|Xcursor\.so\.1|Xfixes\.so\.3|fontconfig\.so\.1|m\.so\.6|c\.so\.6)|ld-linux-x86-64\.so\.2'
}
needs_no_newer_glibc() {
  local newest here
  newest=$(readelf -V --wide "$program" | sed -n 's/.*Name: GLIBC_\([0-9.]*\).*/\1/p' | sort -V | tail -1)
  here=$(getconf GNU_LIBC_VERSION | awk '{print $2}')
  echo "   needs glibc $newest; this Debian has $here"
  [ -n "$newest" ] && [ "$(printf '%s\n' "$newest" "$here" | sort -V | tail -1)" = "$here" ] &&
    ! readelf -V --wide "$program" | grep -qE 'Name: (GLIBCXX|CXXABI)_'
}
# The README's list of Debian packages is exactly those that hold the libraries.
readme_names_debian_packages() {
  local multiarch library packages listed
  multiarch=$(gcc -print-multiarch)
  packages=$(for library in $(needed_libraries); do
    dpkg -S "*/$multiarch/$library" | sed 's/:.*//'
  done | sort -u | tr '\n' ' ')
  listed=$(tar -xOzf "$tarball" README.txt |
    awk '/these packages:$/ {on = 1; next} on && /^    / {print; next} {on = 0}' |
    tr -s ' ' '\n' | grep . | sort -u | tr '\n' ' ')
  echo "   packages: $packages"
  [ -n "$packages" ] && [ "$packages" = "$listed" ]
}
check "grablet is stripped x86-64, with no build id and no build paths" \
  is_stripped_x86_64_without_paths
check "grablet needs only X11, Xft, fontconfig and the C library" needs_desktop_libraries_only
check "grablet needs no newer glibc than this Debian's, and no libstdc++" needs_no_newer_glibc
check "the Linux README names the Debian packages of those libraries" readme_names_debian_packages

# --- The same downloads from a second clean build folder -------------------------

same_from_second_build_folder() {
  local root=build/package-repro file
  rm -rf "$root"
  for file in "$zip" "$tarball" "$sums"; do cp "$file" "$scratch/"; done
  # Newer sources must not change the bytes either.
  find scripts/package-files -type f -exec touch {} +
  bash scripts/package --build-root "$root" >"$scratch/second.txt" || return 1
  [ -x "$root/linux-release/grablet" ] && [ -f "$root/windows/grablet.exe" ] || return 1
  for file in "$zip" "$tarball" "$sums"; do
    cmp "$scratch/$(basename "$file")" "$file" || return 1
  done
}
check "scripts/package from a clean second build folder gives the same three files" \
  same_from_second_build_folder

# --- The unpacked program, end to end ----------------------------------------------

unpacked=$scratch/unpacked
mkdir -p "$unpacked" && tar -xzf "$tarball" -C "$unpacked"
grablet_under_test=$PWD/$unpacked/grablet
x_session() {
  e2e_start && return 0
  echo "note: no X display with a window manager; trying once more"
  cleanup
  e2e_start
}
if check "Xvfb with a window manager" x_session; then
  check "the unpacked grablet captures a map in a fresh game folder" run_case default_capture
fi
cleanup

finish
