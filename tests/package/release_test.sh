#!/usr/bin/env bash
# Checks what scripts/release.sh wrote: every file named with the version and listed in
# SHA256SUMS with its checksum; the static Linux executable needs no shared library and writes
# the same messages and bytes as the native build on every generated test PDF; the Debian
# package installs and runs (package_test.sh --deb); the manual files are the project's. The
# Windows executable is tried under Wine by tests/windows/run.sh (scripts/test.sh hands it over).
#   release_test.sh DIST_DIR NATIVE_BUILD
set -euo pipefail
dist=$(realpath "$1")
native=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
# shellcheck source=compare_builds.sh
source "$here/compare_builds.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The version as CMake gives it to the package, read from the native build.
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$native/CPackConfig.cmake")
[ -n "$version" ] || { echo "FAIL: no version in $native/CPackConfig.cmake"; exit 1; }
static=Quillturn-$version-linux-x86_64
exe=Quillturn-$version-windows-x86_64.exe
deb=quillturn_${version}_amd64.deb
text=Quillturn-$version-manual.txt
page=Quillturn-$version-manual.1

echo "-- the files, their names and SHA256SUMS"
expected=$(printf '%s\n' "$static" "$exe" "$deb" "$text" "$page" SHA256SUMS | sort)
[ "$(ls "$dist" | sort)" = "$expected" ] || fail "$dist holds $(ls "$dist" | tr '\n' ' '), wanted $(tr '\n' ' ' <<<"$expected")"
[ "$(awk '{ print $2 }' "$dist/SHA256SUMS" | sort)" = "$(grep -vx SHA256SUMS <<<"$expected")" ] ||
  fail "SHA256SUMS does not list every file: $(cat "$dist/SHA256SUMS")"
(cd "$dist" && sha256sum --check --strict --quiet SHA256SUMS) || fail "sha256sum --check fails"
[ "$(dpkg-deb -f "$dist/$deb" Version)" = "$version" ] || fail "$deb holds version $(dpkg-deb -f "$dist/$deb" Version)"

echo "-- the manual as a page and as text"
cmp -s "$dist/$page" "$source_dir/man/Quillturn.1" || fail "$page is not man/Quillturn.1"
# docs/Quillturn.txt is checked against the page by CTest (windows_manual).
cmp -s "$dist/$text" "$source_dir/docs/Quillturn.txt" || fail "$text is not docs/Quillturn.txt"

echo "-- the static Linux executable"
linkage=$(ldd "$dist/$static" 2>&1 || true)
[[ $linkage == *"not a dynamic executable"* ]] || fail "$static is dynamic: $linkage"
[ -x "$dist/$static" ] || fail "$static is not executable"
cd "$work"
compare_builds "$native" "$dist/$static" "the static executable"
failures=$((failures + compare_failures))

echo "-- the Debian package"
"$here/package_test.sh" --deb "$dist/$deb" "$native" || fail "$deb"

if [ "$failures" -ne 0 ]; then
  echo "release tests: $failures failed"
  exit 1
fi
echo "release tests passed ($(ls "$dist" | wc -l) files in $dist)"
