#!/usr/bin/env bash
# Builds every download from scratch and writes it to dist/ (or the folder given), each file
# name carrying the version of CMakeLists.txt's project():
#   Quillturn-VERSION-linux-x86_64        Linux executable, static: no shared library, zlib inside
#   Quillturn-VERSION-windows-x86_64.exe  Windows executable (scripts/build-windows.sh)
#   quillturn_VERSION_amd64.deb           Debian package (cpack)
#   Quillturn-VERSION-manual.txt          the manual as text, CRLF (docs/Quillturn.txt)
#   Quillturn-VERSION-manual.1            the manual page (man/Quillturn.1)
#   SHA256SUMS                            the checksums of the files above
# Installs what it needs (as root). Warnings are errors. scripts/test.sh runs it and checks
# every file it writes (tests/package/release_test.sh).
#   release.sh [DIST_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dist=${1:-dist}
scripts/install-deps.sh release
jobs=$(nproc)
version=$(sed -n 's/^project(Quillturn VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release.sh: no VERSION in CMakeLists.txt's project()" >&2; exit 1; }
# Every build starts from nothing: no cached option of an earlier build slips into a release.
rm -rf build/release-static build/release-deb build/windows-release

echo "== static Linux executable"
cmake -S . -B build/release-static -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF \
  -DQUILLTURN_WERROR=ON -DZLIB_USE_STATIC_LIBS=ON -DCMAKE_EXE_LINKER_FLAGS=-static >/dev/null
cmake --build build/release-static -j"$jobs" --target Quillturn >/dev/null
strip -o build/release-static/Quillturn.stripped build/release-static/Quillturn
# One file that runs on any x86-64 Linux (RHEL, Alpine, a bare container): nothing to load.
linkage=$(ldd build/release-static/Quillturn.stripped 2>&1 || true)
if [[ $linkage != *"not a dynamic executable"* ]]; then
  echo "release.sh: the static executable needs shared libraries: $linkage" >&2
  exit 1
fi

echo "== Debian package"
# The package step builds only what it installs (the program), not the tools beside it.
cmake -S . -B build/release-deb -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF \
  -DQUILLTURN_WERROR=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build build/release-deb -j"$jobs" --target Quillturn >/dev/null
(cd build/release-deb && cpack -G DEB >/dev/null)
deb=build/release-deb/quillturn_${version}_amd64.deb
[ -f "$deb" ] || { echo "release.sh: cpack did not write $deb" >&2; exit 1; }

echo "== Windows executable"
QUILLTURN_WERROR=ON scripts/build-windows.sh

echo "== manual"
# docs/Quillturn.txt must be what man/Quillturn.1 gives (make-windows-doc.sh writes it anew).
scripts/make-windows-doc.sh --check

mkdir -p "$dist"
# Only what an earlier release wrote goes: the folder may hold other files.
rm -f "$dist"/Quillturn-* "$dist"/quillturn_*.deb "$dist/SHA256SUMS"
files=("Quillturn-$version-linux-x86_64" "Quillturn-$version-windows-x86_64.exe"
       "quillturn_${version}_amd64.deb" "Quillturn-$version-manual.txt"
       "Quillturn-$version-manual.1")
install -m 755 build/release-static/Quillturn.stripped "$dist/${files[0]}"
install -m 755 build/windows/Quillturn.exe "$dist/${files[1]}"
install -m 644 "$deb" "$dist/${files[2]}"
install -m 644 docs/Quillturn.txt "$dist/${files[3]}"
install -m 644 man/Quillturn.1 "$dist/${files[4]}"
(cd "$dist" && sha256sum -- "${files[@]}" >SHA256SUMS)
echo "Wrote $dist:"
(cd "$dist" && ls -l -- "${files[@]}" SHA256SUMS)
