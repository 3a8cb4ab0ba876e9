#!/usr/bin/env python3
"""Judges a PDF Quillturn wrote against its input: the one check of a copy, for the tests and
for check_folder.py.

usage: compare_pdf.py INPUT OUTPUT EXPECTATION
       compare_pdf.py --rotations FILE

EXPECTATION names a file of two lines: the object number of each page the program finds, in
order; then "page:angle ..." for the pages turned, or "options" and the command line's options,
which choose them as chosen() says. Prints one line for each difference:
- through qpdf's JSON view of both files: every object of the input (but the object streams qpdf
  reads members from) under the same number and generation with the same value, raw stream data
  included, the turned pages differing only in /Rotate; the trailer holding /Size and exactly the
  input's /Root, /Info, /ID and /Encrypt; the header version kept; no qpdf warning the input did
  not already earn;
- the output's one classic table, read line by line here, listing exactly those objects;
- the output's bytes: the input's objects byte for byte, laid out as raw_copy says;
- pdfinfo showing the turned pages at their angle and the others as in the input (where it finds
  as many pages as the program).
An incremental update (-incremental) is judged by compare_update.py instead.
With --rotations, prints each page's rotation as qpdf finds the pages, separated by commas.
Needs python3, qpdf and pdfinfo.
"""
import functools
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


@functools.lru_cache(maxsize=4)
def compressed(path):
    """(member, object stream) for each object qpdf's reading of the table finds in a stream."""
    r = subprocess.run(["qpdf", "--show-xref", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    return [(int(m), int(s)) for m, s in
            re.findall(rb"^(\d+)/\d+: compressed; stream = (\d+)", r.stdout, re.M)]


def object_streams(path, objects=None):
    """Numbers of the object streams qpdf's reading of the table draws members from; given the
    view's objects, only those qpdf reads a member from (one that gives none is kept)."""
    return {stream for member, stream in compressed(path)
            if objects is None or objects.get("obj:%d 0 R" % member,
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
        if value == {"value": None}:
            # One qpdf cannot read (its stream fails, its entry is damaged) but that stands in
            # the file under its own header: the byte check holds it to the input's bytes.
            expected[key] = out.objects[key]
            continue
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



# The output's bytes against the input's, scanned here by small rules of their own: none of the
# program's reading takes part, so a fault there cannot hide itself here.
WHITE = b" \t\r\n\f\0"
EOL = b"\r\n"
DELIMITERS = b"()<>[]{}/%"
# A match starts only where a run of digits does: long runs of digits cost one try each.
HEADER = re.compile(rb"(?<![0-9])(\d+)[ \t\r\n\f\0]+\d+[ \t\r\n\f\0]+obj")


def regular(c):
    return c not in WHITE and c not in DELIMITERS


def eol(s, at):
    """The position after the line end (CR LF, CR or LF) at at, or at when there is none."""
    if s.startswith(b"\r\n", at):
        return at + 2
    return at + 1 if at < len(s) and s[at] in EOL else at


def digits(s, at, most):
    """(value, position after) of 1 to most decimal digits at at; value None when there are none."""
    end = at
    while end < len(s) and end - at < most and 48 <= s[end] <= 57:
        end += 1
    return (int(s[at:end]) if end > at else None), end


def printable(s):
    return s[:80].decode("latin-1").replace("\r", "\\r").replace("\n", "\\n")


def headers(data):
    """Every "n g obj" header of data: number -> the positions where they start."""
    found = {}
    for m in HEADER.finditer(data):
        found.setdefault(int(m.group(1)[:10]), []).append(m.start())
    return found


def copied_whole(data, at, obj):
    """Whether obj (as the output holds it) is the input's bytes from at, whole: through "endobj"
    and the white-space byte or CR LF after it, or as far as the input gives it and then only the
    words the input lacks."""
    for tail in (b"", b"\n", b"\nendobj\n", b"\nendstream\nendobj\n"):
        if not obj.endswith(tail):
            continue
        body = obj[:len(obj) - len(tail)]
        if data[at:at + len(body)] != body:
            continue
        after = at + len(body)
        if not tail:
            # One white-space byte: a CR whose LF the input has after it would cut the line end.
            if body.endswith(b"endobj\r\n") or (
                    len(body) > 6 and body[-7:-1] == b"endobj" and body[-1] in WHITE and
                    not (body[-1] == 13 and data[after:after + 1] == b"\n")):
                return True
        elif tail == b"\n":
            if body.endswith(b"endobj") and (after == len(data) or data[after] not in WHITE):
                return True
        else:
            # A word added must be one the input does not write there.
            word = b"endobj" if tail == b"\nendobj\n" else b"endstream"
            p = after
            while p < len(data) and data[p] in WHITE:
                p += 1
            if not data.startswith(word, p) or (p + len(word) < len(data) and
                                                regular(data[p + len(word)])):
                return True
    return False


Table = namedtuple("Table", "in_use end at")  # in_use: (num, gen, offset, where the line stands)


def read_table(out):
    """(the output's one classic table as its lines say, or None; problems). Its format: 20-byte
    lines, subsections in increasing order from 0, each in-use offset leading to "n g obj" with
    the line's generation, and the file ending in startxref, its offset and %%EOF."""
    if not out.startswith(b"%PDF-"):
        return None, ["the output does not start with its header"]
    startxref = out.rfind(b"startxref")
    if startxref < 0:
        return None, ["no startxref"]
    at = eol(out, startxref + 9)
    xref, after = digits(out, at, 12)
    end = eol(out, after) if xref is not None and at > startxref + 9 else after
    if xref is None or end == after or not out.startswith(b"%%EOF", end) or \
            eol(out, end + 5) != len(out):
        return None, ["the file does not end in startxref, its offset and %%EOF: " +
                      printable(out[startxref:])]
    if not out.startswith(b"xref", xref) or eol(out, xref + 4) == xref + 4:
        return None, ["startxref %d does not lead to xref" % xref]
    at, top, in_use, problems = eol(out, xref + 4), 0, [], []
    while not out.startswith(b"trailer", at):
        first, p = digits(out, at, 10)
        count, q = digits(out, p + 1, 10) if first is not None and out[p:p + 1] == b" " else \
            (None, p)
        if count is None or eol(out, q) == q:
            return None, problems + ["no subsection line at %d" % at]
        if first < top or (first != 0 and top == 0):
            return None, problems + ["subsections overlap, go backwards or miss object 0"]
        at = eol(out, q)
        for num in range(first, first + count):
            line = out[at:at + 20]
            if len(line) < 20:
                return None, problems + ["the table ends early"]
            if not re.fullmatch(rb"\d{10} \d{5} [nf]( \r| \n|\r\n)", line):
                return None, problems + ["line of object %d is not a 20-byte entry: %s" %
                                         (num, printable(line))]
            offset, gen = int(line[:10]), int(line[11:16])
            if line[17:18] == b"f":
                if num == 0 and gen != 65535:
                    problems.append("entry 0")
            else:
                # The header as the input writes it: any white space between its tokens.
                header = re.compile(rb"%d[\0\t\n\f\r ]+%d[\0\t\n\f\r ]+obj" % (num, gen))
                found = header.match(out, offset)
                if not (found and found.end() < len(out) and not regular(out[found.end()])):
                    problems.append('entry %d (offset %d) does not lead to "%d %d obj"' %
                                    (num, offset, num, gen))
                in_use.append((num, gen, offset, at))
            at += 20
        top = first + count
    # One trailer dictionary, then nothing but white space before startxref.
    tail = out[at:startxref]
    if tail.count(b"trailer") != 1 or not re.search(rb">>[ \t\r\n\f\0]*\Z", tail):
        problems.append("more than the trailer dictionary before startxref: " +
                        printable(tail[-80:]))
    return Table(in_use, top, xref), problems


def raw_copy(data, out, table, patched, members):
    """Problems of the output's bytes against the input's: the output starts with the input's
    "%PDF-x.y" and a line end, then only comment lines; its objects lie back to back from there
    to the table, each one, but those in patched, the bytes of one of the input's "n g obj"
    headers through "endobj" and the one white-space byte (or CR LF) after it, whole, in
    increasing number; an object the input lacks part of (no "endobj", no "endstream", no line
    end) ends where the input stops giving it and gets only the missing words; a member of an
    input object stream (members) is framed as "n 0 obj\\r<value>\\nendobj\\n" instead."""
    problems = []
    objects = sorted(table.in_use, key=lambda line: line[2])
    start = data.find(b"%PDF-")
    if start < 0:
        return ["the input has no header"]
    version = re.match(rb"[^ \t\r\n\f\0]*", data[start:]).group(0)
    first = objects[0][2] if objects else table.at
    if not (len(version) < first and out.startswith(version)):
        return ["the output's header is not the input's " + printable(version)]
    lead = out[len(version):first]
    if not (lead[:1] and lead[0] in EOL and lead[-1] in EOL) or \
            re.search(rb"[\r\n][^\r\n%]", lead):
        problems.append("more than comments after the header line: " + printable(lead))
    found, last = headers(data), -1
    for k, (num, _, offset, _) in enumerate(objects):
        end = objects[k + 1][2] if k + 1 < len(objects) else table.at
        if offset >= end:
            return problems + ["object %d shares its offset" % num]
        obj = out[offset:end]
        if num in patched:
            # The patch changes /Rotate values only: nothing follows the page's "endobj".
            if not re.search(rb"endobj(\r\n|[ \t\r\n\f\0])\Z", obj):
                problems.append("turned page %d has more after it: %s" %
                                (num, printable(obj[-80:])))
            continue
        if any(copied_whole(data, at, obj) for at in found.get(num, [])):
            if num <= last:
                problems.append("object %d is out of number order" % num)
            last = num
        elif num not in members or not obj.startswith(b"%d 0 obj\r" % num) or \
                len(obj) <= 8 or not obj.endswith(b"\nendobj\n"):
            problems.append("object %d is not the input's bytes: %s" % (num, printable(obj)))
    return problems


def shown_by_pdfinfo(path):
    """Each page's rotation as pdfinfo (another reader) shows it, or None when it fails."""
    try:
        r = subprocess.run(["pdfinfo", "-l", "1000000", path], stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=60)
    except subprocess.TimeoutExpired:
        return None
    if r.returncode != 0:
        return None
    return [int(m.group(1)) for m in re.finditer(rb"^Page\s+\d+ rot:\s+(-?\d+)", r.stdout, re.M)]


def shapes_by_pdfinfo(path):
    """"W", "T" or "N" (neither) for each page as pdfinfo shows its size at its rotation."""
    r = subprocess.run(["pdfinfo", "-f", "1", "-l", "1000000", path], stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    sizes = re.findall(rb"^Page\s+\d+ size:\s+([\d.]+) x ([\d.]+)", r.stdout, re.M)
    rots = re.findall(rb"^Page\s+\d+ rot:\s+(-?\d+)", r.stdout, re.M)
    shapes = []
    for (w, h), rot in zip(sizes, rots):
        w, h = float(w), float(h)
        if int(rot) % 180 == 90:
            w, h = h, w
        shapes.append("N" if w == 0 or h == 0 or w == h else "W" if w > h else "T")
    return shapes


def listed_pages(text, count):
    """The pages a page list names among count: numbers, z (the last page), r<n> (the n-th from
    the end), ranges of them, each item perhaps ending in :odd or :even."""
    def page(end):
        return count if end == "z" else count + 1 - int(end[1:]) if end[0] == "r" else int(end)
    listed = set()
    for item in text.split(","):
        item, _, parity = item.partition(":")
        first, _, last = item.partition("-")
        for p in range(page(first), page(last or first) + 1):
            if not parity or p % 2 == (parity == "odd"):
                listed.add(p)
    return listed


def chosen(path, options):
    """Page number (from 1) -> angle, for the pages a command line's options choose (a page list,
    /r or /t, -portrait, -landscape, -wide, -tall), from the pages and rotations real readers
    find: qpdf, which keeps a rotation as written, or where it finds no page, pdfinfo, which
    walks a tree whose nodes qpdf misreads; shapes as pdfinfo shows the pages."""
    shown = rotations(path) or shown_by_pdfinfo(path) or []
    angle, turn, text = 0, False, ""
    modes = {o for o in options if o in ("-portrait", "-landscape")}
    shapes = {o for o in options if o in ("-wide", "-tall")}
    for option in options:
        m = re.match(r"/([rt])\s*([-+]?\d+)", option)
        if option.startswith("/p"):
            text = option[2:]
        elif m:  # beyond 32 bits: the nearest one, as the program reads it
            angle, turn = max(-2**31, min(2**31 - 1, int(m.group(2)))), m.group(1) == "t"
    # With a filter the list is not read.
    listed = listed_pages(text, len(shown)) if text and not modes else None
    shape_of = shapes_by_pdfinfo(path) if shapes else []
    pick = {}
    for page, rotation in enumerate(shown, 1):
        upright, sideways = rotation in (0, 180), rotation in (90, 270)
        if (("-portrait" in modes and upright) or ("-landscape" in modes and sideways)) \
                if modes else (listed is None or page in listed):
            if shapes and not (page <= len(shape_of) and
                               {"W": "-wide", "T": "-tall"}.get(shape_of[page - 1]) in shapes):
                continue
            pick[page] = (rotation + angle) % 360 if turn else angle
    return pick


def judge_bytes(input_path, output_path, patched):
    """(the output's table or None, problems): the table read line by line and the output's
    bytes against the input's (raw_copy); patched: the page objects turned."""
    with open(input_path, "rb") as f:
        data = f.read()
    with open(output_path, "rb") as f:
        out = f.read()
    table, problems = read_table(out)
    if table is None:
        return None, problems
    members = {member for member, _ in compressed(input_path)}
    return table, problems + raw_copy(data, out, table, patched, members)


def judge(input_path, output_path, angles, pages, turned):
    """Differences of the output from its input; angles: object number -> the /Rotate its page
    must hold; pages: how many pages the program finds; turned: page number -> its new angle."""
    table, found = judge_bytes(input_path, output_path, set(angles))
    inp = view(input_path)
    streams = object_streams(input_path, inp.objects) if inp else set()
    expected, diffs = compare(inp, view(output_path), output_path, angles, streams,
                              table.end if table else None)
    found += [line for _, _, line in diffs]
    if table:
        # An object that qpdf reads as null (missing, or left open) may be listed or not.
        listed = {"obj:%d %d R" % (num, gen) for num, gen, _, _ in table.in_use}
        found += ["%s is not in use with that generation in the table" % key
                  for key in sorted(expected) if expected[key] != {"value": None}
                  and key not in listed]
        found += ["%s is in use in the table but not in the input" % key
                  for key in sorted(listed - set(expected))]
    before = shown_by_pdfinfo(input_path) or []
    if len(before) == pages:
        want = [turned[page] % 360 if page in turned else angle
                for page, angle in enumerate(before, 1)]
        after = shown_by_pdfinfo(output_path) or []
        if after != want:
            found.append("the pages' rotations as pdfinfo shows them: expected %s output %s" %
                         (want, after))
    return found


def expectation(input_path, path):
    """(the page objects, page number -> angle) an EXPECTATION file names."""
    with open(path) as f:
        objects, turned = f.read().split("\n")[:2]
    objects = [int(num) for num in objects.split()]
    if turned.startswith("options"):
        turned = chosen(input_path, turned.split()[1:])
    else:
        turned = {int(a): int(b) for a, b in (pair.split(":") for pair in turned.split())}
    return objects, turned


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--rotations":
        print(",".join(str(angle) for angle in rotations(sys.argv[2])))
        return 0
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    objects, turned = expectation(sys.argv[1], sys.argv[3])
    angles = {objects[page - 1]: angle for page, angle in turned.items()
              if 1 <= page <= len(objects)}
    problems = ["page %d is not among the %d pages" % (page, len(objects))
                for page in turned if not 1 <= page <= len(objects)]
    for line in problems + judge(sys.argv[1], sys.argv[2], angles, len(objects), turned):
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
