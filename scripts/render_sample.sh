#!/usr/bin/env bash
# Renders the sample's pages before and after `-landscape /r0` as small PNG files for the
# README (docs/sample-before-N.png, docs/sample-after-N.png). Needs poppler-utils.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target Quillturn make_sample >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/release/make_sample "$work/sample.pdf"
msg=$(build/release/Quillturn "$work/sample.pdf" "$work/upright.pdf" -landscape /r0)
[ -z "$msg" ] || { echo "Quillturn: $msg" >&2; exit 1; }
pdftoppm -png -scale-to 160 "$work/sample.pdf" "$work/before"
pdftoppm -png -scale-to 160 "$work/upright.pdf" "$work/after"
for n in 1 2 3 4; do
  cp "$work/before-$n.png" "docs/sample-before-$n.png"
  cp "$work/after-$n.png" "docs/sample-after-$n.png"
done
echo "docs/sample-{before,after}-{1..4}.png written"
