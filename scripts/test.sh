#!/usr/bin/env bash
# Installs what the tests need, builds from scratch and runs every test twice: a plain build,
# then one with AddressSanitizer and UndefinedBehaviorSanitizer (any finding aborts). Between
# the two, scripts/release.sh writes the downloads and each is checked, scripts/upright_tree.sh
# is tried on a tree of PDFs, the Windows build (the release's executable) is tried under Wine
# and everything is also compiled with clang++. Warnings are errors in every build here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
rm -rf build/test build/clang-test build/sanitize build/release-test
echo "== plain build"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_WERROR=ON >/dev/null
cmake --build build/test -j"$jobs" >/dev/null
(cd build/test && ctest -j"$jobs" --output-on-failure)
echo "== release downloads (scripts/release.sh), each checked"
scripts/release.sh build/release-test/dist
tests/package/release_test.sh build/release-test/dist build/test
echo "== many files at once (scripts/upright_tree.sh)"
tests/package/many_files_test.sh build/test
echo "== Windows build (MinGW-w64), tried under Wine"
if [ -x /usr/lib/wine/wine64 ] && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  rm -rf build/windows-test
  cmake -S . -B build/windows-test -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_WERROR=ON >/dev/null
  cmake --build build/windows-test -j"$jobs" --target quillturn_tests short_name hold_open >/dev/null
  # The program tried is the one users download.
  release_exe=(build/release-test/dist/Quillturn-*-windows-x86_64.exe)
  tests/windows/run.sh build/test build/windows-test "${release_exe[0]}"
else
  echo "Windows tests skipped: Wine or MinGW-w64 is not installed (scripts/install-deps.sh test, as root)"
fi
echo "== clang++ build"
CXX=clang++ cmake -S . -B build/clang-test -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_WERROR=ON >/dev/null
cmake --build build/clang-test -j"$jobs" >/dev/null
echo "== libFuzzer smoke run (clang)"
CXX=clang++ cmake -S . -B build/fuzz-smoke -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLTURN_FUZZ=ON \
  -DQUILLTURN_SANITIZE=ON -DQUILLTURN_TESTS=OFF -DQUILLTURN_WERROR=ON >/dev/null
cmake --build build/fuzz-smoke -j"$jobs" >/dev/null
mkdir -p build/fuzz-smoke/seeds && build/fuzz-smoke/make_seeds build/fuzz-smoke/seeds
for target in fuzz_parser fuzz_flate fuzz_xref_stream fuzz_page_list fuzz_job; do
  work=build/fuzz-smoke/run-$target
  rm -rf "$work" && mkdir -p "$work/corpus"
  cp -r fuzz/corpus/$target/. build/fuzz-smoke/seeds/. "$work/corpus/" 2>/dev/null || true
  # A fixed seed makes a run repeatable.
  build/fuzz-smoke/$target "$work/corpus" -seed=1 -dict=fuzz/pdf.dict -runs=20000 -max_total_time=20 -max_len=4096 \
    -timeout=10 -artifact_prefix="$work/" >"$work/log.txt" 2>&1 ||
    { tail -n 30 "$work/log.txt"; echo "fuzz smoke run of $target failed"; exit 1; }
  echo "$target: $(grep -E '^Done [0-9]+ runs' "$work/log.txt" | tail -n 1)"
done
echo "== sanitizer build"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLTURN_SANITIZE=ON -DQUILLTURN_WERROR=ON >/dev/null
cmake --build build/sanitize -j"$jobs" >/dev/null
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd build/sanitize && ctest -j"$jobs" --output-on-failure
