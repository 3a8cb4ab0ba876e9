#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the manual page, builds the Debian package,
# unpacks it into a scratch root and runs the packaged binary on the sample.
#   package_test.sh SOURCE_DIR BUILD_DIR
# Or checks a package already built (the release's): unpacked and run as above, then, as root,
# installed into this system with dpkg, run from PATH, its manual page found by man, removed.
#   package_test.sh --deb PACKAGE.deb BUILD_DIR
# BUILD_DIR holds a native build: its make_sample writes the sample, its Quillturn's output is
# what the installed program must write.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The package's contents: a binary that runs and writes what the native build writes, the page.
check_deb() {  # check_deb DEB BUILD_DIR
  local deb=$1 build=$2 out
  dpkg-deb -f "$deb" Depends | grep -q zlib1g || fail "the package does not depend on zlib"
  dpkg -x "$deb" "$work/root"
  "$build/make_sample" "$work/sample.pdf"
  "$build/Quillturn" "$work/sample.pdf" "$work/native.pdf" -landscape /r0 >/dev/null
  out=$("$work/root/usr/bin/Quillturn" "$work/sample.pdf" "$work/upright.pdf" -landscape /r0)
  [ -z "$out" ] || fail "packaged binary: $out"
  cmp -s "$work/upright.pdf" "$work/native.pdf" || fail "packaged binary's output differs from the native build's"
  [ -f "$work/root/usr/share/man/man1/Quillturn.1" ] || [ -f "$work/root/usr/share/man/man1/Quillturn.1.gz" ] ||
    fail "no manual page in the package"
}

if [ "$1" = --deb ]; then
  deb=$(realpath "$2")
  build=$(realpath "$3")
  check_deb "$deb" "$build"
  name=$(dpkg-deb -f "$deb" Package)
  if [ "$(id -u)" -ne 0 ]; then
    echo "package install skipped: dpkg -i needs root ($(basename "$deb") checked unpacked only)"
  elif dpkg -s "$name" >/dev/null 2>&1; then
    echo "package install skipped: $name is installed on this system already and is left as it is"
  else
    trap 'dpkg -r "$name" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
    dpkg -i "$deb" >/dev/null || fail "dpkg -i $deb failed"
    [ "$(command -v Quillturn)" = /usr/bin/Quillturn ] || fail "the installed Quillturn is not on PATH"
    out=$(Quillturn "$work/sample.pdf" "$work/installed.pdf" -landscape /r0)
    [ -z "$out" ] || fail "installed binary: $out"
    cmp -s "$work/installed.pdf" "$work/native.pdf" || fail "installed binary's output differs from the native build's"
    man -w Quillturn >/dev/null 2>&1 || fail "man does not find the installed page"
    dpkg -r "$name" >/dev/null || fail "dpkg -r $name failed"
    [ ! -e /usr/bin/Quillturn ] || fail "dpkg -r left /usr/bin/Quillturn"
    echo "package installed, run and removed: $(basename "$deb")"
  fi
  exit 0
fi

src=$1
build=$2
# The manual page renders without a single warning.
warnings=$(groff -ww -man -Tutf8 "$src/man/Quillturn.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "groff warns: $warnings"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ -x "$work/prefix/bin/Quillturn" ] || fail "no installed binary"
[ -f "$work/prefix/share/man/man1/Quillturn.1" ] || fail "no installed manual page"
MANWIDTH=80 man -l "$work/prefix/share/man/man1/Quillturn.1" 2>/dev/null | grep -q "EXIT STATUS" ||
  fail "man does not render the page"

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >/dev/null)
deb=$(ls "$work"/pkg/*.deb)
check_deb "$deb" "$build"
echo "package ok: $(basename "$deb")"
