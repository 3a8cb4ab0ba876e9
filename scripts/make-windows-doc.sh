#!/usr/bin/env bash
# The manual page as plain text for Windows users: docs/Quillturn.txt, made from
# man/Quillturn.1 (ASCII, CRLF line ends, so that any Windows editor shows it as it is).
#   make-windows-doc.sh          writes docs/Quillturn.txt anew
#   make-windows-doc.sh --check  fails when docs/Quillturn.txt is not what the page gives
set -euo pipefail
cd "$(dirname "$0")/.."
text=$(groff -man -Tascii -P-c -P-b -P-u man/Quillturn.1 | sed 's/$/\r/')
if [ "${1:-}" = --check ]; then
  if [ "$text" != "$(cat docs/Quillturn.txt)" ]; then
    echo "docs/Quillturn.txt is out of date: run scripts/make-windows-doc.sh" >&2
    exit 1
  fi
  exit 0
fi
printf '%s\n' "$text" >docs/Quillturn.txt
