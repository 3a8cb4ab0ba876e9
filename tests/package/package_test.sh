#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks the manual page, builds the Debian package,
# unpacks it into a scratch root and runs the packaged binary on the sample.
#   package_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

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
dpkg-deb -f "$deb" Depends | grep -q zlib1g || fail "the package does not depend on zlib"
dpkg -x "$deb" "$work/root"
"$build/make_sample" "$work/sample.pdf"
out=$("$work/root/usr/bin/Quillturn" "$work/sample.pdf" "$work/upright.pdf" -landscape /r0)
[ -z "$out" ] || fail "packaged binary: $out"
[ -s "$work/upright.pdf" ] || fail "packaged binary wrote nothing"
[ -f "$work/root/usr/share/man/man1/Quillturn.1" ] || [ -f "$work/root/usr/share/man/man1/Quillturn.1.gz" ] ||
  fail "no manual page in the package"
echo "package ok: $(basename "$deb")"
