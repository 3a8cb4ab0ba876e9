#!/usr/bin/env bash
# Line coverage of the code by the fuzz corpus: builds the replay programs with clang's source
# coverage, replays fuzz/corpus (plus the seeds and hostile files) and prints llvm-cov's report
# for src/reader and for everything.
#   scripts/fuzz_coverage.sh [extra corpus folders...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/coverage
flags="-fprofile-instr-generate -fcoverage-mapping"
CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILLTURN_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
mkdir -p "$build/seeds" && "$build/make_seeds" "$build/seeds"
rm -f "$build"/*.profraw
objects=()
for target in fuzz_parser fuzz_flate fuzz_xref_stream fuzz_page_list fuzz_job; do
  LLVM_PROFILE_FILE="$build/$target.profraw" "$build/replay_$target" fuzz/corpus/$target \
    "$build/seeds" tests/hostile tests/regressions "$@" >/dev/null
  objects+=(-object "$build/replay_$target")
done
llvm-profdata merge -o "$build/all.profdata" "$build"/*.profraw
echo "== src/reader"
llvm-cov report "${objects[@]:1}" -instr-profile="$build/all.profdata" src/reader | tail -n 1
echo "== src"
llvm-cov report "${objects[@]:1}" -instr-profile="$build/all.profdata" src | tail -n 1
