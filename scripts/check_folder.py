#!/usr/bin/env python3
"""Runs Quillturn over every PDF in a folder and checks each output with real readers.

usage: check_folder.py FOLDER [QUILLTURN OPTIONS...] [--binary PATH] [--keep DIR]

For each file: the one line Quillturn prints (empty means success), then for a success
`qpdf --check` on the output, the page count and each page's rotation as pdfinfo reports them
(against what the options ask for), and every object other than the pages' /Rotate unchanged
(compared through qpdf's JSON view of both files). Needs python3, qpdf and poppler-utils.
"""
import json
import os
import re
import subprocess
import sys
import tempfile


def run(cmd, timeout=60):
    try:
        p = subprocess.run(cmd, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")
    except subprocess.TimeoutExpired:
        return None, "", "timeout"


def rotations(path):
    rc, out, _ = run(["pdfinfo", "-l", "1000000", path])
    if rc != 0:
        return None
    return [int(m.group(1)) for m in re.finditer(r"^Page\s+\d+ rot:\s+(-?\d+)", out, re.M)]


def raw_json(path):
    rc, out, _ = run(["qpdf", "--json=2", "--json-key=qpdf", "--json-stream-data=inline",
                      "--decode-level=none", path], timeout=120)
    if rc not in (0, 3):
        return None
    return json.loads(out)["qpdf"][1]


def page_tree(data):
    """(object key, /Rotate as written or inherited) for each page in document order, walking
    /Kids as the file has them: a page listed twice is one object in two places."""
    def body(ref):
        obj = data.get("obj:" + ref, {}) if isinstance(ref, str) else {}
        value = obj.get("value", obj.get("stream", {}).get("dict"))
        return value if isinstance(value, dict) else (ref if isinstance(ref, dict) else {})

    def rotate(node, inherited):
        r = node.get("/Rotate")
        if isinstance(r, str) and r.endswith(" R"):
            r = data.get("obj:" + r, {}).get("value")
        return r if isinstance(r, int) and -2**31 <= r < 2**31 else inherited

    root = body(data.get("trailer", {}).get("value", {}).get("/Root"))
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


def expected_rotations(before, tree, options):
    """What pdfinfo should show after the run. Filters judge the /Rotate as written (0 or 180
    portrait, 90 or 270 landscape; -90 or 360 neither); a page object shown in several places
    turns in all of them when any is chosen."""
    angle = 0
    pages = None
    landscape = "-landscape" in options
    portrait = "-portrait" in options
    for o in options:
        if o.startswith("/p"):
            pages = o[2:]
        m = re.match(r"/r\s*([-+]?\d+)", o)
        if m and not o.startswith("/p"):
            angle = int(m.group(1))
    if tree is None or len(tree) != len(before):
        tree = [(None, r) for r in before]
    chosen_objects = set()
    chosen = []
    for i, (obj, raw) in enumerate(tree):
        if landscape or portrait:
            pick = (landscape and raw in (90, 270)) or (portrait and raw in (0, 180))
        elif pages:
            pick = False
            for item in pages.split(","):
                a, _, b = item.partition("-")
                if int(a) <= i + 1 <= int(b or a):
                    pick = True
        else:
            pick = True
        chosen.append(pick)
        if pick and obj:
            chosen_objects.add(obj)
    after = list(before)
    for i, (obj, _) in enumerate(tree):
        if chosen[i] or (obj and obj in chosen_objects):
            after[i] = angle % 360
    return after


def objects(data):
    if data is None:
        return None
    result = {}
    for key, value in data.items():
        if not key.startswith("obj:"):
            continue
        if "value" in value and value["value"] is None:
            continue  # a reference to a missing object reads as null: nothing to copy
        body = value.get("value", value.get("stream", {}).get("dict"))
        if isinstance(body, dict):
            if body.get("/Type") in ("/ObjStm", "/XRef"):
                continue
            if body.get("/Type") == "/Page":
                body = {k: v for k, v in body.items() if k != "/Rotate"}
                value = {"value": body}
        result[key] = json.dumps(value, sort_keys=True)
    return result


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
        raw_in, raw_out = raw_json(src), raw_json(out)
        before, after = rotations(src), rotations(out)
        if before is not None:
            want = expected_rotations(before, page_tree(raw_in) if raw_in else None, options)
            if after != want:
                problems.append(f"rotations {after} expected {want}")
        a, b = objects(raw_in), objects(raw_out)
        if a is not None and b is not None:
            changed = [k for k in b if a.get(k) != b[k]]
            # An object number reused under a newer generation replaces the older one.
            numbers = {k.split()[0] for k in b}
            lost = [k for k in a if k not in b and k.split()[0] not in numbers]
            if changed:
                problems.append(f"{len(changed)} objects changed, e.g. {changed[0]}")
            if lost:
                problems.append(f"{len(lost)} objects lost, e.g. {lost[0]}")
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
