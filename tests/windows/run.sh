#!/usr/bin/env bash
# The Windows build tried under Wine: its unit tests, then Quillturn.exe on generated PDFs,
# its outputs judged by the Linux qpdf and compared byte for byte with the Linux build's.
#   tests/windows/run.sh NATIVE_BUILD WINDOWS_BUILD [QUILLTURN_EXE]
# NATIVE_BUILD holds the Linux Quillturn and the PDF generators, WINDOWS_BUILD the cross build
# (cmake/mingw-w64-x86_64.cmake). The Wine prefix lives in WINDOWS_BUILD. QUILLTURN_EXE is the
# program tried (the release's, say), WINDOWS_BUILD/Quillturn.exe by default.
set -euo pipefail
trap 'echo "tests/windows/run.sh: line $LINENO failed" >&2' ERR
native=$(realpath "$1")
windows=$(realpath "$2")
exe=$(realpath "${3:-$windows/Quillturn.exe}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=../package/compare_builds.sh
source "$source_dir/tests/package/compare_builds.sh"
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEPREFIX="$windows/wineprefix"
# One Wine server for every run below, kept running between them and stopped at the end (it
# serves this prefix only). A server still ending from a last run is waited for first: a run
# that meets a server on its way out fails to start. A fresh prefix takes some seconds to make.
mkdir -p "$WINEPREFIX"
stop_server() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  /usr/lib/wine/wineserver -w
}
stop_server
/usr/lib/wine/wineserver -p
trap stop_server EXIT
"$wine" wineboot --init >/dev/null 2>&1

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# Runs Quillturn.exe; its one message goes to stdout, its exit code is checked. The program
# always exits with 0, so exit code 1 with nothing printed is Wine failing to start it (seen
# about once in a few hundred starts on a loaded machine): that start is tried once more.
win() {
  local code=0 out
  out=$(mktemp)
  "$wine" "$exe" "$@" >"$out" || code=$?
  if [ "$code" -eq 1 ] && [ ! -s "$out" ]; then
    code=0
    "$wine" "$exe" "$@" >"$out" || code=$?
  fi
  cat "$out"
  rm -f "$out"
  [ "$code" -eq 0 ] || echo "<exit $code>"
}
expect() {  # expect NAME WANTED GOT
  [ "$2" = "$3" ] || fail "$1: wanted '$2', got '$3'"
}
leftovers() {  # temporary files left in a folder
  find "$1" -maxdepth 1 -name '.qt*' | wc -l
}

echo "-- the only DLLs Quillturn.exe needs are Windows' own"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' |
  tr '[:upper:]' '[:lower:]' | sort | tr '\n' ' ')
expect "DLLs" "kernel32.dll msvcrt.dll shell32.dll " "$dlls"

echo "-- unit tests"
(cd "$windows" && ctest --output-on-failure) >"$windows/unit.log" 2>&1 ||
  { cat "$windows/unit.log"; fail "unit tests"; }

work="$windows/e2e"
rm -rf "$work"
mkdir -p "$work"
cd "$work"

echo "-- every generated PDF: the same message and the same bytes as the Linux build"
export -f win
export native windows wine exe
compare_builds "$native" win "the Windows build"
failures=$((failures + compare_failures))

echo "-- names in any script, paths with spaces, paths past 260 characters"
mkdir -p "folder with spaces"
deep=$(printf 'a-folder-with-a-rather-long-name-%02d/' 1 2 3 4 5 6 7 8 9)
mkdir -p "$deep"
cp in/sample.pdf "${deep}in.pdf"
cp in/sample.pdf "Überweisung März.pdf"
"$native/Quillturn" in/sample.pdf native/sample-r90.pdf /r90 >/dev/null
for pair in "Überweisung März.pdf|Ответ 東京 Ελλάδα.pdf" \
  "Überweisung März.pdf|folder with spaces/out put.pdf" \
  "Überweisung März.pdf|${deep}out.pdf" "${deep}in.pdf|${deep}out 2.pdf"; do
  from=${pair%%|*}
  to=${pair#*|}
  expect "message for $to" "" "$(win "$from" "$to" /r90)"
  cmp -s "$to" native/sample-r90.pdf || fail "$to differs from the Linux output"
  qpdf --check "$to" >/dev/null 2>&1 || fail "qpdf finds faults in $to"
done

echo "-- the output is the input under another name"
cp in/sample.pdf same.pdf
cp in/sample.pdf "Long File Name.pdf"
ln -f same.pdf hard-link.pdf
short=$("$wine" "$windows/tests/short_name.exe" "Long File Name.pdf")
[[ $short == *~* ]] || fail "no short 8.3 name for 'Long File Name.pdf' (got '$short')"
absolute="Z:${PWD//\//\\}\\same.pdf"
for pair in "same.pdf|SAME.PDF" "same.pdf|hard-link.pdf" "same.pdf|$absolute" \
  "Long File Name.pdf|$short" "$short|long file name.pdf"; do
  expect "${pair/|/ -> }" "Output file is the input file" "$(win "${pair%%|*}" "${pair#*|}" /r90)"
done
cmp -s same.pdf in/sample.pdf || fail "same.pdf was changed"
cmp -s "Long File Name.pdf" in/sample.pdf || fail "Long File Name.pdf was changed"

echo "-- a failed run leaves the previous output and nothing else"
printf 'previous' >kept.pdf
damaged=$("$native/Quillturn" in/hostile-pages-missing.pdf native/damaged.pdf /r90)
[ -n "$damaged" ] || fail "the damaged input was accepted"
expect "damaged input" "$damaged" "$(win in/hostile-pages-missing.pdf kept.pdf /r90)"
expect "missing input" "Input file open error" "$(win missing.pdf kept.pdf /r90)"
expect "missing folder" "Output file create error" "$(win in/sample.pdf "no such folder/out.pdf")"
expect "folder as output" "Output file create error" "$(win in/sample.pdf "folder with spaces")"
expect "kept.pdf" "previous" "$(cat kept.pdf)"
printf 'previous' >read-only.pdf
chmod a-w read-only.pdf
expect "read-only output" "Output file create error" "$(win in/sample.pdf read-only.pdf /r90)"
expect "read-only.pdf" "previous" "$(cat read-only.pdf)"
# An output that a viewer holds open: refused at once, not after the work.
"$wine" "$windows/tests/hold_open.exe" kept.pdf >held.txt &
holder=$!
for _ in $(seq 1 1000); do
  grep -q open held.txt && break
  sleep 0.01
done
expect "output held open" "Output file create error" "$(win in/sample.pdf kept.pdf /r90)"
kill "$holder"
wait "$holder" || true
expect "kept.pdf" "previous" "$(cat kept.pdf)"
expect "temporary files left" 0 "$(leftovers .)"

echo "-- Ctrl-C during a run removes the temporary file"
"$native/make_bench" big in-large.pdf 1000
# The run is stopped as soon as its temporary file shows, then gets Ctrl-C (Wine turns SIGINT
# into the console's Ctrl-C event). A run that ends before it is seen is tried again.
seen=""
for _ in 1 2 3; do
  "$wine" "$exe" in-large.pdf kept.pdf /r90 >ctrl-c.txt &
  pid=$!
  for _ in $(seq 1 2000); do
    seen=$(find . -maxdepth 1 -name '.qt*' | head -n 1)
    [ -n "$seen" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.005
  done
  if [ -n "$seen" ]; then
    kill -STOP "$pid" 2>/dev/null || true
    kill -INT "$pid" 2>/dev/null || true
    kill -CONT "$pid" 2>/dev/null || true
  fi
  wait "$pid" || true
  [ -n "$seen" ] && break
  printf 'previous' >kept.pdf
done
[ -n "$seen" ] || fail "no temporary file seen during three runs"
expect "after Ctrl-C: kept.pdf" "previous" "$(cat kept.pdf)"
expect "after Ctrl-C: temporary files left" 0 "$(leftovers .)"

echo "-- an existing output is replaced; through a link, the file it leads to"
expect "replacing kept.pdf" "" "$(win in/sample.pdf kept.pdf /r90)"
cmp -s kept.pdf native/sample-r90.pdf || fail "kept.pdf was not replaced by the new output"
mkdir -p links
printf 'previous' >links/target.pdf
ln -s links/target.pdf link.pdf
expect "through a link" "" "$(win in/sample.pdf link.pdf /r90)"
[ -L link.pdf ] || fail "the link at the output path was replaced"
cmp -s links/target.pdf native/sample-r90.pdf || fail "the file the link leads to was not replaced"
expect "temporary files left beside the link's file" 0 "$(leftovers links)"

echo "-- devices are written in place"
expect "NUL" "" "$(win in/sample.pdf NUL /r90)"
# CON is the console: under Wine that needs a terminal.
script -qec "$wine $exe in/sample.pdf CON /r90" /dev/null >console.txt
grep -q endobj console.txt || fail "nothing of the PDF reached the console"
expect "files named after devices" "" "$(find . -maxdepth 1 -iregex '\./\(nul\|con\)\(\..*\)?')"

echo "-- messages: one line without a line break, exit code 0"
expect "usage" "$("$native/Quillturn" | od -c)" "$(win | od -c)"
expect "message bytes" "$(printf 'Input file open error' | od -An -tx1)" "$(win missing.pdf out.pdf | od -An -tx1)"

echo "-- inputs past 4 GiB are read with 64-bit positions; past ten digits they are too large"
# A page after stream 4, whose data is a hole of the sparse file: a few kilobytes on the disk.
sparse_pdf() {
  local out=$1 hole=$2 o1 o2 o3 o4 x
  printf '%%PDF-1.4\n' >"$out"
  o1=$(stat -c %s "$out") && printf '1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n' >>"$out"
  o2=$(stat -c %s "$out") && printf '2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n' >>"$out"
  o4=$(stat -c %s "$out") && printf '4 0 obj\n<< /Length %d >>\nstream\n' "$hole" >>"$out"
  truncate -s +"$hole" "$out" && printf '\nendstream\nendobj\n' >>"$out"
  o3=$(stat -c %s "$out") && printf '3 0 obj\n<< /Type /Page /Parent 2 0 R /Resources << >> >>\nendobj\n' >>"$out"
  x=$(stat -c %s "$out")
  printf 'xref\n0 5\n0000000000 65535 f \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \n' \
    "$o1" "$o2" "$o3" "$o4" >>"$out"
  printf 'trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n' "$x" >>"$out"
}
sparse_pdf large-4g.pdf $((4 * 1024 * 1024 * 1024 + 4097))
sparse_pdf large-10g.pdf 10000000000
# The Windows copy goes to NUL: that build writes every byte itself, a hole's zeros too.
expect "large-4g.pdf (Linux)" "" "$("$native/Quillturn" large-4g.pdf large-4g-linux.pdf /r90)"
expect "large-4g.pdf (Windows)" "" "$(win large-4g.pdf NUL /r90)"
expect "large-4g.pdf (Linux) turned" "Page    1 rot:   90" "$(pdfinfo -l 1 large-4g-linux.pdf | grep -o 'Page    1 rot:   90')"
for f in large-10g.pdf; do
  expect "$f (Linux)" "Input file is too large" "$("$native/Quillturn" "$f" out.pdf /r90)"
  expect "$f (Windows)" "Input file is too large" "$(win "$f" out.pdf /r90)"
done
rm -f large-4g.pdf large-10g.pdf large-4g-linux.pdf

if [ "$failures" -ne 0 ]; then
  echo "Windows tests: $failures failed"
  exit 1
fi
echo "Windows tests passed"
