#!/usr/bin/env bash
# Measures what hostile inputs cost: every file of tests/hostile, then the stress shapes of
# scripts/make_hostile.py at several sizes. Prints time, peak memory and the outcome per file,
# and for each stress shape the growth factors from one size to the next (time and memory
# over the size step, so 1.0 means linear and less is better than linear).
#   bench/hostile.sh [runs]      runs: timed runs per file, the median is shown (default 3)
# Not a test: timings depend on the machine. Limits the program must meet: under 1 s and
# under input size + 64 MiB of peak memory per file.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-3}
[ -x /usr/bin/time ] || { echo "bench needs /usr/bin/time" >&2; exit 1; }
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLTURN_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target Quillturn >/dev/null
Q=$PWD/build/release/Quillturn
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 scripts/make_hostile.py --stress "$work/stress"

# Prints "median_seconds peak_kb outcome" for one input (outcome: "ok" or the program's line).
measure() {
  local in=$1 out="$work/out.pdf" times=() msg mem
  for _ in $(seq 1 "$runs"); do
    rm -f "$out"
    /usr/bin/time -o "$work/time.txt" -f "%e %M" "$Q" "$in" "$out" /r90 >"$work/msg.txt" 2>&1 || true
    times+=("$(tail -n 1 "$work/time.txt" | cut -d' ' -f1)")
    mem=$(tail -n 1 "$work/time.txt" | cut -d' ' -f2)
  done
  msg=$(head -c 60 "$work/msg.txt")
  local t
  t=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$t $mem ${msg:-ok}"
}

# One table line; flags a file over 1 s or over its size + 64 MiB.
row() {
  local name=$1 in=$2 t mem outcome
  read -r t mem outcome < <(measure "$in")
  local kb=$(( $(stat -c %s "$in") / 1024 ))
  local flag=""
  awk -v t="$t" 'BEGIN { exit !(t >= 1.0) }' && flag+=" SLOW"
  [ "$mem" -ge $(( kb + 65536 )) ] && flag+=" MEMORY"
  printf '%-44s %10s %8s %10s  %s%s\n' "$name" "$kb" "$t" "$mem" "$outcome" "$flag"
  echo "$name $t $mem" >>"$work/results.txt"
}

printf '%-44s %10s %8s %10s  %s\n' file input_KB seconds peak_KB outcome
for f in tests/hostile/*.pdf; do
  row "$(basename "$f")" "$f"
done
echo
for f in "$work"/stress/*.pdf; do
  row "stress/$(basename "$f" .pdf)" "$f"
done

# Growth between consecutive sizes of each shape: (time ratio, memory ratio) / size ratio.
echo
printf '%-44s %12s %12s %12s\n' "stress step" "size_factor" "time_growth" "mem_growth"
python3 - "$work/results.txt" <<'PY'
import re, sys
rows = {}
for line in open(sys.argv[1]):
    name, t, mem = line.split()
    m = re.match(r"stress/(.+)-(\d+)(mib)?$", name)
    if m:
        rows.setdefault(m.group(1), []).append((int(m.group(2)), float(t), int(mem), name))
for shape, sizes in rows.items():
    sizes.sort()
    for (s0, t0, m0, _), (s1, t1, m1, n1) in zip(sizes, sizes[1:]):
        step = s1 / s0
        # Times under 10 ms are the process starting: counted as 10 ms.
        tg = (max(t1, 0.01) / max(t0, 0.01)) / step
        mg = (m1 / m0) / step
        print("%-44s %12.2f %12.2f %12.2f" % ("%s %d->%d" % (shape, s0, s1), step, tg, mg))
PY
