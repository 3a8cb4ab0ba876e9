#!/usr/bin/env bash
# Line and branch coverage of src/, per folder: builds with --coverage in build/coverage, runs
# the whole CTest suite there and sums gcovr's figures by folder. gcovr comes from Debian and is
# installed here when missing. Branches that only exist for exception unwinding are not counted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/coverage
jobs=${JOBS:-2}
if ! command -v gcovr >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "gcovr is missing: apt-get install gcovr" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends gcovr >/dev/null
fi
"$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null
find "$build" -name '*.gcda' -delete
status=0
(cd "$build" && ctest -j"$jobs" --output-on-failure >"$build/ctest.log" 2>&1) || status=$?
tail -n 3 "$build/ctest.log"
gcovr -r "$root" --object-directory "$build" --filter "$root/src/" --exclude-throw-branches \
  --json-summary "$build/coverage.json" >/dev/null 2>"$build/gcovr.log"
python3 - "$build/coverage.json" <<'PY'
import collections, json, sys
totals = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in json.load(open(sys.argv[1]))["files"]:
    folder = f["filename"].rsplit("/", 1)[0]
    t = totals[folder]
    t[0] += f["line_covered"]; t[1] += f["line_total"]
    t[2] += f["branch_covered"]; t[3] += f["branch_total"]
totals["src (all)"] = [sum(t[i] for t in list(totals.values())) for i in range(4)]
pct = lambda a, b: "%5.1f%%" % (100.0 * a / b) if b else "    -"
print("%-16s %14s %8s %16s %8s" % ("folder", "lines", "", "branches", ""))
for folder, (lc, lt, bc, bt) in sorted(totals.items()):
    print("%-16s %6d / %-6d %s %7d / %-7d %s" % (folder, lc, lt, pct(lc, lt), bc, bt, pct(bc, bt)))
PY
echo "Uncovered lines and branches per file: gcovr -r $root --object-directory $build" \
  "--filter $root/src/ --exclude-throw-branches -b (or --html-details)"
exit "$status"
