#!/usr/bin/env bash
# Installs what the tests need, builds from scratch and runs every test twice: a plain build,
# then one with AddressSanitizer and UndefinedBehaviorSanitizer (any finding aborts). Between
# the two, everything is also compiled with clang++, warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
jobs=$(nproc)
rm -rf build/test build/clang-test build/sanitize
echo "== plain build"
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/test -j"$jobs" >/dev/null
(cd build/test && ctest -j"$jobs" --output-on-failure)
echo "== clang++ build"
CXX=clang++ cmake -S . -B build/clang-test -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/clang-test -j"$jobs" >/dev/null
echo "== sanitizer build"
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLTURN_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j"$jobs" >/dev/null
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd build/sanitize && ctest -j"$jobs" --output-on-failure
