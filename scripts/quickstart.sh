#!/usr/bin/env bash
# Builds Quillturn in Release and turns the landscape pages of the sample upright.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" >/dev/null
build/release/make_sample build/release/sample.pdf
# -landscape picks the pages shown sideways (/Rotate 90 or 270); /r0 sets them upright.
out=$(build/release/Quillturn build/release/sample.pdf build/release/sample-upright.pdf -landscape /r0)
if [ -n "$out" ]; then
  echo "Quillturn failed: $out" >&2
  exit 1
fi
echo "Rotated: build/release/sample.pdf -> build/release/sample-upright.pdf"
if command -v pdfinfo >/dev/null; then
  paste <(pdfinfo -l 4 build/release/sample.pdf | grep rot:) \
        <(pdfinfo -l 4 build/release/sample-upright.pdf | grep rot: | sed 's/^/-> /')
fi
