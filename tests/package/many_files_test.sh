#!/usr/bin/env bash
# scripts/upright_tree.sh on a small tree of generated PDFs: every file's line and message, the
# mirror tree's outputs byte for byte against Quillturn run on each file alone, the summary's
# counts, a crash counted as a failure, stale outputs gone, nested trees refused.
#   many_files_test.sh BUILD_DIR     (BUILD_DIR holds Quillturn and the PDF generators)
set -euo pipefail
build=$(realpath "$1")
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/upright_tree.sh
hostile=$(cd "$(dirname "$0")/.." && pwd)/hostile
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

mkdir -p in/"sub dir"/deeper in/damaged in/crash
"$build/make_sample" in/top.pdf
cp in/top.pdf "in/sub dir/Überweisung März.pdf"
cp in/top.pdf $'in/sub dir/new\nline.pdf'
"$build/make_bench" objstm "in/sub dir/deeper/big.PDF" 50
cp "$hostile/pages-missing.pdf" in/damaged/pages-missing.pdf
printf 'not a PDF' >"in/damaged/text.pdf"
cp in/top.pdf in/crash/crash.pdf
cp in/top.pdf in/crash/crash-again.pdf
printf 'not a PDF either, and no .pdf name' >in/notes.txt
# A Quillturn that dies on files named crash*, as a faulty build would.
cat >crashing <<EOF
#!/usr/bin/env bash
case \$(basename "\$1") in crash*) kill -SEGV \$\$ ;; esac
exec "$build/Quillturn" "\$@"
EOF
chmod +x crashing
# What a run for each file alone says and writes: the expected records.
mkdir -p alone
: >expected
find in -type f -iname '*.pdf' -print0 | while IFS= read -r -d '' f; do
  rel=${f#in/}
  shown=${rel//$'\n'/?}
  if [[ $rel == crash/* ]]; then
    printf 'FAILED\t%s\tQuillturn crashed (exit status 139)\n' "$shown" >>expected
    continue
  fi
  mkdir -p "alone/$(dirname "$rel")"
  msg=$("$build/Quillturn" "$f" "alone/$rel" /r90)
  if [ -z "$msg" ]; then
    printf 'ok\t%s\n' "$shown" >>expected
  else
    printf 'FAILED\t%s\t%s\n' "$shown" "$msg" >>expected
  fi
done
[ "$(grep -c $'^ok\t' expected)" -eq 4 ] || fail "the tree should hold 4 good PDFs: $(cat expected)"
[ "$(grep -c $'^FAILED\t' expected)" -eq 4 ] || fail "the tree should hold 4 bad PDFs: $(cat expected)"

mkdir -p out/damaged
printf 'stale' >out/damaged/pages-missing.pdf
code=0
"$script" -j 2 -b "$work/crashing" in out /r90 >log.txt 2>&1 || code=$?
[ "$code" -eq 1 ] || fail "exit status $code with failed files, wanted 1"
diff <(grep -E $'^(ok|FAILED)\t' log.txt | sort) <(sort expected) ||
  fail "the lines for each file differ from the runs on each file alone (above)"
while IFS= read -r -d '' f; do
  rel=${f#alone/}
  cmp -s "$f" "out/$rel" || fail "out/$rel differs from the run on the file alone"
done < <(find alone -type f -print0)
[ "$(find out -type f -printf x | wc -c)" -eq 4 ] || fail "out holds other files than the 4 outputs: $(find out -type f)"
# The summary: the counts, then the number of files for each message, most first (the crash,
# whose message sorts after the others).
grep -qx '8 files: 4 turned, 4 failed' log.txt || fail "summary: $(tail -n 5 log.txt)"
awk -F '\t' '$1 == "FAILED" { print $3 }' expected | sort | uniq -c | sort -k1,1nr -k2 >reasons
[ "$(tail -n "$(wc -l <reasons)" log.txt)" = "$(cat reasons)" ] ||
  fail "the reasons in the summary differ: $(tail -n 5 log.txt)"

# A tree without failures: exit status 0. Nested trees: refused before any run.
code=0
"$script" -b "$build/Quillturn" "in/sub dir" out2 >log2.txt 2>&1 || code=$?
[ "$code" -eq 0 ] || fail "exit status $code for a tree that turns without failures"
grep -qx '3 files: 3 turned, 0 failed' log2.txt || fail "summary: $(tail -n 2 log2.txt)"
for pair in "in|in/sub dir/out" "in/sub dir|in" "in|in"; do
  code=0
  "$script" -b "$build/Quillturn" "${pair%%|*}" "${pair#*|}" >/dev/null 2>&1 || code=$?
  [ "$code" -eq 2 ] || fail "${pair/|/ -> }: exit status $code, wanted 2 (nested trees)"
done
[ ! -e "in/sub dir/out" ] || [ -z "$(ls -A "in/sub dir/out")" ] || fail "a refused run wrote outputs"

if [ "$failures" -ne 0 ]; then
  echo "--- upright_tree.sh printed:"
  cat log.txt
  echo "many-files tests: $failures failed"
  exit 1
fi
echo "many-files tests passed (upright_tree.sh: 8 files, 4 turned, 4 failed as each alone)"
