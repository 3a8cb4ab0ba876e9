#!/usr/bin/env bash
# Installs what Quillturn needs from Debian's packages, when it is missing.
#   install-deps.sh build   compiler, CMake, zlib, Google Benchmark (for bench/micro_bench)
#   install-deps.sh test    the above, GoogleTest, qpdf and poppler-utils (the real readers
#                           that judge the outputs in the end-to-end tests), clang (the second
#                           compiler, with libFuzzer), groff and man-db (the manual page's
#                           check), dpkg-dev, acl and attr (to give a replaced output an
#                           access control list and attributes), and the Windows cross toolchain with Wine
#                           (MinGW-w64, its zlib, wine64) that builds and tries Quillturn.exe
#   install-deps.sh windows CMake and the Windows cross toolchain only (build-windows.sh)
#   install-deps.sh release compiler, CMake, zlib (its static libz.a too), groff (the manual as
#                           text) and the Windows cross toolchain (release.sh)
set -euo pipefail
what=${1:-build}
packages=(g++ make cmake zlib1g-dev libbenchmark-dev)
if [ "$what" = test ]; then
  packages+=(libgtest-dev qpdf poppler-utils clang libclang-rt-dev groff-base man-db dpkg-dev acl attr
             g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64)
fi
if [ "$what" = windows ]; then
  packages=(make cmake g++-mingw-w64-x86-64-posix libz-mingw-w64-dev)
fi
if [ "$what" = release ]; then
  packages=(g++ make cmake zlib1g-dev groff-base g++-mingw-w64-x86-64-posix libz-mingw-w64-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}. Install them (as root: apt-get install ${missing[*]})." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
