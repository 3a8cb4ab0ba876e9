#!/usr/bin/env python3
"""Compares a PDF Quillturn wrote with its input through qpdf's JSON view of both.

usage: compare_pdf.py INPUT OUTPUT EXPECTATION
       compare_pdf.py --rotations FILE

EXPECTATION names a file of two lines: "object:angle ..." for the pages turned and the
output's /Size. Prints "expect KEY" for every object the output must hold ("allow KEY" for one
that qpdf reads as null, which it may hold), then one line for each difference: every object of
the input (but the object streams qpdf reads members from) under the same number and generation
with the same value, raw stream data included, the turned pages differing only in /Rotate; the
trailer holding /Size and exactly the input's /Root, /Info, /ID and /Encrypt; the header
version kept; no qpdf warning the input did not already earn. With --rotations, prints each
page's rotation as qpdf finds the pages, separated by commas. Needs python3 and qpdf.
"""
import json
import re
import subprocess
import sys
from collections import namedtuple

# status: qpdf's exit code (0 clean, 3 warnings); objects: key -> value, newest generation only.
View = namedtuple("View", "status version trailer objects")


def view(path):
    """qpdf's view of a file with numbers kept as their text, or None if qpdf cannot read it."""
    r = subprocess.run(["qpdf", "--json=2", "--json-key=qpdf", "--json-stream-data=inline",
                        "--decode-level=none", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    number = lambda text: "#" + text  # numbers keep their text as written
    try:
        head, objects = json.loads(r.stdout, parse_int=number, parse_float=number)["qpdf"]
    except (ValueError, KeyError, TypeError):
        return None
    # qpdf lists every generation any section defined; an update that gives a freed number to
    # a new object raises its generation, so the highest one is the object that counts.
    newest = {}
    for key, value in objects.items():
        if key.startswith("obj:"):
            num, gen = (int(x) for x in key[4:-2].split())
            if newest.get(num, (-1,))[0] < gen:
                newest[num] = (gen, value)
    return View(r.returncode, head.get("pdfversion"),
                objects.get("trailer", {}).get("value", {}),
                {"obj:%d %d R" % (num, gen): value for num, (gen, value) in newest.items()})


def rotations(path):
    """Each page's rotation as qpdf finds the pages: the first /Rotate, on the page or up its
    /Parent chain, that is an integer of 32 bits (directly or through a reference); else 0."""
    r = subprocess.run(["qpdf", "--json=2", "--json-key=pages", "--json-key=qpdf",
                        "--json-stream-data=none", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    try:
        data = json.loads(r.stdout)
        objects, pages = data["qpdf"][1], data["pages"]
    except (ValueError, KeyError, TypeError):
        return []

    def value(ref):
        obj = objects.get("obj:" + ref, {}) if isinstance(ref, str) else {}
        return obj.get("value", obj.get("stream", {}).get("dict"))

    angles = []
    for page in pages:
        node, seen, angle = page.get("object"), set(), 0
        while isinstance(node, str) and node not in seen and isinstance(value(node), dict):
            seen.add(node)
            rotate = value(node).get("/Rotate")
            rotate = value(rotate) if isinstance(rotate, str) else rotate
            if type(rotate) is int and -2**31 <= rotate < 2**31:
                angle = rotate
                break
            node = value(node).get("/Parent")
        angles.append(angle)
    return angles


def object_streams(path, objects=None):
    """Numbers of the object streams qpdf's reading of the table draws members from; given the
    view's objects, only those qpdf reads a member from (one that gives none is kept)."""
    r = subprocess.run(["qpdf", "--show-xref", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    members = re.finditer(rb"^(\d+)/\d+: compressed; stream = (\d+)", r.stdout, re.M)
    return {int(m.group(2)) for m in members
            if objects is None or objects.get("obj:%s 0 R" % m.group(1).decode(),
                                              {"value": None}) != {"value": None}}


def short(value):
    return json.dumps(value, sort_keys=True)[:400]


def compare(inp, out, output_path, angles, streams, size):
    """(keys the output must hold, differences as (kind, key or None, line)). angles: object
    number -> the /Rotate its page must hold; streams: object stream numbers, which the copy
    drops; size: the output's /Size (one past the highest number its table lists), or None to
    take whatever it says."""
    if inp is None or inp.status not in (0, 3):
        return set(), [("input", None, "qpdf cannot read the input")]
    if out is None:
        return set(), [("output", None, "qpdf cannot read the output")]
    found = []
    # Objects copied as they stand keep whatever qpdf found wrong inside them, but no more.
    if out.status != 0 and inp.status != 3:
        check = subprocess.run(["qpdf", "--check", output_path], stdout=subprocess.PIPE)
        found.append(("warning", None, "qpdf warns about the output: " +
                      check.stdout.decode("latin-1").replace("\n", " ")))
    if inp.version != out.version:
        found.append(("version", None, "header version %s became %s" % (inp.version,
                                                                         out.version)))
    expected = {}
    for key, value in inp.objects.items():
        num = int(key[4:].split()[0])
        if num in streams:
            continue  # its members come out as objects of their own
        if value == {"value": None} and key not in out.objects:
            continue  # a missing object, which reads as null wherever it is referred to
        if num in angles and isinstance(value.get("value"), dict):
            value = {"value": dict(value["value"], **{"/Rotate": "#%d" % angles[num]})}
        expected[key] = value
    for key in sorted(set(expected) | set(out.objects)):
        if key not in out.objects:
            found.append(("missing", key, key + " is missing from the output"))
        elif key not in expected:
            found.append(("added", key, "%s is in the output but not in the input: %s" %
                          (key, short(out.objects[key]))))
        elif expected[key] != out.objects[key]:
            found.append(("differs", key, "%s differs: expected %s output %s" %
                          (key, short(expected[key]), short(out.objects[key]))))
    kept = {k: v for k, v in inp.trailer.items() if k in ("/Root", "/Info", "/ID", "/Encrypt")}
    kept["/Size"] = "#%d" % size if size is not None else out.trailer.get("/Size")
    if kept != out.trailer:
        found.append(("trailer", None, "trailer: expected %s output %s" % (short(kept),
                                                                         short(out.trailer))))
    return expected, found


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--rotations":
        print(",".join(str(angle) for angle in rotations(sys.argv[2])))
        return 0
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    with open(sys.argv[3]) as f:
        angles, size = f.read().split("\n")[:2]
    angles = {int(n): int(a) for n, a in (pair.split(":") for pair in angles.split())}
    inp = view(sys.argv[1])
    streams = object_streams(sys.argv[1], inp.objects) if inp else set()
    expected, found = compare(inp, view(sys.argv[2]), sys.argv[2], angles, streams, int(size))
    # An object that qpdf reads as null (missing, or left open) may be listed or not.
    for key in sorted(expected):
        print("allow" if expected[key] == {"value": None} else "expect", key)
    for _, _, line in found:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
