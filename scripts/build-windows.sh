#!/usr/bin/env bash
# Builds the Windows release: a static build/windows/Quillturn.exe (64-bit) that needs no DLL
# beyond those of Windows itself, cross-compiled with Debian's MinGW-w64.
#   QUILLTURN_WERROR=ON build-windows.sh   warnings as errors (release.sh sets it; off by
#                                          default, so that a newer MinGW-w64 cannot fail it)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
cmake --no-warn-unused-cli -S . -B build/windows-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF -DQUILLTURN_WERROR="${QUILLTURN_WERROR:-OFF}" >/dev/null
cmake --build build/windows-release -j"$(nproc)" --target Quillturn >/dev/null
mkdir -p build/windows
x86_64-w64-mingw32-strip -o build/windows/Quillturn.exe build/windows-release/Quillturn.exe
# Only DLLs every Windows has: nothing from the compiler's runtime or zlib.
dlls=$(x86_64-w64-mingw32-objdump -p build/windows/Quillturn.exe | sed -n 's/^\s*DLL Name: //p')
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | advapi32.dll) ;;
    *) echo "Quillturn.exe needs $dll, which Windows does not ship" >&2; exit 1 ;;
  esac
done
echo "Built build/windows/Quillturn.exe (uses $(paste -sd ' ' <<<"$dlls"))"
