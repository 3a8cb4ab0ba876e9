# shellcheck shell=bash
# Sourced (bash) by the tests that hold another build of Quillturn against the native one: the
# Windows build under Wine (tests/windows/run.sh) and the static release executable
# (tests/package/release_test.sh). One comparison for both.
#   compare_builds NATIVE_BUILD RUNNER LABEL
# In the current folder it writes every generated test PDF to in/ (NATIVE_BUILD holds the
# generators), then runs on each, with two sets of parameters, the native Quillturn (outputs in
# native/) and RUNNER (outputs in other/): a program, or an exported function, that takes
# Quillturn's arguments. The messages must be equal, both or neither must write an output, the
# outputs must be equal byte for byte and qpdf must find no error in them. Each difference is a
# FAIL line; compare_failures holds how many there were.
compare_builds() {
  local source_dir
  source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  compare_native=$(realpath "$1")
  compare_runner=$2
  compare_label=$3
  export compare_native compare_runner compare_label
  rm -rf in native other
  mkdir -p in native other
  "$compare_native/make_seeds" in >/dev/null
  "$compare_native/make_sample" in/sample.pdf
  "$compare_native/make_bench" big in/bench-big.pdf 12
  "$compare_native/make_bench" many in/bench-many.pdf 300
  "$compare_native/make_bench" objstm in/bench-objstm.pdf 300
  for f in "$source_dir"/tests/hostile/*.pdf; do
    cp "$f" "in/hostile-$(basename "$f")"
  done
  export -f compare_one
  local inputs=(in/*.pdf)
  for input in "${inputs[@]}"; do
    echo "$input a /r90"
    echo "$input b /p1,3-5 /r-90 -portrait"
  done | xargs -P "$(nproc)" -L 1 bash -c 'compare_one "$@"' _ >compare.log
  grep FAIL compare.log || true
  compare_failures=$(grep -c FAIL compare.log || true)
  echo "   ${#inputs[@]} inputs, $((${#inputs[@]} * 2)) runs, $compare_failures differences"
}

# One job: an input, a tag for the output's name, the parameters. The native build first.
compare_one() {
  local input=$1 tag=$2
  shift 2
  local name
  name=$(basename "$input" .pdf)-$tag.pdf
  local native_message other_message written=""
  native_message=$("$compare_native/Quillturn" "$input" "native/$name" "$@")
  other_message=$("$compare_runner" "$input" "other/$name" "$@")
  [ -e "native/$name" ] && written+=N
  [ -e "other/$name" ] && written+=O
  if [ "$native_message" != "$other_message" ]; then
    echo "FAIL: $name: the native build said '$native_message', $compare_label '$other_message'"
  elif [ "$written" = N ] || [ "$written" = O ]; then
    echo "FAIL: $name: only one of the builds wrote an output"
  elif [ "$written" = NO ]; then
    cmp -s "native/$name" "other/$name" || echo "FAIL: $name: outputs differ"
    # qpdf exits with 2 on errors, 3 on warnings (some seeds are odd on purpose).
    local code=0
    qpdf --check "other/$name" >/dev/null 2>&1 || code=$?
    [ "$code" -ne 2 ] || echo "FAIL: $name: qpdf finds errors in the output of $compare_label"
  fi
}
