// Objects whose end or whose place a byte search gets wrong: each file is copied, and qpdf and
// our own reader must find every object of the input in the output, whole.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "faithful_copy.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

const char* kCatalog = "<< /Type /Catalog /Pages 2 0 R >>";
const char* kPages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
const char* kPage =
    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /Font << /F1 5 0 R >> "
    ">> /Contents 4 0 R >>";
const char* kFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

// One page: catalog 1, pages 2, page 3, content 4, font 5, then whatever extra adds.
PdfBuilder OnePage(const std::string& page = kPage,
                   const std::string& font = kFont,
                   const std::function<void(PdfBuilder&)>& extra = nullptr) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kPages).Object(3, page);
  b.Stream(4, "", "BT /F1 12 Tf 10 10 Td (Hi) Tj ET").Object(5, font);
  if (extra) {
    extra(b);
  }
  return b;
}

// Replaces the first occurrence of from at or after the text after by to (same length, so that
// every offset stays right).
std::string Patch(std::string bytes,
                  const std::string& after,
                  const std::string& from,
                  const std::string& to) {
  EXPECT_EQ(from.size(), to.size());
  const size_t at = bytes.find(from, bytes.find(after));
  EXPECT_NE(std::string::npos, at) << from;
  return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

// The offset field of object num's cross-reference row, as the builder writes it.
std::string Row(const PdfBuilder& b, int num) {
  char line[32];
  std::snprintf(line, sizeof(line), "%010lld", static_cast<long long>(b.Offset(num)));
  return line;
}

// Object num's row made to say offset.
std::string MoveEntry(const PdfBuilder& b, int num, long long offset) {
  char line[32];
  std::snprintf(line, sizeof(line), "%010lld 00000 n", offset);
  return Patch(b.Bytes(), "xref", Row(b, num) + " 00000 n", line);
}

struct BoundsCase {
  const char* name;
  std::function<std::string()> make;
  const char* refusal = nullptr;  // the one line of a file that cannot be copied whole
};

void PrintTo(const BoundsCase& c, std::ostream* os) {
  *os << c.name;
}

class ObjectBoundsTest : public testing::TestWithParam<BoundsCase> {};

TEST_P(ObjectBoundsTest, CopiesEveryObjectWholeOrRefuses) {
  TempDir dir;
  const std::string in = dir.Write("in.pdf", GetParam().make());
  const std::string out = dir.Path("out.pdf");
  const std::string printed = RunQuillturn("'" + in + "' '" + out + "' /r90").output;
  if (GetParam().refusal) {
    EXPECT_EQ(GetParam().refusal, printed);
    EXPECT_FALSE(FileExists(out));
    return;
  }
  ASSERT_EQ("", printed);
  ExpectFaithfulCopy(in, out, ChosenPages(in, "/r90"));
}

std::string Finish(PdfBuilder& b) {
  b.XRefTable("/Root 1 0 R /Info 6 0 R");
  return b.Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    HiddenEndobj,
    ObjectBoundsTest,
    testing::Values(
        BoundsCase{"InLiteralString",
                   [] {
                     PdfBuilder b = OnePage(kPage, kFont, [](PdfBuilder& p) {
                       p.Object(6, "<< /Title (How endobj ends an object) /Author (x) >>");
                     });
                     return Finish(b);
                   }},
        BoundsCase{"InName",
                   [] {
                     PdfBuilder b = OnePage(
                         kPage, "<< /Type /Font /Subtype /Type1 /BaseFont /Legendobjects >>",
                         [](PdfBuilder& p) { p.Object(6, "<< /Producer (p) >>"); });
                     return Finish(b);
                   }},
        BoundsCase{"InComment",
                   [] {
                     PdfBuilder b = OnePage(
                         "<< /Type /Page /Parent 2 0 R % endobj\n/MediaBox [0 0 200 200] "
                         "/Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
                         kFont, [](PdfBuilder& p) { p.Object(6, "<< /Producer (p) >>"); });
                     return Finish(b);
                   }},
        BoundsCase{"EndobjEndsAtByte1024",
                   [] {
                     // "6 0 obj\n[0 0 ... 0]\nendobj" is 1024 bytes; the line feed after it
                     // belongs to the object too.
                     std::string zeros;
                     while (zeros.size() < 1024 - std::string("6 0 obj\n[]\nendobj").size()) {
                       zeros += zeros.size() % 2 == 0 ? '0' : ' ';
                     }
                     PdfBuilder b = OnePage(kPage, kFont, [&](PdfBuilder& p) {
                       p.Object(6, "[" + zeros + "]").Object(7, "<< /Producer (p) >>");
                     });
                     b.XRefTable("/Root 1 0 R /Info 7 0 R");
                     EXPECT_EQ(b.Offset(6) + 1025, b.Offset(7));
                     return b.Bytes();
                   }}),
    [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// The one-page file with object last (3, 4 or the /Info dictionary 6) written after the others
// and without its "endobj": "xref" follows its value.
std::string LastWithoutEndobj(int last) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kPages);
  const auto add = [&b](int num) {
    if (num == 3) {
      b.Object(3, kPage);
    } else if (num == 4) {
      b.Stream(4, "", "BT /F1 12 Tf 10 10 Td (Hi) Tj ET");
    } else if (num == 5) {
      b.Object(5, kFont);
    } else {
      b.Object(6, "<< /Producer (p) >>");
    }
  };
  for (int num = 3; num <= 6; ++num) {
    if (num != last) {
      add(num);
    }
  }
  add(last);
  b.XRefTable("/Root 1 0 R /Info 6 0 R");
  std::string bytes = b.Bytes();
  const size_t at = bytes.rfind("endobj", bytes.find("\nxref"));
  return bytes.replace(at, 6, "      ");
}

// The one-page file with a /Info dictionary and, after it, object 7 holding value and then
// object 8.
std::string ObjectLeftOpen(const std::string& value, const std::string& next = "<< /Title (t) >>") {
  PdfBuilder b = OnePage(kPage, kFont, [&](PdfBuilder& p) {
    p.Object(6, "<< /Producer (p) /Subject 7 0 R >>").Object(7, value);
    p.Object(8, next);
  });
  return Finish(b);
}

INSTANTIATE_TEST_SUITE_P(
    MissingEndobj,
    ObjectBoundsTest,
    testing::Values(BoundsCase{"InfoLastBeforeXRef", [] { return LastWithoutEndobj(6); }},
                    BoundsCase{"PageLastBeforeXRef", [] { return LastWithoutEndobj(3); }},
                    BoundsCase{"ContentLastBeforeXRef", [] { return LastWithoutEndobj(4); }}),
    [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// A dictionary or array left open ends where its object does, not at a ">>" of the objects
// after it (readers take such an object for null); what no framing keeps apart is refused.
INSTANTIATE_TEST_SUITE_P(
    LeftOpen,
    ObjectBoundsTest,
    testing::Values(BoundsCase{"DictLeftOpenBeforeEndobj",
                               [] { return ObjectLeftOpen("<< /Producer (p) /Keywords << /A 1"); }},
                    BoundsCase{"ArrayLeftOpenBeforeNextObject",
                               [] {
                                 std::string bytes = ObjectLeftOpen("[1 2 (x)");
                                 const size_t at = bytes.find("endobj", bytes.find("7 0 obj"));
                                 return bytes.replace(at, 6, "      ");
                               }},
                    // A string open to the next object (which a stray ")" would close): no
                    // framing keeps the two apart.
                    BoundsCase{"StringLeftOpenToNextObject",
                               [] { return ObjectLeftOpen("[1 (abc", "<< /Title (t)) >>"); },
                               "PDF file was damaged"},
                    // A name that runs into the next object's header ends there, for the
                    // copy and the reader alike: the /Pages node does not take page 3's
                    // /Resources, so page 6 has none.
                    BoundsCase{"NameRunsIntoNextHeader",
                               [] {
                                 PdfBuilder b;
                                 b.Header().Object(1, kCatalog);
                                 b.Object(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /X /Y");
                                 b.Object(3, kPage).Stream(4, "", "BT ET").Object(5, kFont);
                                 b.Object(6, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 9 9] >>");
                                 b.XRefTable("/Root 1 0 R");
                                 return Patch(b.Bytes(), "2 0 obj", "/Y\nendobj\n", "/YYYYYYYYY");
                               },
                               "Resources are not found"},
                    // ">>" closes no array; "startxref" leaves the trailer's /ID open.
                    BoundsCase{"TrailerIdLeftOpen",
                               [] {
                                 PdfBuilder b = OnePage();
                                 b.XRefTable("/Root 1 0 R /ID [<00> (x)");
                                 return b.Bytes();
                               },
                               "PDF file was damaged"}),
    [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// Object-stream members whose last byte would swallow an "endobj" written right after them.
std::string MemberEndingIn(const std::string& member) {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog);
  b.ObjectStream(8, {{2, kPages}, {3, kPage}, {5, kFont}, {6, member}}, false);
  b.Stream(4, "", "BT /F1 12 Tf 10 10 Td (Hi) Tj ET");
  b.XRefStream(9, "/Root 1 0 R");
  return b.Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    ObjectStreamMembers,
    ObjectBoundsTest,
    testing::Values(BoundsCase{"Percent", [] { return MemberEndingIn("[1 2] %"); }},
                    BoundsCase{"OpenParenthesis", [] { return MemberEndingIn("[1 2] ("); }},
                    BoundsCase{"Slash", [] { return MemberEndingIn("/Name /"); }},
                    // Inside its value: no framing keeps the string from the "endobj".
                    BoundsCase{"HexStringInsideValue", [] { return MemberEndingIn("<< /A <4"); },
                               "PDF file was damaged"},
                    // Poppler closes it where the stream ends; framed in the file it would
                    // run on into the objects after it.
                    BoundsCase{"DictionaryLeftOpen",
                               [] { return MemberEndingIn("<< /A [1] /B 2"); },
                               "PDF file was damaged"}),
    [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// A value nested depth arrays deep whose innermost holds a ">>": readers take it for an
// element (it closes nothing), so the array goes on to its last "]" and what stands before it
// (a /Rotate, a ">>") neither is a key nor closes the dictionary.
std::string DeepValueWithStrayClose(const std::string& before_last_bracket, int depth = 65) {
  return " /A " + std::string(depth, '[') + ">>" + std::string(depth - 1, ']') + " " +
         before_last_bracket + " ] >>";
}

INSTANTIATE_TEST_SUITE_P(
    DeepStrayClose,
    ObjectBoundsTest,
    testing::Values(
        BoundsCase{"PageStoredDirectly",
                   [] {
                     std::string page = kPage;
                     page.resize(page.size() - 3);
                     PdfBuilder b = OnePage(page + DeepValueWithStrayClose("/Rotate 0"));
                     b.XRefTable("/Root 1 0 R");
                     return b.Bytes();
                   }},
        BoundsCase{"ObjectStreamMember",
                   [] { return MemberEndingIn("<< /B 1" + DeepValueWithStrayClose(">> (x)")); }},
        // Deeper than the parser reads: no page uses it, and it is still copied whole.
        BoundsCase{
            "ObjectStreamMemberDeeperThanParsed",
            [] { return MemberEndingIn("<< /B 1" + DeepValueWithStrayClose(">> (x)", 300)); }}),
    [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// The page's entry made wrong in one way: the page is still found by its header.
std::string MisplacedPage(const std::function<std::string(const PdfBuilder&)>& damage) {
  PdfBuilder b = OnePage();
  b.XRefTable("/Root 1 0 R");
  return damage(b);
}

INSTANTIATE_TEST_SUITE_P(MisplacedObjects,
                         ObjectBoundsTest,
                         testing::Values(BoundsCase{"OffsetInsideAnotherObject",
                                                    [] {
                                                      return MisplacedPage([](const PdfBuilder& b) {
                                                        return MoveEntry(b, 3, b.Offset(2) + 9);
                                                      });
                                                    }},
                                         BoundsCase{"OffsetPastThirtyOneBits",
                                                    [] {
                                                      return MisplacedPage([](const PdfBuilder& b) {
                                                        return MoveEntry(b, 3, 3000000000LL);
                                                      });
                                                    }},
                                         BoundsCase{"TwoEntriesOneOffset",
                                                    [] {
                                                      return MisplacedPage([](const PdfBuilder& b) {
                                                        return MoveEntry(b, 3, b.Offset(2));
                                                      });
                                                    }},
                                         // The object stream is read past the entry that
                                         // leads into its body, to the next header.
                                         BoundsCase{
                                             "OffsetInsideObjectStreamBody",
                                             [] {
                                               PdfBuilder b;
                                               b.Header().Object(1, kCatalog);
                                               b.ObjectStream(8, {{2, kPages}, {3, kPage}}, false);
                                               b.Stream(4, "", "BT ET").Object(5, kFont);
                                               b.HybridSection(9, "/Root 1 0 R");
                                               const size_t inside = b.Bytes().find("/Type /Pages");
                                               return MoveEntry(b, 5,
                                                                static_cast<long long>(inside));
                                             }}),
                         [](const testing::TestParamInfo<BoundsCase>& p) { return p.param.name; });

// Where qpdf gives up on an entry (offset 0 reads as null; a generation the entry does not give
// reads as null beside the object under its own), poppler finds the object by its header, and
// so does the copy: the page keeps its content and turns.
TEST(MisplacedObjectTest, FoundByHeaderWhereQpdfGivesUp) {
  TempDir dir;
  PdfBuilder zero = OnePage();
  zero.XRefTable("/Root 1 0 R");
  const std::string in = dir.Write("in.pdf", MoveEntry(zero, 3, 0));
  const std::string out = dir.Path("out.pdf");
  ASSERT_EQ("", RunQuillturn("'" + in + "' '" + out + "' /r90").output);
  EXPECT_EQ("90,", PdfinfoRotations(out));
  EXPECT_EQ("", RunCommand("qpdf --check '" + out + "' 2>&1 >/dev/null").output);
  EXPECT_NE(std::string::npos,
            RunCommand("qpdf --show-object=3 '" + out + "'").output.find("/Contents 4 0 R"));

  // The entry says generation 0; the only object 6 is generation 1, copied as such.
  PdfBuilder gen = OnePage(kPage, kFont, [](PdfBuilder& p) { p.Object(6, "(six)", 1); });
  gen.XRefTable("/Root 1 0 R");
  const std::string row = Row(gen, 6);
  dir.Write("in.pdf", Patch(gen.Bytes(), "xref", row + " 00001 n", row + " 00000 n"));
  ASSERT_EQ("", RunQuillturn("'" + in + "' '" + out + "' /r90").output);
  EXPECT_EQ("", RunCommand("qpdf --check '" + out + "' 2>&1 >/dev/null").output);
  EXPECT_EQ("(six)\n", RunCommand("qpdf --show-object=6,1 '" + out + "'").output);
}

}  // namespace
