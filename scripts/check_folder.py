#!/usr/bin/env python3
"""Runs Quillturn over every PDF in a folder and checks each output with real readers.

usage: check_folder.py FOLDER [QUILLTURN OPTIONS...] [--binary PATH] [--keep DIR]

For each file: the one line Quillturn prints (empty means success), then for a success
`qpdf --check` on the output, the page count and each page's rotation as pdfinfo reports them
(against what the options ask for), and compare_pdf.py's judgement: every object but the chosen
pages' /Rotate unchanged, the trailer and header version kept, no new qpdf warning, the table
well formed and every object the input's bytes.
Needs python3, qpdf and poppler-utils.
"""
import os
import re
import subprocess
import sys
import tempfile

import compare_pdf


def run(cmd, timeout=60):
    try:
        p = subprocess.run(cmd, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")
    except subprocess.TimeoutExpired:
        return None, "", "timeout"


def page_tree(data):
    """(object key, /Rotate as written or inherited) for each page in document order, walking
    /Kids as the file has them: a page listed twice is one object in two places. data:
    compare_pdf's view, whose numbers are "#" and their text."""
    def body(ref):
        obj = data.objects.get("obj:" + ref, {}) if isinstance(ref, str) else {}
        value = obj.get("value", obj.get("stream", {}).get("dict"))
        return value if isinstance(value, dict) else (ref if isinstance(ref, dict) else {})

    def rotate(node, inherited):
        r = node.get("/Rotate")
        if isinstance(r, str) and r.endswith(" R"):
            r = data.objects.get("obj:" + r, {}).get("value")
        r = int(r[1:]) if isinstance(r, str) and re.fullmatch(r"#-?\d+", r) else None
        return r if r is not None and -2**31 <= r < 2**31 else inherited

    root = body(data.trailer.get("/Root"))
    pages, path = [], []

    def walk(ref, inherited, depth):
        node = body(ref)
        if depth > 256 or (isinstance(ref, str) and ref in path):
            return
        here = rotate(node, inherited)
        kids = node.get("/Kids")
        if node.get("/Type") == "/Page" or not isinstance(kids, list):
            pages.append((ref if isinstance(ref, str) else None, here))
            return
        path.append(ref)
        for kid in kids:
            walk(kid, here, depth + 1)
        path.pop()

    top = root.get("/Pages")
    if top is not None:
        walk(top, 0, 0)
    return pages


def chosen_pages(tree, options, path):
    """For each page of tree, the angle the options give it, or None when they do not choose it.
    Filters judge the /Rotate as written (0 or 180 portrait, 90 or 270 landscape; -90 or 360
    neither), shapes as pdfinfo shows path's pages; /t turns from that /Rotate. A page object
    shown in several places turns in all of them, by its first chosen place, when any is
    chosen."""
    angle, turn, text = 0, False, ""
    landscape = "-landscape" in options
    portrait = "-portrait" in options
    shapes = {o for o in options if o in ("-wide", "-tall")}
    for o in options:
        if o.startswith("/p"):
            text = o[2:]
            continue
        m = re.match(r"/([rt])\s*([-+]?\d+)", o)
        if m:
            angle, turn = int(m.group(2)), m.group(1) == "t"
    listed = compare_pdf.listed_pages(text, len(tree)) if text and not (landscape or portrait) \
        else None
    shape_of = compare_pdf.shapes_by_pdfinfo(path) if shapes else []
    by_object = {}
    chosen = []
    for i, (obj, raw) in enumerate(tree):
        if landscape or portrait:
            pick = (landscape and raw in (90, 270)) or (portrait and raw in (0, 180))
        else:
            pick = listed is None or i + 1 in listed
        if shapes and not (i < len(shape_of) and
                           {"W": "-wide", "T": "-tall"}.get(shape_of[i]) in shapes):
            pick = False
        new = ((raw + angle) % 360 if turn else angle) if pick else None
        chosen.append(new)
        if pick and obj and obj not in by_object:
            by_object[obj] = new
    return [c if c is not None or obj is None else by_object.get(obj)
            for c, (obj, _) in zip(chosen, tree)]


def expected_rotations(before, tree, options, path):
    """What pdfinfo should show after the run."""
    if tree is None or len(tree) != len(before):
        tree = [(None, r) for r in before]
    chosen = chosen_pages(tree, options, path)
    return [r if new is None else new % 360 for new, r in zip(chosen, before)]


def turned_objects(tree, options, path):
    """Object number -> the /Rotate the output must hold, for the page objects chosen."""
    chosen = chosen_pages(tree, options, path)
    return {int(obj.split()[0]): new for new, (obj, _) in zip(chosen, tree)
            if new is not None and obj}


def need_not_copy(value):
    """Objects qpdf shows in the input that the copy may lack: a number it reads as null (a
    reference to a missing object, or an entry it cannot read) and a cross-reference stream,
    which it lists whether or not the table does."""
    body = value.get("value", value.get("stream", {}).get("dict"))
    return body is None or (isinstance(body, dict) and body.get("/Type") == "/XRef")


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    binary = "build/release/Quillturn"
    keep = None
    if "--binary" in args:
        i = args.index("--binary")
        binary = args[i + 1]
        del args[i:i + 2]
    if "--keep" in args:
        i = args.index("--keep")
        keep = args[i + 1]
        del args[i:i + 2]
    folder, options = args[0], args[1:]
    counts = {"rotated": 0, "refused": 0, "bad": 0, "damaged": 0}
    scratch = tempfile.mkdtemp(prefix="quillturn-check-")
    for name in sorted(os.listdir(folder)):
        if not name.lower().endswith(".pdf"):
            continue
        src = os.path.join(folder, name)
        out = os.path.join(keep or scratch, name)
        if os.path.exists(out):
            os.remove(out)
        rc, message, err = run([binary, src, out] + options, timeout=30)
        if rc is None or rc != 0 or err:
            print(f"BAD      {name}: crash or hang (exit {rc}) {err.strip()[:80]}")
            counts["bad"] += 1
            continue
        if message:
            if os.path.exists(out):
                print(f"BAD      {name}: refused ({message}) but left an output")
                counts["bad"] += 1
            else:
                print(f"refused  {name}: {message}")
                counts["refused"] += 1
            continue
        problems = []
        # An input that qpdf itself finds damaged (or cannot open) is judged against qpdf's
        # repair of it, which this program does not attempt: differences are noted, not failed.
        input_ok = run(["qpdf", "--check", src])[0] in (0, 3)
        if run(["qpdf", "--check", out])[0] not in (0, 3):
            problems.append("qpdf --check fails")
        view_in, view_out = compare_pdf.view(src), compare_pdf.view(out)
        tree = page_tree(view_in) if view_in else None
        before, after = compare_pdf.shown_by_pdfinfo(src), compare_pdf.shown_by_pdfinfo(out)
        if before is not None:
            want = expected_rotations(before, tree, options, src)
            if after != want:
                problems.append(f"rotations {after} expected {want}")
        if view_in is not None and view_in.status in (0, 3):
            # The output's /Size follows the objects the program found, unknown here.
            turned = turned_objects(tree or [], options, src)
            _, found = compare_pdf.compare(view_in, view_out, out, turned,
                                           compare_pdf.object_streams(src), None)
            changed = [key for kind, key, _ in found if kind in ("differs", "added")]
            lost = [key for kind, key, _ in found
                    if kind == "missing" and not need_not_copy(view_in.objects[key])]
            if changed:
                problems.append(f"{len(changed)} objects changed, e.g. {changed[0]}")
            if lost:
                problems.append(f"{len(lost)} objects lost, e.g. {lost[0]}")
            problems += [line for kind, _, line in found if kind not in ("differs", "added",
                                                                          "missing")]
            # Every object byte for byte, in a table read line by line.
            problems += compare_pdf.judge_bytes(src, out, set(turned))[1]
        if problems and not input_ok:
            print(f"damaged  {name}: input damaged; " + "; ".join(problems))
            counts["damaged"] += 1
        elif problems:
            print(f"BAD      {name}: " + "; ".join(problems))
            counts["bad"] += 1
        else:
            print(f"rotated  {name}")
            counts["rotated"] += 1
    print(f"{counts['rotated']} rotated, {counts['damaged']} rotated from damaged input with "
          f"differences, {counts['refused']} refused, {counts['bad']} bad")
    return 1 if counts["bad"] else 0


if __name__ == "__main__":
    sys.exit(main())
