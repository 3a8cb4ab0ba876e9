#!/usr/bin/env python3
"""Writes the hostile-input suite into tests/hostile/: damaged, malicious and absurd PDFs.

Every file must give one clear line of refusal or a sound output, quickly and in bounded
memory (tests/cli/hostile_test.cpp runs them through the real binary). Run again after a
change here; the files are committed so that the tests need no Python.
    scripts/make_hostile.py --stress DIR   writes the stress shapes at every size into DIR
"""
import os
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "hostile")

PAGE = b"<< /Type /Page /Parent 2 0 R /Resources << >> /MediaBox [0 0 100 100] >>"
PAGES = b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>"
CATALOG = b"<< /Type /Catalog /Pages 2 0 R >>"


class Pdf:
    """Appends objects and records their offsets, so tables are always right."""

    def __init__(self, version=b"1.4", junk=b""):
        self.data = bytearray(junk)
        self.origin = len(self.data)
        self.data += b"%PDF-" + version + b"\n%\xe2\xe3\xcf\xd3\n"
        self.offsets = {}

    def here(self):
        return len(self.data) - self.origin

    def obj(self, num, body, gen=0):
        self.offsets[num] = self.here()
        self.data += b"%d %d obj\n" % (num, gen) + body + b"\nendobj\n"
        return self

    def stream(self, num, entries, payload, length=None):
        length = b"%d" % len(payload) if length is None else length
        return self.obj(num, b"<< " + entries + b" /Length " + length + b" >>\nstream\n" +
                        payload + b"\nendstream")

    def raw(self, b):
        self.data += b
        return self

    def table(self, trailer, nums=None, prev=None):
        at = self.here()
        nums = sorted(self.offsets) if nums is None else nums
        size = max(self.offsets) + 1 if self.offsets else 1
        self.data += b"xref\n0 1\n0000000000 65535 f \n"
        for n in nums:
            self.data += b"%d 1\n%010d 00000 n \n" % (n, self.offsets[n])
        extra = b" /Prev %d" % prev if prev is not None else b""
        self.data += b"trailer\n<< /Size %d %s%s >>\n" % (size, trailer, extra)
        return at

    def startxref(self, at):
        self.data += b"startxref\n%d\n%%%%EOF\n" % at
        return self

    def xref_stream(self, num, dict_extra, rows, index=None, filtered=True, size=None):
        """rows: list of (type, field2, field3) with /W [1 4 2]."""
        data = b"".join(bytes([t]) + f2.to_bytes(4, "big") + f3.to_bytes(2, "big")
                        for t, f2, f3 in rows)
        size = size if size is not None else b"%d" % len(rows)
        entries = b"/Type /XRef /Size " + size + b" /W [1 4 2] " + dict_extra
        if index is not None:
            entries += b" /Index [" + index + b"]"
        if filtered:
            entries += b" /Filter /FlateDecode"
            data = zlib.compress(data)
        at = self.here()
        self.stream(num, entries, data)
        return at

    def bytes(self):
        return bytes(self.data)


def basic(extra=lambda p: None, trailer=b"/Root 1 0 R", version=b"1.4", junk=b"", page=PAGE,
          pages=PAGES, catalog=CATALOG):
    p = Pdf(version, junk).obj(1, catalog).obj(2, pages).obj(3, page)
    extra(p)
    return p.startxref(p.table(trailer))


def objstm(members, num=4):
    header = b""
    body = b""
    for n, text in members:
        header += b"%d %d " % (n, len(body))
        body += text + b" "
    return num, header, body


def with_objstm(stream_entries, payload_override=None, members=None, rows_extra=(),
                length=None, n=None, header_override=None, self_entry=False):
    members = members or [(2, PAGES), (3, PAGE)]
    p = Pdf(b"1.5").obj(1, CATALOG)
    num, header, body = objstm(members)
    header = header if header_override is None else header_override
    data = zlib.compress(header + body) if payload_override is None else payload_override
    p.stream(num, b"/Type /ObjStm /N %d /First %d /Filter /FlateDecode " % (
        len(members) if n is None else n, len(header)) + stream_entries, data, length)
    rows = [(0, 0, 65535), (1, p.offsets[1], 0)]
    rows += [(2, num, i) for i in range(len(members))]
    # The object stream's own entry: in the file, or (hostile) inside itself.
    rows += [(2, num, 0) if self_entry else (1, p.offsets[num], 0)]
    rows += list(rows_extra)
    nums = [0, 1] + [n for n, _ in members] + [num]
    at = p.here()
    rows.append((1, at, 0))
    nums.append(9)
    index = b" ".join(b"%d 1" % n for n in nums)
    p.xref_stream(9, b"/Root 1 0 R", rows, index=index, size=b"%d" % (max(nums) + 1))
    return p.startxref(at)


def padded_objstm(p, num, members, padding):
    """An object stream whose members follow `padding` bytes of white space: it decodes to that
    much and costs a few kilobytes. Returns the cross-reference rows of its members."""
    _, header, body = objstm(members)
    first = len(header) + padding
    p.stream(num, b"/Type /ObjStm /N %d /First %d /Filter /FlateDecode" % (len(members), first),
             zlib.compress(header + b" " * padding + body, 9))
    return [(n, (2, num, i)) for i, (n, _) in enumerate(members)]


def finish_xref_stream(p, entries, num):
    """A cross-reference stream (object num) for entries {number: (type, field2, field3)}."""
    at = p.here()
    entries = dict(entries)
    entries[0] = (0, 0, 65535)
    entries[num] = (1, at, 0)
    nums = sorted(entries)
    index = b" ".join(b"%d 1" % n for n in nums)
    p.xref_stream(num, b"/Root 1 0 R", [entries[n] for n in nums], index=index,
                  size=b"%d" % (nums[-1] + 1))
    return p.startxref(at).bytes()


def objstm_thrash(mib, members=200):
    """Two object streams of `mib` MiB each whose members alternate by number."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    odd = [(n, b"(member %d)" % n) for n in range(10, 10 + members) if n % 2]
    even = [(n, b"(member %d)" % n) for n in range(10, 10 + members) if n % 2 == 0]
    entries = {n: (1, p.offsets[n], 0) for n in (1, 2, 3)}
    for num, group in ((4, odd), (5, even)):
        entries[num] = (1, p.here(), 0)
        entries.update(padded_objstm(p, num, group, mib << 20))
    return finish_xref_stream(p, entries, 9)


def objstm_page_walk(mib, pages=200):
    """Pages that alternate between two object streams of `mib` MiB each: the page walk, not
    the copy, fetches them in that order."""
    kids = b" ".join(b"%d 0 R" % (10 + i) for i in range(pages))
    p = Pdf(b"1.5").obj(1, CATALOG)
    p.obj(2, b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % pages)
    page = PAGE.replace(b"/Parent 2 0 R", b"/Parent 2 0 R /Resources << >>")
    odd = [(10 + i, page) for i in range(pages) if i % 2]
    even = [(10 + i, page) for i in range(pages) if i % 2 == 0]
    entries = {n: (1, p.offsets[n], 0) for n in (1, 2)}
    for num, group in ((4, odd), (5, even)):
        entries[num] = (1, p.here(), 0)
        entries.update(padded_objstm(p, num, group, mib << 20))
    return finish_xref_stream(p, entries, 9)


def shared_resources_gap(pages, gap_mib):
    """`pages` pages sharing /Resources 5 0 R, with `gap_mib` MiB of spaces after object 5."""
    p = Pdf().obj(1, CATALOG)
    kids = b" ".join(b"%d 0 R" % (10 + i) for i in range(pages))
    p.obj(2, b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % pages)
    p.obj(5, b"<< /ProcSet [/PDF] >>")
    p.raw(b" " * (gap_mib << 20))
    for i in range(pages):
        p.obj(10 + i, b"<< /Type /Page /Parent 2 0 R /Resources 5 0 R /MediaBox [0 0 100 100] >>")
    return p.startxref(p.table(b"/Root 1 0 R")).bytes()


def shared_object(pages, size, where):
    """`pages` pages sharing object 5 as /Resources of `size` bytes: an array within it
    (where="array", of empty arrays), spaces before its endobj ("inside"); or ("rotate") sharing /Rotate 7 0 R,
    an array of that size; or ("length") each with a content stream whose /Length is 7 0 R, a
    number followed by `size` spaces."""
    p = Pdf().obj(1, CATALOG)
    kids = b" ".join(b"%d 0 R" % (10 + i) for i in range(pages))
    p.obj(2, b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % pages)
    numbers = b"[" + b"0 " * (size // 2) + b"]"
    if where == "array":
        p.obj(5, b"<< /ProcSet [/PDF] /S [" + b"[]" * (size // 2) + b"] >>")
    elif where == "inside":
        p.obj(5, b"<< /ProcSet [/PDF] >>" + b" " * size)
    elif where == "rotate":
        p.obj(5, b"<< >>").obj(7, numbers)
    else:
        p.obj(5, b"<< >>").obj(7, b"3" + b" " * size)
    for i in range(pages):
        extra = b" /Rotate 7 0 R" if where == "rotate" else b""
        if where == "length":
            p.stream(10 + pages + i, b"", b"q Q", length=b"7 0 R")
            extra = b" /Contents %d 0 R" % (10 + pages + i)
        p.obj(10 + i, b"<< /Type /Page /Parent 2 0 R /Resources 5 0 R%s >>" % extra)
    return p.startxref(p.table(b"/Root 1 0 R")).bytes()


def shared_member_length(streams, mib=16):
    """`streams` content streams whose /Length is 7 0 R, a member of an object stream that
    decodes to a number and `mib` MiB of spaces."""
    kids = b" ".join(b"%d 0 R" % (10 + i) for i in range(streams))
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES)
    p.obj(3, PAGE.replace(b"/Parent 2 0 R", b"/Parent 2 0 R /Contents [" + kids + b"]"))
    entries = {n: (1, p.offsets[n], 0) for n in (1, 2, 3)}
    entries[4] = (1, p.here(), 0)
    p.stream(4, b"/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode",
             zlib.compress(b"7 0 3" + b" " * (mib << 20), 9))
    entries[7] = (2, 4, 0)
    for i in range(streams):
        entries[10 + i] = (1, p.here(), 0)
        p.stream(10 + i, b"", b"q Q", length=b"7 0 R")
    return finish_xref_stream(p, entries, 5)


def empty_arrays(mib):
    """A page whose /Resources holds `mib` MiB of empty arrays, each parsed into a value."""
    p = Pdf().obj(1, CATALOG).obj(2, PAGES)
    p.obj(3, PAGE.replace(b"/Parent 2 0 R", b"/Parent 2 0 R /Resources << /S [" +
                          b"[]" * (mib << 19) + b"] >>"))
    return p.startxref(p.table(b"/Root 1 0 R")).bytes()


def packed_empty_arrays(mib):
    """The same page inside an object stream: a few kilobytes of file that decode to `mib` MiB
    of empty arrays, which the page walk must not build."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES)
    page = PAGE.replace(b"/Resources << >>",
                        b"/Resources << /S [" + b"[]" * (mib << 19) + b"] >>")
    entries = {n: (1, p.offsets[n], 0) for n in (1, 2)}
    entries[4] = (1, p.here(), 0)
    entries.update(padded_objstm(p, 4, [(3, page)], 0))
    return finish_xref_stream(p, entries, 9)


def many_pages(pages):
    """A flat tree of `pages` pages."""
    p = Pdf().obj(1, CATALOG)
    kids = b" ".join(b"%d 0 R" % (10 + i) for i in range(pages))
    p.obj(2, b"<< /Type /Pages /Kids [" + kids + b"] /Count %d >>" % pages)
    for i in range(pages):
        p.obj(10 + i, PAGE.replace(b"/Parent 2 0 R", b"/Parent 2 0 R /Resources << >>")[:-2] + b">>")
    return p.startxref(p.table(b"/Root 1 0 R")).bytes()


def sparse_numbers(count, spacing=64):
    """`count` small objects whose numbers lie `spacing` apart, each listed by the catalog."""
    p = Pdf()
    nums = [100 + spacing * i for i in range(count)]
    refs = b" ".join(b"%d 0 R" % n for n in nums)
    p.obj(1, b"<< /Type /Catalog /Pages 2 0 R /Extra [" + refs + b"] >>").obj(2, PAGES).obj(3, PAGE)
    for n in nums:
        p.obj(n, b"(%d)" % n)
    return p.startxref(p.table(b"/Root 1 0 R")).bytes()


def lone_high_subsection(number):
    """A section for objects 1 to 3 and one subsection `number 1`: the table must not grow to
    the number, nor the output's table list every number below it."""
    p = Pdf().obj(1, CATALOG.replace(b" >>", b" /Far %d 0 R >>" % number)).obj(2, PAGES)
    p.obj(3, PAGE)
    p.offsets[number] = p.here()
    p.raw(b"%d 0 obj\n(far)\nendobj\n" % number)
    at = p.here()
    p.raw(b"xref\n0 4\n0000000000 65535 f \n" +
          b"".join(b"%010d 00000 n \n" % p.offsets[n] for n in (1, 2, 3)) +
          b"%d 1\n%010d 00000 n \ntrailer\n<< /Size %d /Root 1 0 R >>\n"
          % (number, p.offsets[number], number + 1))
    return p.startxref(at).bytes()


def xref_stream_declared_size(size):
    """/Size `size` with /Index [0 5]: the declared size must not size the table."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    at = p.here()
    rows = [(0, 0, 65535), (1, p.offsets[1], 0), (1, p.offsets[2], 0), (1, p.offsets[3], 0),
            (1, at, 0)]
    p.xref_stream(4, b"/Root 1 0 R", rows, index=b"0 5", size=b"%d" % size)
    return p.startxref(at).bytes()


def xref_record_bomb(records):
    """A cross-reference stream of `records` in-use records that inflates from a few kilobytes:
    the table must not grow by records the file has no room for objects of."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    at = p.here()
    rows = [(0, 0, 65535), (1, p.offsets[1], 0), (1, p.offsets[2], 0), (1, p.offsets[3], 0),
            (1, at, 0)]
    data = b"".join(bytes([t]) + f2.to_bytes(4, "big") + f3.to_bytes(2, "big")
                    for t, f2, f3 in rows)
    data += b"\x01\x00\x00\x00\x09\x00\x00" * (records - len(rows))
    p.stream(4, b"/Type /XRef /Size %d /W [1 4 2] /Root 1 0 R /Filter /FlateDecode" % records,
             zlib.compress(data, 9))
    return p.startxref(at).bytes()


def compressed_kids(kids, entries=1040000):
    """A /Pages node kept in an object stream whose /Kids lists one page `kids` times, and a
    cross-reference stream of `entries` records that all name members of that stream: a few
    kilobytes that inflate to millions of kids and a million objects said to be in use."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(3, PAGE)
    header = b"2 0 "
    data = header + b"<< /Type /Pages /Kids [" + b"3 0 R " * kids + b"] /Count %d >>" % kids
    p.stream(4, b"/Type /ObjStm /N 1 /First %d /Filter /FlateDecode" % len(header),
             zlib.compress(data, 9))
    at = p.here()
    rows = [(0, 0, 65535), (1, p.offsets[1], 0), (2, 4, 0), (1, p.offsets[3], 0),
            (1, p.offsets[4], 0), (1, at, 0)] + [(2, 4, 1)] * (entries - 6)
    data = b"".join(bytes([t]) + f2.to_bytes(4, "big") + f3.to_bytes(2, "big")
                    for t, f2, f3 in rows)
    p.stream(5, b"/Type /XRef /Size %d /W [1 4 2] /Root 1 0 R /Filter /FlateDecode" % entries,
             zlib.compress(data, 9))
    return p.startxref(at).bytes()


def same_offset_entries(entries, objstm_mib=0):
    """A cross-reference stream of `entries` in-use records that all lead to one object's
    offset, a few kilobytes in all; with objstm_mib, an object stream that inflates to just under
    that many MiB as well. Reading every stray entry again, or keeping much per entry, shows."""
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    rows = [(0, 0, 65535), (1, p.offsets[1], 0), (1, p.offsets[2], 0), (1, p.offsets[3], 0)]
    if objstm_mib:
        rows.append((1, p.here(), 0))
        padding = (objstm_mib << 20) - 4096
        rows += [row for _, row in padded_objstm(p, 4, [(5, b"(member)")], padding)]
    at = p.here()
    num = len(rows)
    rows.append((1, at, 0))
    rows += [(1, p.offsets[3], 0)] * (entries - len(rows))
    data = b"".join(bytes([t]) + f2.to_bytes(4, "big") + f3.to_bytes(2, "big")
                    for t, f2, f3 in rows)
    p.stream(num, b"/Type /XRef /Size %d /W [1 4 2] /Root 1 0 R /Filter /FlateDecode" % entries,
             zlib.compress(data, 9))
    return p.startxref(at).bytes()


def shared_member_page(kids, size=1 << 16):
    """A page kept in an object stream, with `size` bytes of numbers in its dictionary, that a
    compressed /Kids lists `kids` times; the cross-reference stream names as many members, so
    that the walk may visit them all. The page is to be stepped over once, not at every visit."""
    p = Pdf(b"1.5").obj(1, CATALOG)
    pages = b"<< /Type /Pages /Kids [" + b"3 0 R " * kids + b"] /Count %d >>" % kids
    page = b"<< /Type /Page /Resources << >> /Junk [" + b"0 " * (size // 2) + b"] >>"
    header = b"2 0 3 %d " % (len(pages) + 1)
    p.stream(4, b"/Type /ObjStm /N 2 /First %d /Filter /FlateDecode" % len(header),
             zlib.compress(header + pages + b"\n" + page, 9))
    at = p.here()
    rows = [(0, 0, 65535), (1, p.offsets[1], 0), (2, 4, 0), (2, 4, 1), (1, p.offsets[4], 0),
            (1, at, 0)] + [(2, 4, 1)] * kids
    data = b"".join(bytes([t]) + f2.to_bytes(4, "big") + f3.to_bytes(2, "big")
                    for t, f2, f3 in rows)
    p.stream(5, b"/Type /XRef /Size %d /W [1 4 2] /Root 1 0 R /Filter /FlateDecode" % len(rows),
             zlib.compress(data, 9))
    return p.startxref(at).bytes()


def doubled_tree(levels, size=8388608):
    """`levels` levels of /Pages nodes with two kids each, all reaching one page; the
    cross-reference stream declares /Size `size`."""
    p = Pdf(b"1.5").obj(1, CATALOG)
    for i in range(levels):
        kid = b"%d 0 R" % (3 + i) if i < levels - 1 else b"90 0 R"
        p.obj(2 + i, b"<< /Type /Pages /Kids [" + kid + b" " + kid + b"] /Count 1 >>")
    p.obj(90, PAGE.replace(b"/Parent 2 0 R", b""))
    at = p.here()
    nums = sorted(p.offsets) + [91]
    rows = [(0, 0, 65535)] + [(1, p.offsets[n], 0) for n in nums[:-1]] + [(1, at, 0)]
    index = b"0 1 " + b" ".join(b"%d 1" % n for n in nums)
    p.xref_stream(91, b"/Root 1 0 R", rows, index=index, size=b"%d" % size)
    return p.startxref(at).bytes()


def predictor_wide_rows(mib):
    """An object stream with /Predictor 12 whose two rows are `mib` MiB wide each."""
    columns = mib << 20
    rows = (b"\x02" + b"\x00" * columns) * 2
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    entries = {n: (1, p.offsets[n], 0) for n in (1, 2, 3)}
    entries[4] = (1, p.here(), 0)
    p.stream(4, b"/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode "
             b"/DecodeParms << /Predictor 12 /Columns %d >>" % columns, zlib.compress(rows, 9))
    entries[6] = (2, 4, 0)
    return finish_xref_stream(p, entries, 9)


def unended_objects(count):
    """No table and `count` objects that never end, a string or a stream body left open on
    each: a rebuild that read on from each to the end of the file would read it `count` times."""
    p = Pdf().obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    for n in range(4, count + 4):
        p.raw(b"%d 0 obj\n<< /A (open\n" % n if n % 2 else b"%d 0 obj\n<< >>\nstream\nopen\n" % n)
    return p.raw(b"trailer\n<< /Root 1 0 R >>\n").bytes()


# Shapes that once cost time or memory out of proportion to the file, by fault, each at
# several sizes: bench/hostile.sh measures them (name, size label, bytes).
STRESS = [
    ("objstm-thrash", "%dmib" % m, lambda m=m: objstm_thrash(m)) for m in (4, 8, 16)
] + [
    ("objstm-page-walk", "%dmib" % m, lambda m=m: objstm_page_walk(m)) for m in (2, 4, 8)
] + [
    ("whitespace-gap", "%dmib" % m, lambda m=m: shared_resources_gap(1000, m)) for m in (1, 4, 16)
] + [
    ("gap-pages", "%d" % n, lambda n=n: shared_resources_gap(n, 1)) for n in (100, 1000, 10000)
] + [
    ("shared-%s" % w, "%d" % n, lambda n=n, w=w: shared_object(n, 1 << 20, w))
    for w in ("array", "inside", "rotate", "length") for n in (100, 1000, 10000)
] + [
    ("shared-member-length", "%d" % n, lambda n=n: shared_member_length(n))
    for n in (100, 1000, 10000)
] + [
    ("empty-arrays", "%dmib" % m, lambda m=m: empty_arrays(m)) for m in (1, 2, 4)
] + [
    ("empty-arrays-objstm", "%dmib" % m, lambda m=m: packed_empty_arrays(m)) for m in (1, 2, 4)
] + [
    ("pages", "%d" % n, lambda n=n: many_pages(n)) for n in (1000, 10000, 100000)
] + [
    ("sparse-numbers", "%d" % n, lambda n=n: sparse_numbers(n)) for n in (1000, 10000, 100000)
] + [
    ("lone-subsection", "%d" % n, lambda n=n: lone_high_subsection(n))
    for n in (2097151, 4194303, 8388607)
] + [
    ("xref-declared-size", "%d" % n, lambda n=n: xref_stream_declared_size(n))
    for n in (2097152, 4194304, 8388608)
] + [
    ("xref-record-bomb", "%d" % n, lambda n=n: xref_record_bomb(n))
    for n in (2097152, 4194304, 8388607)
] + [
    ("doubled-tree", "%d" % (1 << n), lambda n=n: doubled_tree(n)) for n in (21, 22, 23)
] + [
    ("predictor-rows", "%dmib" % m, lambda m=m: predictor_wide_rows(m)) for m in (4, 8, 16)
] + [
    ("compressed-kids", "%d" % n, lambda n=n: compressed_kids(n)) for n in (500000, 1000000, 2000000)
] + [
    ("shared-member-page", "%d" % n, lambda n=n: shared_member_page(n)) for n in (1000, 3000, 9000)
] + [
    ("same-offset-entries", "%d" % n, lambda n=n: same_offset_entries(n))
    for n in (1 << 18, 1 << 19, 1 << 20)
] + [
    ("same-offset-entries-objstm", "%d" % n, lambda n=n: same_offset_entries(n, 32))
    for n in (1 << 18, 1 << 19, 1 << 20)
] + [
    ("unended-objects", "%d" % n, lambda n=n: unended_objects(n)) for n in (10000, 40000, 160000)
]


def write_stress(folder):
    os.makedirs(folder, exist_ok=True)
    for name, label, make in STRESS:
        with open(os.path.join(folder, "%s-%s.pdf" % (name, label)), "wb") as f:
            f.write(make())


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(os.path.join(OUT, name))
    files = {}

    files["empty.pdf"] = b""
    files["tiny-header.pdf"] = b"%PDF-1.4"
    files["tiny-nul.pdf"] = b"\x00"
    files["junk-before-header.pdf"] = basic(junk=b"\x00junk\n" * 80).bytes()
    files["junk-after-eof.pdf"] = basic().bytes() + b"%garbage\n" * 300
    files["no-startxref.pdf"] = basic().bytes().replace(b"startxref", b"startxrex")
    files["startxref-negative.pdf"] = Pdf().obj(1, CATALOG).raw(b"startxref\n-5\n%%EOF\n").bytes()
    files["startxref-huge.pdf"] = Pdf().obj(1, CATALOG).raw(b"startxref\n99999999999\n%%EOF\n").bytes()
    files["startxref-past-end.pdf"] = Pdf().obj(1, CATALOG).raw(b"startxref\n4000000\n%%EOF\n").bytes()

    # /Prev chains that loop: through tables, through streams, through /XRefStm.
    p = Pdf().obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    a = p.table(b"/Root 1 0 R", prev=0)
    b_at = p.here()
    p.raw(b"xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev %d >>\n" % a)
    data = p.bytes().replace(b"/Prev 0 ", b"/Prev %d" % b_at + b" " * (len(b"0") - len(b"%d" % b_at) + 0))
    files["prev-loop-tables.pdf"] = Pdf().raw(b"").bytes()  # replaced below
    p2 = Pdf().obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    first = p2.here()
    second = first  # a section whose /Prev names itself, and a newer one naming it
    p2.table(b"/Root 1 0 R", prev=first)
    third = p2.here()
    p2.raw(b"xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev %d >>\n" % second)
    files["prev-loop-tables.pdf"] = p2.startxref(third).bytes()
    p3 = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    at = p3.here()
    rows = [(0, 0, 65535), (1, p3.offsets[1], 0), (1, p3.offsets[2], 0), (1, p3.offsets[3], 0),
            (1, at, 0)]
    p3.xref_stream(4, b"/Root 1 0 R /Prev %d" % at, rows)
    files["prev-loop-streams.pdf"] = p3.startxref(at).bytes()
    p4 = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    at = p4.here()
    p4.raw(b"xref\n0 4\n0000000000 65535 f \n%010d 00000 n \n%010d 00000 n \n%010d 00000 n \n"
           % (p4.offsets[1], p4.offsets[2], p4.offsets[3]) +
           b"trailer\n<< /Size 4 /Root 1 0 R /XRefStm %d >>\n" % at)
    files["xrefstm-loop.pdf"] = p4.startxref(at).bytes()

    # 5,000 and 20,000 sections chained by /Prev (the reader stops at 10,000).
    def chained_sections(count):
        p = Pdf().obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
        prev = p.table(b"/Root 1 0 R")
        for _ in range(count - 1):
            at = p.here()
            p.raw(b"xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev %d >>\n" % prev)
            prev = at
        return p.startxref(prev).bytes()

    files["sections-5000.pdf"] = chained_sections(5000)
    files["sections-20000.pdf"] = chained_sections(20000)

    for name, header in [("subsection-huge", b"0 2147483647"), ("subsection-negative", b"-5 3"),
                         ("subsection-count-negative", b"1 -3"), ("subsection-8m", b"8388000 1000")]:
        p = Pdf().obj(1, CATALOG)
        at = p.here()
        p.raw(b"xref\n" + header + b"\n0000000009 00000 n \ntrailer\n<< /Root 1 0 R >>\n")
        files[name + ".pdf"] = p.startxref(at).bytes()

    def xs(name, extra, rows=None, index=None, size=None, filtered=True):
        p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
        at = p.here()
        rows = rows if rows is not None else [(0, 0, 65535), (1, p.offsets[1], 0),
                                              (1, p.offsets[2], 0), (1, p.offsets[3], 0),
                                              (1, at, 0)]
        p.xref_stream(4, b"/Root 1 0 R " + extra, rows, index=index, size=size, filtered=filtered)
        files[name + ".pdf"] = p.startxref(at).bytes()

    xs("xref-size-2g", b"", size=b"2147483648")
    xs("xref-size-negative", b"", size=b"-7")
    xs("xref-index-2g", b"", index=b"0 2147483647")
    xs("xref-index-negative", b"", index=b"-3 5")
    xs("xref-w-huge", b"".replace(b"", b""), None)
    files["xref-w-huge.pdf"] = files["xref-w-huge.pdf"].replace(b"/W [1 4 2]", b"/W [1 2147483647 2]")
    xs("xref-w-negative", b"")
    files["xref-w-negative.pdf"] = files["xref-w-negative.pdf"].replace(b"/W [1 4 2]", b"/W [-1 -4 2]")
    for pname, params in [("columns-0", b"/Columns 0"), ("columns-negative", b"/Columns -7"),
                          ("columns-2g", b"/Columns 2147483647"), ("colors-0", b"/Colors 0"),
                          ("colors-2g", b"/Colors 2147483647"),
                          ("bpc-0", b"/BitsPerComponent 0"), ("bpc-2g", b"/BitsPerComponent 2147483647"),
                          ("bpc-negative", b"/BitsPerComponent -8")]:
        xs("predictor-" + pname, b"/DecodeParms << /Predictor 12 " + params + b" >>")
    xs("xref-type-3", b"", rows=[(3, 0, 0)] * 5)

    # A Flate bomb: a small body that inflates to 512 MiB, as an object stream and as an xref
    # stream.
    bomb = zlib.compress(b"\x00" * (512 << 20), 9)
    files["flate-bomb-objstm.pdf"] = with_objstm(b"", payload_override=bomb).bytes()
    p = Pdf(b"1.5").obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE)
    at = p.here()
    p.stream(4, b"/Type /XRef /Size 5 /W [1 4 2] /Root 1 0 R /Filter /FlateDecode", bomb)
    files["flate-bomb-xref.pdf"] = p.startxref(at).bytes()

    files["objstm-n-2g.pdf"] = with_objstm(b"", n=2147483647).bytes()
    _, header, body = objstm([(2, PAGES), (3, PAGE)])
    files["objstm-offsets-decreasing.pdf"] = with_objstm(
        b"", header_override=b"2 %d 3 0 " % (len(PAGES) + 1)).bytes()
    files["objstm-offsets-past-end.pdf"] = with_objstm(
        b"", header_override=b"2 0 3 999999 ").bytes()
    files["objstm-length-2g.pdf"] = with_objstm(b"", length=b"2147483647").bytes()
    files["objstm-length-negative.pdf"] = with_objstm(b"", length=b"-40").bytes()
    files["objstm-length-self.pdf"] = with_objstm(b"", length=b"4 0 R").bytes()
    files["objstm-length-missing.pdf"] = with_objstm(b"").bytes().replace(b"/Length", b"/Lenxth", 1)
    files["objstm-self.pdf"] = with_objstm(b"", self_entry=True).bytes()
    # The object stream lists itself among its objects (its entry points into itself).
    d = with_objstm(b"", members=[(2, PAGES), (3, PAGE), (4, b"<< >>")]).bytes()
    files["objstm-contains-self.pdf"] = d

    # Deep nesting inside a page and inside the catalog.
    files["nesting-array-100k.pdf"] = basic(page=PAGE.replace(
        b"/MediaBox", b"/Deep " + b"[" * 100000 + b"]" * 100000 + b" /MediaBox")).bytes()
    files["nesting-dict-100k.pdf"] = Pdf().obj(1, b"<< /Type /Catalog /Pages 2 0 R /X " +
                                               b"<< /A " * 100000 + b">>" * 100000 + b" >>").obj(
        2, PAGES).obj(3, PAGE)
    p = files["nesting-dict-100k.pdf"]
    files["nesting-dict-100k.pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()
    files["nesting-unclosed-100k.pdf"] = Pdf().obj(1, CATALOG).obj(2, PAGES).raw(
        b"3 0 obj\n<< /Type /Page " + b"[ << " * 50000).bytes()

    for name, tail in [("unterminated-string", b"3 0 obj\n<< /Type /Page /T (never ends"),
                       ("unterminated-name", b"3 0 obj\n<< /Type /Pa"),
                       ("unterminated-dict", b"3 0 obj\n<< /Type /Page /Resources << /A 1"),
                       ("unterminated-hex", b"3 0 obj\n<< /T <414243")]:
        p = Pdf().obj(1, CATALOG).obj(2, PAGES)
        p.offsets[3] = p.here()
        at_tail = tail
        p.raw(at_tail)
        data = p.bytes()
        files[name + ".pdf"] = data
    files["name-nul.pdf"] = basic(page=PAGE.replace(b"/Type /Page ", b"/A#00B 1 /Rot#00ate 7 /Type /Page ")).bytes()

    # Page trees: a cycle, a 100,000-deep chain, 40 levels of doubled kids.
    p = Pdf().obj(1, CATALOG).obj(2, b"<< /Type /Pages /Kids [4 0 R] /Count 1 >>")
    p.obj(4, b"<< /Type /Pages /Kids [2 0 R 3 0 R] /Count 1 >>").obj(3, PAGE)
    files["tree-cycle.pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()
    p = Pdf().obj(1, CATALOG)
    n = 100000
    for i in range(n):
        p.obj(2 + i if i else 2, b"<< /Type /Pages /Kids [%d 0 R] /Count 1 >>" % (3 + i if i < n - 1 else 3))
    files["tree-chain-100k.pdf"] = b""
    p = Pdf().obj(1, CATALOG)
    nums = [2] + list(range(5, 5 + n))
    for i, num in enumerate(nums):
        kid = nums[i + 1] if i + 1 < len(nums) else 3
        p.obj(num, b"<< /Type /Pages /Kids [%d 0 R] /Count 1 >>" % kid)
    p.obj(3, PAGE)
    files["tree-chain-100k.pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()
    p = Pdf().obj(1, CATALOG)
    for i in range(40):
        kid = b"%d 0 R" % (3 + i) if i < 39 else b"50 0 R"
        p.obj(2 + i, b"<< /Type /Pages /Kids [" + kid + b" " + kid + b"] /Count 1 >>")
    p.obj(50, PAGE.replace(b"/Parent 2 0 R", b""))
    files["tree-doubled-40.pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()

    for name, root in [("root-int", b"/Root 5"), ("root-array", b"/Root [1 0 R]"),
                       ("root-string", b"/Root (1 0 R)"), ("root-null", b"/Root null"),
                       ("root-missing-object", b"/Root 7 0 R"), ("root-dict", b"/Root << >>")]:
        files[name + ".pdf"] = basic(trailer=root).bytes()
    for name, cat in [("pages-int", b"<< /Type /Catalog /Pages 5 >>"),
                      ("pages-array", b"<< /Type /Catalog /Pages [2 0 R] >>"),
                      ("pages-missing", b"<< /Type /Catalog >>"),
                      ("pages-is-page", b"<< /Type /Catalog /Pages 3 0 R >>"),
                      ("catalog-stream", b"<< /Length 0 >>\nstream\n\nendstream")]:
        p = Pdf().obj(1, cat).obj(2, PAGES).obj(3, PAGE)
        files[name + ".pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()
    for name, rot in [("rotate-2g", b"2147483647"), ("rotate-real", b"3.5"),
                      ("rotate-string", b"(90)"), ("rotate-ref", b"4 0 R"),
                      ("rotate-negative-2g", b"-2147483648")]:
        p = Pdf().obj(1, CATALOG).obj(2, PAGES).obj(3, PAGE.replace(b">> /MediaBox",
                                                                      b">> /Rotate " + rot + b" /MediaBox"))
        p.obj(4, b"90")
        files[name + ".pdf"] = p.startxref(p.table(b"/Root 1 0 R")).bytes()
    files["count-2g.pdf"] = basic(pages=PAGES.replace(b"/Count 1", b"/Count 2147483648")).bytes()
    files["encrypt-direct.pdf"] = basic(trailer=b"/Root 1 0 R /Encrypt << /Filter /Standard >>").bytes()

    # The smallest of the stress shapes (bench/hostile.sh runs them all, at every size).
    files["stress-objstm-thrash-4mib.pdf"] = objstm_thrash(4)
    files["stress-same-offset-entries-1048576.pdf"] = same_offset_entries(1 << 20)
    files["stress-same-offset-entries-objstm-1048576.pdf"] = same_offset_entries(1 << 20, 32)
    files["stress-lone-subsection-8388607.pdf"] = lone_high_subsection(8388607)
    files["stress-xref-declared-size-8388608.pdf"] = xref_stream_declared_size(8388608)
    files["stress-doubled-tree-23-levels.pdf"] = doubled_tree(23)
    files["stress-predictor-rows-16mib.pdf"] = predictor_wide_rows(16)
    files["stress-sparse-numbers-1000.pdf"] = sparse_numbers(1000)
    files["stress-xref-record-bomb-8388607.pdf"] = xref_record_bomb(8388607)
    files["stress-shared-array-200.pdf"] = shared_object(200, 20000, "array")
    files["stress-empty-arrays-objstm-4mib.pdf"] = packed_empty_arrays(4)
    files["stress-compressed-kids-2000000.pdf"] = compressed_kids(2000000)
    files["stress-unended-objects-10000.pdf"] = unended_objects(10000)

    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    print("%d hostile files in %s" % (len(files), os.path.normpath(OUT)))
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--stress":
        write_stress(sys.argv[2])
        sys.exit(0)
    sys.exit(main())
