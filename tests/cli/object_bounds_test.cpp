// Objects whose end or whose place a byte search gets wrong: each file is copied, and qpdf and
// our own reader must find every object of the input in the output, whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "copy_case.h"
#include "faithful_copy.h"
#include "fixtures.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// The one-page file with its page (or else its content) written last and without its
// "endobj": "xref" follows its value.
std::string LastWithoutEndobj(bool page_last) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kPages).Object(5, kFont);
  if (page_last) {
    b.Stream(4, "", kText).Object(3, kTextPage);
  } else {
    b.Object(3, kTextPage).Stream(4, "", kText);
  }
  std::string bytes = Finish(b);
  return bytes.replace(bytes.rfind("endobj", bytes.find("\nxref")), 6, "      ");
}

// The one-page file with a /Info dictionary and, after it, object 7 holding value and then
// object 8.
std::string ObjectLeftOpen(const std::string& value, const std::string& next = "<< /Title (t) >>") {
  return Finish(
      TextPage().Object(6, "<< /Producer (p) /Subject 7 0 R >>").Object(7, value).Object(8, next),
      "/Root 1 0 R /Info 6 0 R");
}

// Object-stream members whose last byte would swallow an "endobj" written right after them.
std::string MemberEndingIn(const std::string& member) {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog);
  b.ObjectStream(8, {{2, kPages}, {3, kTextPage}, {5, kFont}, {6, member}}, false);
  b.Stream(4, "", kText).XRefStream(9, "/Root 1 0 R");
  return b.Bytes();
}

// The page's entry made to say delta bytes past object from (0: the file's start): the page is
// still found by its header.
std::string MisplacedPage(int from, long long delta) {
  PdfBuilder b = TextPage();
  return Finish(b.Entry(3, (from ? b.Offset(from) : 0) + delta));
}

// "endobj" in the page's comment, the font's name and the /Info's string.
std::string HiddenEndobj() {
  std::string page = kTextPage;
  page.insert(page.find("/MediaBox"), "% endobj\n");
  return Finish(TextPage(page, "<< /Type /Font /Subtype /Type1 /BaseFont /Legendobjects >>")
                    .Object(6, "<< /Title (How endobj ends an object) /Author (x) >>"),
                "/Root 1 0 R /Info 6 0 R");
}

// A name that runs into the next object's header takes it: page 3's entry leads inside the
// /Pages node, which it cannot cut short; page 3 is read from there, within the node's bytes.
std::string NameRunsIntoNextHeader() {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /X /Y");
  b.Object(3, kTextPage).Stream(4, "", "BT ET").Object(5, kFont);
  b.Object(6, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] >>");
  return Patched(Finish(b), "2 0 obj", "/Y\nendobj\n", "/YYYYYYYYY");
}

// A value nested depth arrays deep whose innermost holds a ">>": readers take it for an
// element (it closes nothing), so the array goes on to its last "]" and what stands before it
// (a /Rotate, a ">>") neither is a key nor closes the dictionary.
std::string DeepValueWithStrayClose(const std::string& before_last_bracket, int depth = 65) {
  return " /A " + std::string(depth, '[') + ">>" + std::string(depth - 1, ']') + " " +
         before_last_bracket + " ] >>";
}

std::string PageWithDeepValue() {
  const std::string page = std::string(kTextPage).substr(0, std::strlen(kTextPage) - 3);
  return Finish(TextPage(page + DeepValueWithStrayClose("/Rotate 0")));
}

// An entry that leads into an object stream's body: the stream is read past it, to the next
// header.
std::string OffsetInsideObjectStreamBody() {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).ObjectStream(8, {{2, kPages}, {3, kTextPage}}, false);
  b.Stream(4, "", "BT ET").Object(5, kFont);
  const auto pages = static_cast<int64_t>(b.Bytes().find("/Type /Pages"));
  return b.Entry(5, pages).HybridSection(9, "/Root 1 0 R").Bytes();
}

// Objects 6 and 7 whose entries lead to headers and values written inside another object: in
// the content stream's data, with older definitions of them elsewhere in the file, or (6 only)
// in a comment of the page, with none. The object they land in is copied whole, and each object
// from where its entry leads, as readers read it: the first read inside another object does not
// stop the next.
std::string EntryInsideAnotherObject(bool in_content) {
  const std::string copy = "6 0 obj << /Producer (inside) >> endobj";
  const std::string seven = "7 0 obj (seven, inside) endobj";
  std::string page = kTextPage;
  page.insert(page.find("/MediaBox"), "% " + copy + "\n");
  PdfBuilder b = OnePage(in_content ? kTextPage : page);
  b.Stream(4, "", in_content ? std::string(kText) + "\n% " + copy + "\n% " + seven : kText);
  b.Object(5, kFont).Object(6, "<< /Producer (older) >>").Object(7, "(seven, older)");
  b.Entry(6, static_cast<int64_t>(b.Bytes().find(copy)));
  if (in_content) {
    return Finish(b.Entry(7, static_cast<int64_t>(b.Bytes().find(seven))),
                  "/Root 1 0 R /Info 6 0 R");
  }
  return Patched(Finish(b, "/Root 1 0 R /Info 6 0 R"), "endobj\n6 0 obj", "6 0 obj", "%6 0 ob");
}

// Object 6, which an entry leads to inside content stream 4, a stream whose /Length carries its
// data past the end of stream 4.
std::string InnerStreamPastItsContainer() {
  PdfBuilder b = OnePage(kTextPage);
  b.Object(5, kFont);
  const std::string inner = "6 0 obj\n<< /Length 25 >>\nstream\nabc\n";
  b.Object(4, "<< /Length " + std::to_string(inner.size() + 2) + " >>\nstream\n% " + inner +
                  "\nendstream");
  b.Raw("def\nendstream\nendobj\n").Object(6, "(placeholder)");
  const std::string moved = Finish(b.Entry(6, static_cast<int64_t>(b.Bytes().find(inner))));
  return Patched(moved, "endobj\n6 0 obj", "6 0 obj", "%6 0 ob");
}

// Content stream 4 whose /Length ends short of its "endstream", with object 6 (which an entry
// leads to) between: whichever it ends at, bytes of one object would be lost.
std::string ShortLengthAroundAnEntry() {
  PdfBuilder b = OnePage(kTextPage);
  b.Object(5, kFont);
  b.Object(4, "<< /Length 3 >>\nstream\n0 0 m\n6 0 obj (six) endobj\n9 9 l S\nendstream");
  b.Object(6, "(six)");
  return Finish(b.Entry(6, static_cast<int64_t>(b.Bytes().find("6 0 obj (six)"))));
}

// An older object 7, then object 6 whose "endobj" runs into the header of the current 7.
std::string EndobjRunsIntoTheCurrentHeader() {
  PdfBuilder b = TextPage();
  b.Raw("7 0 obj\n(seven, older)\nendobj\n").Object(6, "(six)").Object(7, "(seven)");
  return Patched(Finish(b, "/Root 1 0 R /Info 7 0 R"), "6 0 obj", "(six)\nendobj\n",
                 "(six) \nendobj");
}

// An update replaces content stream 4 and the /Length 5 of a stream 6 that it replaces too:
// read with the new length, the older stream 6 would run to the end of the new content.
std::string OlderStreamWithTheNewLength() {
  const std::string page =
      std::string(kTextPage).replace(std::strlen(kTextPage) - 2, 2, "/X 6 0 R >>");
  PdfBuilder b = OnePage(page);
  b.Object(5, "8");
  b.Stream(4, "", "1 0 0 rg").Object(6, "<< /Length 5 0 R >>\nstream\nold data\nendstream");
  b.Object(7, kFont).XRefTable("/Root 1 0 R");
  const long long old_data = static_cast<long long>(b.Bytes().find("old data"));
  b.Stream(4, "", "0 0 1 rg");
  const long long n = static_cast<long long>(b.Bytes().rfind("\nendstream")) - old_data;
  b.Object(5, std::to_string(n));
  b.Object(6, "<< /Length 5 0 R >>\nstream\n" + std::string(static_cast<size_t>(n), 'x') +
                  "\nendstream");
  return Finish(b);
}

// Stream 4 written as body, beside the one page and object 5, which holds 20.
std::string StreamBody(const std::string& body) {
  return Finish(OnePage().Object(4, body).Object(5, "20"));
}

// Entries that lead where their object does not stand whole.
INSTANTIATE_TEST_SUITE_P(
    Entries,
    CopyTest,
    testing::Values(Copied("InsideAnotherStreamsData", EntryInsideAnotherObject(true)),
                    Copied("OnlyInsideAnotherObjectsComment", EntryInsideAnotherObject(false)),
                    Refused("ShortLengthAroundAnEntry", ShortLengthAroundAnEntry(), kDamaged),
                    Copied("InnerStreamPastItsContainer", InnerStreamPastItsContainer()),
                    Copied("EndobjRunsIntoTheCurrentHeader", EndobjRunsIntoTheCurrentHeader()),
                    Copied("OlderStreamWithTheNewLength", OlderStreamWithTheNewLength()),
                    // An object no entry names, with a string open to the end of the file.
                    Copied("UnnamedObjectWithOpenString",
                           Finish(TextPage().Raw("9 0 obj\n(abc\nendobj\n").Object(6, "(six)"),
                                  "/Root 1 0 R /Info 6 0 R"))),
    CopyCaseName);

// "endobj" hidden where a byte search finds it, at a piece's edge, or missing before "xref".
INSTANTIATE_TEST_SUITE_P(Endobj,
                         CopyTest,
                         testing::Values(Copied("InCommentNameAndString", HiddenEndobj()),
                                         Copied("MissingOnPageBeforeXRef", LastWithoutEndobj(true)),
                                         Copied("MissingOnContentBeforeXRef",
                                                LastWithoutEndobj(false))),
                         CopyCaseName);

// A dictionary or array left open is damage, wherever its object ends: the keys after a
// keyword of the file's structure inside it (a string's stray ")" leaves "trailer" bare) would be
// lost, and readers read such an object as null or as more. Only the end of a string is no end.
INSTANTIATE_TEST_SUITE_P(
    LeftOpen,
    CopyTest,
    testing::Values(
        Refused("StringLeftOpenToNextObject",
                ObjectLeftOpen("[1 (abc", "<< /Title (t)) >>"),
                kDamaged),
        Refused("KeywordsAfterAStrayParenthesis",
                ObjectLeftOpen("<< /Producer (smile :) see trailer notes) /Author (a) >>"),
                kDamaged),
        Refused("EndobjAfterAStrayParenthesis",
                ObjectLeftOpen("<< /Producer (a :) endobj b) /Author (a) >>"),
                kDamaged),
        Refused("HeaderTextAfterAStrayParenthesis",
                ObjectLeftOpen("[ (a :) 1 0 obj b) (c) ]"),
                kDamaged),
        // The next page's keys then stand in the /Pages node: its /Type twice, with two values.
        Refused("NameRunsIntoNextHeader", NameRunsIntoNextHeader(), kDamaged),
        // ">>" closes no array; "startxref" leaves the trailer's /ID open.
        Refused("TrailerIdLeftOpen", Finish(TextPage(), "/Root 1 0 R /ID [<00> (x)"), kDamaged)),
    CopyCaseName);

// A stream whose /Length is given twice: the first (5) ends the body at an "endstream" in its
// data, the last (which readers take) past it.
std::string StreamLengthTwice() {
  const std::string data = "BT ET\nendstream\nendobj\n% more\nBT ET";
  return StreamBody("<< /Length 5 /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
                    "\nendstream");
}

// A key given twice with two values: readers take the last, the first counted here; a copy
// would mean another document to one of them.
INSTANTIATE_TEST_SUITE_P(
    RepeatedKeys,
    CopyTest,
    testing::Values(
        Refused("StreamLengthTwice", StreamLengthTwice(), kDamaged),
        Refused("TrailerRootTwice", Finish(TextPage(), "/Root 1 0 R /Root 2 0 R"), kDamaged),
        Copied("TrailerRootTwiceWithOneValue", Finish(TextPage(), "/Root 1 0 R /Root 1 0 R"))),
    CopyCaseName);

// A stream's body ends where its /Length says, however it is spelt, and it steps over
// "endstream" bytes in the data; only without one that holds does the first "endstream" end it.
INSTANTIATE_TEST_SUITE_P(
    StreamBodies,
    CopyTest,
    testing::Values(Copied("LengthWithLeadingZeros",
                           StreamBody("<< /Length " + std::string(60, '0') +
                                      "20 >>\nstream\nx endstream endobj y\nendstream")),
                    Copied("ReferenceWithLongSpaces",
                           StreamBody("<< /Length 5" + std::string(64, ' ') +
                                      "0   R >>\nstream\nx endstream endobj y\nendstream"))),
    CopyCaseName);

INSTANTIATE_TEST_SUITE_P(
    ObjectStreamMembers,
    CopyTest,
    testing::Values(Copied("Slash", MemberEndingIn("/Name /")),
                    // Poppler closes it where the stream ends; framed in the file it would
                    // run on into the objects after it.
                    Refused("DictionaryLeftOpen", MemberEndingIn("<< /A [1] /B 2"), kDamaged),
                    // The same bytes as a plain object's: refused in both places alike.
                    Refused("KeywordsAfterAStrayParenthesis",
                            MemberEndingIn("<< /Producer (smile :) see trailer notes) /A 1 >>"),
                            kDamaged)),
    CopyCaseName);

INSTANTIATE_TEST_SUITE_P(
    DeepStrayClose,
    CopyTest,
    testing::Values(Copied("PageStoredDirectly", PageWithDeepValue()),
                    Copied("ObjectStreamMember",
                           MemberEndingIn("<< /B 1" + DeepValueWithStrayClose(">> (x)"))),
                    // Deeper than the parser reads: no page uses it, and it is still copied whole.
                    Copied("ObjectStreamMemberDeeperThanParsed",
                           MemberEndingIn("<< /B 1" + DeepValueWithStrayClose(">> (x)", 300)))),
    CopyCaseName);

INSTANTIATE_TEST_SUITE_P(
    MisplacedObjects,
    CopyTest,
    testing::Values(Copied("OffsetInsideAnotherObject", MisplacedPage(2, 9)),
                    Copied("OffsetPastThirtyOneBits", MisplacedPage(0, 3000000000LL)),
                    Copied("TwoEntriesOneOffset", MisplacedPage(2, 0)),
                    Copied("OffsetInsideObjectStreamBody", OffsetInsideObjectStreamBody())),
    CopyCaseName);

// Where qpdf gives up on an entry (offset 0 reads as null; a generation the entry does not give
// reads as null beside the object under its own), poppler finds the object by its header, and
// so does the copy: the page keeps its content and turns.
TEST(MisplacedObjectTest, FoundByHeaderWhereQpdfGivesUp) {
  Scratch s;
  const std::string check = "qpdf --check '" + s.out + "' 2>&1 >/dev/null";
  ASSERT_EQ("", s.Run(MisplacedPage(0, 0), "/r90"));
  EXPECT_EQ("Page    1 rot:   90\n", RunCommand("pdfinfo -l 1 '" + s.out + "' | grep rot:").output);
  EXPECT_EQ("", RunCommand(check).output);
  EXPECT_NE(std::string::npos,
            RunCommand("qpdf --show-object=3 '" + s.out + "'").output.find("/Contents 4 0 R"));

  // The entry says generation 0; the only object 6 is generation 1, copied as such.
  PdfBuilder gen = TextPage();
  gen.Object(6, "(six)", 1).XRefTable("/Root 1 0 R");
  ASSERT_EQ("", s.Run(Patched(gen.Bytes(), "xref", " 00001 n", " 00000 n"), "/r90"));
  EXPECT_EQ("", RunCommand(check).output);
  EXPECT_EQ("(six)\n", RunCommand("qpdf --show-object=6,1 '" + s.out + "'").output);

  // A /Rotate that leads there is read as the copy lists the object: turned a quarter, the
  // tall page is landscape and chosen (it was read as upright and left out).
  PdfBuilder turned = TextPage(
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 300] /Rotate 6 1 R /Resources << /Font "
      "<< /F1 5 0 R >> >> /Contents 4 0 R >>");
  turned.Object(6, "90", 1).XRefTable("/Root 1 0 R");
  ASSERT_EQ("", s.Run(Patched(turned.Bytes(), "xref", " 00001 n", " 00000 n"), "-landscape /r180"));
  EXPECT_EQ("Page    1 rot:   180\n",
            RunCommand("pdfinfo -l 1 '" + s.out + "' | grep rot:").output);
}

// A stream with no "endstream" at all: the copy closes its body where /Length ends it (qpdf
// reads on to "endobj" instead).
TEST(StreamEndTest, ClosedWhereTheLengthEndsIt) {
  Scratch s;
  ASSERT_EQ("", s.Run(StreamBody("<< /Length 3 >>\nstream\nabc"), "/r90"));
  EXPECT_NE(
      std::string::npos,
      ReadFile(s.out).find("\n4 0 obj\n<< /Length 3 >>\nstream\nabc\nendstream\nendobj\n5 0 obj"));
}

// A classic subsection that says it starts at 1 although its first line is the head of the
// free list: every line belongs to the number one lower, as most readers take it (qpdf cannot
// read it), so the copy is the one of the file written right.
TEST(SubsectionTest, ShiftedByOneIsReadFromZero) {
  Scratch s;
  Scratch shifted;
  const std::string right = Finish(TextPage());
  ASSERT_EQ("", s.Run(right, "/r90"));
  ASSERT_EQ("", shifted.Run(Patched(right, "xref", "xref\n0 ", "xref\n1 "), "/r90"));
  EXPECT_EQ(ReadFile(s.out), ReadFile(shifted.out));
  ExpectFaithfulCopy(s.in, s.out, "/r90");
}

}  // namespace

// A page whose dictionary the scanner's first piece of the file (64 KiB) ends inside, just
// before the last at_text in it: what the scanner notes there (the page's /Rotate, its facts,
// where it ends) must not depend on where the bytes held end.
std::string PageAcrossPieces(const std::string& at_text) {
  const std::string page =
      "<< /Type /Page /Parent 2 0 R /Rotate 90 /Resources << /Font << /F1 5 0 R >> >> "
      "/MediaBox [0 0 200 200] /Contents 4 0 R >>";
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kPages);
  const int64_t page_at = b.Here() + 4 + static_cast<int64_t>(std::strlen("3 0 obj\n"));
  const int64_t pad = 65536 - page_at - static_cast<int64_t>(page.rfind(at_text));
  b.Raw("%" + std::string(static_cast<size_t>(pad), 'x') + "\n\n\n");
  b.Object(3, page).Stream(4, "", kText).Object(5, kFont);
  return b.XRefTable("/Root 1 0 R").Bytes();
}

INSTANTIATE_TEST_SUITE_P(AcrossPieces,
                         CopyTest,
                         testing::Values(Copied("InTheRotateKey", PageAcrossPieces("tate 90")),
                                         Copied("BeforeTheAngle", PageAcrossPieces("90 /Res")),
                                         Copied("InAReference", PageAcrossPieces("0 R >>")),
                                         Copied("InANestedClose", PageAcrossPieces("> >> /Med")),
                                         Copied("InAnArray", PageAcrossPieces("200]")),
                                         Copied("AtTheLastClose", PageAcrossPieces(">>"))),
                         CopyCaseName);
