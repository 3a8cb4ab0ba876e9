#!/usr/bin/env python3
"""Judges an incremental update Quillturn wrote (-incremental) against its input, with the
readers and rules of compare_pdf.py.

usage: compare_update.py INPUT OUTPUT EXPECTATION

EXPECTATION is compare_pdf.py's. Prints one line for each difference (judge_update says what is
compared). Needs python3, qpdf and pdfinfo.
"""
import re
import subprocess
import sys

from compare_pdf import compare, expectation, headers, rotations, short, shown_by_pdfinfo, view


def shows_alike(before, after):
    """Whether a page at rotation before already shows at after: the same value, or multiples
    of 90 a whole turn apart."""
    return before == after or (before % 90 == 0 and after % 90 == 0 and
                               before % 360 == after % 360)


def check_rank(path):
    """qpdf --check's verdict ranked: 0 clean, 1 warnings, 2 errors."""
    code = subprocess.run(["qpdf", "--check", path], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode
    return {0: 0, 3: 1}.get(code, 2)


def last_startxref(data):
    """The offset the last startxref gives, or None."""
    found = re.findall(rb"startxref[ \t\r\n\f\0]+(\d+)", data)
    return int(found[-1]) if found else None


def judge_update(input_path, output_path, objects, turned):
    """Differences of an incremental update from its input: the input's bytes come first; with
    no page whose shown rotation changes (by qpdf's reading) nothing follows them; else exactly
    those pages are appended, then one section (an /XRef stream, which may add its own object)
    whose /Prev is the input's startxref, whose /Size covers every number and whose trailer
    keeps every key of the input's; qpdf reads every other object as in the input, no less
    cleanly (qpdf --check), and pdfinfo shows the turned pages at their angle."""
    with open(input_path, "rb") as f:
        data = f.read()
    with open(output_path, "rb") as f:
        out = f.read()
    if not out.startswith(data):
        return ["the output does not start with the input's bytes"]
    before = rotations(input_path)
    changed = {objects[page - 1]: angle for page, angle in turned.items()
               if 1 <= page <= len(objects) and page <= len(before)
               and not shows_alike(before[page - 1], angle)}
    added = out[len(data):]
    if not changed:
        return ["%d bytes follow the input, though no page changes" % len(added)] if added else []
    found = []
    appended = set(headers(added))
    inp, view_out = view(input_path), view(output_path)
    extra = appended - set(changed)
    stream = None
    if len(extra) == 1 and view_out:
        stream = extra.pop()
        if view_out.objects.get("obj:%d 0 R" % stream, {}).get("stream", {}).get(
                "dict", {}).get("/Type") != "/XRef":
            extra.add(stream)
    if appended - {stream} != set(changed) or extra:
        found.append("appended objects %s, expected the changed pages %s" %
                     (sorted(appended), sorted(changed)))
    _, diffs = compare(inp, view_out, output_path, changed, set(), None)
    found += [line for kind, key, line in diffs if kind != "trailer" and
              not (kind == "added" and key == "obj:%d 0 R" % stream)]
    if view_out and inp:
        own = {"/Size", "/Prev", "/XRefStm", "/Type", "/W", "/Index", "/Length", "/Filter",
               "/DecodeParms"}
        for key, value in inp.trailer.items():
            if key not in own and view_out.trailer.get(key) != value:
                found.append("trailer %s: expected %s output %s" %
                             (key, short(value), short(view_out.trailer.get(key))))
        prev = view_out.trailer.get("/Prev")
        if prev != "#%s" % last_startxref(data):
            found.append("/Prev %s is not the input's startxref %s" % (prev, last_startxref(data)))
        size = int(view_out.trailer.get("/Size", "#0")[1:])
        if size <= max(appended) or size < int(inp.trailer.get("/Size", "#0")[1:]):
            found.append("/Size %d is too small" % size)
    if check_rank(output_path) > check_rank(input_path):
        found.append("qpdf --check finds more wrong with the output than with the input")
    shown = shown_by_pdfinfo(input_path) or []
    if len(shown) == len(objects):
        want = [turned[page] % 360 if page in turned else angle
                for page, angle in enumerate(shown, 1)]
        after = shown_by_pdfinfo(output_path) or []
        if after != want:
            found.append("the pages' rotations as pdfinfo shows them: expected %s output %s" %
                         (want, after))
    return found


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    objects, turned = expectation(sys.argv[1], sys.argv[3])
    for line in judge_update(sys.argv[1], sys.argv[2], objects, turned):
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
