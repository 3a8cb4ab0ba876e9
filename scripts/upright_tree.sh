#!/usr/bin/env bash
# Runs Quillturn over every PDF in a folder tree, several at a time, into a mirror tree:
# IN/a/b.pdf is written to OUT/a/b.pdf. Prints a line per file with its name and, for a failure,
# Quillturn's message (a failed file leaves nothing in OUT), then a summary: how many were
# turned, how many failed, and how many for each message.
#   upright_tree.sh [-j JOBS] [-b QUILLTURN] IN OUT [QUILLTURN OPTIONS...]
# The options are Quillturn's own; without any, every page gets /Rotate 0. JOBS: how many run at
# once, the number of cores by default. QUILLTURN: the program, by default Quillturn from PATH,
# else build/release/Quillturn beside this script. Exit status 1 when any file failed.
# Needs bash and GNU findutils only: the script can be copied anywhere with the program.
set -euo pipefail

usage() {
  echo "usage: $(basename "$0") [-j JOBS] [-b QUILLTURN] IN OUT [QUILLTURN OPTIONS...]" >&2
  exit 2
}

# One batch of files (xargs hands out several per process: a bash per file would cost more than
# Quillturn's run on a small file). Arguments: IN OUT QUILLTURN N, N options, then the files.
# Prints one tab-separated record per file: "ok", name; or "FAILED", name, message.
turn_batch() {
  local in=$1 out=$2 bin=$3 n=$4
  shift 4
  local options=("${@:1:n}")
  shift "$n"
  local f rel dest msg code shown
  for f; do
    rel=${f#"$in"/}
    dest=$out/$rel
    mkdir -p "$(dirname "$dest")" 2>/dev/null || true  # if not, Quillturn says why
    # A file that failed this time must not show an output of an earlier run.
    rm -f "$dest"
    code=0
    # The exit code is always 0: the one line printed is what tells a failure.
    msg=$("$bin" "$f" "$dest" "${options[@]}" </dev/null) || code=$?
    if [ "$code" -ne 0 ]; then
      msg="Quillturn crashed (exit status $code)${msg:+: $msg}"
    elif [ -z "$msg" ] && [ ! -e "$dest" ]; then
      msg="no output written"
    fi
    # One record per line whatever the name holds.
    shown=${rel//[$'\t\n']/?}
    if [ -z "$msg" ]; then
      printf 'ok\t%s\n' "$shown"
    else
      printf 'FAILED\t%s\t%s\n' "$shown" "${msg//[$'\t\n']/ }"
    fi
  done
}
export -f turn_batch

jobs=$(nproc)
bin=
while getopts j:b: opt; do
  case $opt in
    j) jobs=$OPTARG ;;
    b) bin=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] || usage
in=$1
out=$2
shift 2
if [ -z "$bin" ]; then
  bin=$(command -v Quillturn || echo "$(dirname "$0")/../build/release/Quillturn")
fi
[ -x "$bin" ] || { echo "$(basename "$0"): no Quillturn program at $bin (use -b)" >&2; exit 2; }
[ -d "$in" ] || { echo "$(basename "$0"): $in is not a folder" >&2; exit 2; }
# Nested trees would turn outputs into inputs, or replace an input by its own output.
real_in=$(realpath "$in")
real_out=$(realpath -m "$out")
case "$real_out/" in "$real_in/"*) nested=1 ;; *) nested=0 ;; esac
case "$real_in/" in "$real_out/"*) nested=1 ;; esac
if [ "$nested" -eq 1 ]; then
  echo "$(basename "$0"): $in and $out must not lie one inside the other" >&2
  exit 2
fi
[ "$in" = / ] || in=${in%/}
mkdir -p "$out"

records=$(mktemp)
trap 'rm -f "$records"' EXIT
status=0
find "$in" -type f -iname '*.pdf' -print0 |
  xargs -0 -r -n 16 -P "$jobs" bash -c 'turn_batch "$@"' _ "$in" "$out" "$bin" $# "$@" |
  tee "$records" || status=$?
ok=$(grep -c $'^ok\t' "$records" || true)
failed=$(grep -c $'^FAILED\t' "$records" || true)
echo "$((ok + failed)) files: $ok turned, $failed failed"
# What failed and why: the number of files for each message.
awk -F '\t' '$1 == "FAILED" { print $3 }' "$records" | sort | uniq -c | sort -k1,1nr -k2
if [ "$status" -ne 0 ]; then
  # find could not read a folder, say: its files are in no count above.
  echo "$(basename "$0"): listing or running the files failed (status $status); see above" >&2
  exit 1
fi
[ "$failed" -eq 0 ]
