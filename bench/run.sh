#!/usr/bin/env bash
# Times Quillturn against qpdf (the tool a user would reach for instead) and against cp (the
# floor) on generated inputs, and prints a table of times, ratios and peak memory.
#   bench/run.sh [runs]      runs: timed runs per tool and input after one warm-up (default 5)
#   QUILLTURN_BIN=path bench/run.sh   measures that binary instead (an older build, say)
# Not a test: timings depend on the machine. Takes a couple of minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}

need=()
command -v qpdf >/dev/null || need+=(qpdf)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "bench needs: ${need[*]}" >&2
    exit 1
  fi
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
scripts/install-deps.sh build
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target Quillturn make_bench >/dev/null
Q=${QUILLTURN_BIN:-$PWD/build/release/Quillturn}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "generating inputs in $work"
build/release/make_bench big "$work/big.pdf" 2000
build/release/make_bench many "$work/many.pdf" 50000
qpdf --object-streams=generate "$work/many.pdf" "$work/many-objstm.pdf"
for n in 5000 20000; do
  build/release/make_bench many "$work/many-$n.pdf" "$n"
done
cp "$work/many.pdf" "$work/many-50000.pdf"

# One command: a warm-up run under /usr/bin/time for its peak memory, then `runs` runs timed
# with the shell's microsecond clock. Prints "median_seconds peak_kb". The output is removed
# before every run, so each one writes a new file, and the disk is flushed (untimed): a tool
# that flushes its output to the disk would otherwise wait for what the runs before it wrote.
measure() {
  local out=$1
  shift
  rm -f "$out"
  /usr/bin/time -o "$work/time.txt" -f "%M" "$@" >/dev/null 2>&1
  local mem
  mem=$(tail -n 1 "$work/time.txt")
  local times=()
  for _ in $(seq 1 "$runs"); do
    rm -f "$out"
    sync
    local t0=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    local t1=$EPOCHREALTIME
    times+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.4f", b - a }')")
  done
  local t
  t=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$t $mem"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.3f", a / b; else print "-" }'; }

printf '\n%-16s %9s %9s %9s %8s %8s %10s %10s %9s\n' input MB quillturn qpdf "q/qpdf" "q/cp" "mem_q_KB" \
  "mem_qpdf_KB" "mem_ratio"
for name in big many many-objstm; do
  in="$work/$name.pdf"
  mb=$(awk -v s="$(stat -c %s "$in")" 'BEGIN { printf "%.1f", s / 1048576 }')
  read -r tq mq < <(measure "$work/out.pdf" "$Q" "$in" "$work/out.pdf" /r90)
  read -r tp mp < <(measure "$work/out-qpdf.pdf" qpdf --rotate=90:1-z "$in" "$work/out-qpdf.pdf")
  read -r tc _ < <(measure "$work/out-cp.pdf" cp "$in" "$work/out-cp.pdf")
  printf '%-16s %9s %9s %9s %8s %8s %10s %10s %9s\n' "$name" "$mb" "$tq" "$tp" "$(ratio "$tq" "$tp")" \
    "$(ratio "$tq" "$tc")" "$mq" "$mp" "$(ratio "$mq" "$mp")"
done

printf '\n%-16s %9s %14s\n' pages quillturn "us_per_page"
for n in 5000 20000 50000; do
  read -r tq _ < <(measure "$work/out.pdf" "$Q" "$work/many-$n.pdf" "$work/out.pdf" /r90)
  printf '%-16s %9s %14s\n' "$n" "$tq" "$(awk -v t="$tq" -v n="$n" 'BEGIN { printf "%.2f", t * 1e6 / n }')"
done
