// Page trees, page counts, headers and trailers that a byte search misreads: each file is built
// here, run through the binary, and its output judged by what qpdf and pdfinfo show.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "faithful_copy.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

using Objects = std::vector<std::pair<int, std::string>>;

const char* kCatalog = "<< /Type /Catalog /Pages 2 0 R >>";
const char* kPage = "<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> >>";

// Catalog 1, page-tree root 2, then the other objects, in one classic section.
std::string Tree(const std::string& catalog,
                 const std::string& pages,
                 const Objects& more,
                 const std::string& trailer = "/Root 1 0 R") {
  PdfBuilder b;
  b.Header().Object(1, catalog).Object(2, pages);
  for (const auto& [num, body] : more) {
    b.Object(num, body);
  }
  return b.XRefTable(trailer).Bytes();
}

std::string OnePage(const std::string& page, const std::string& pages_extra = "") {
  return Tree(kCatalog, "<< /Type /Pages /Kids [3 0 R] /Count 1 " + pages_extra + ">>",
              {{3, page}});
}

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

struct Case {
  const char* name;
  std::string input;
  const char* options;
  const char* message;     // "" when the copy must succeed
  PageAngles rotated;      // the pages whose object is turned, with their angle
  const char* rotations;   // the output's pages as pdfinfo shows them
  const char* holds = "";  // bytes the output holds as the input has them
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class ReaderViewTest : public testing::TestWithParam<Case> {};

TEST_P(ReaderViewTest, CopyShowsWhatReadersShow) {
  const Case& c = GetParam();
  TempDir dir;
  const std::string in = dir.Write("in.pdf", c.input);
  const std::string out = dir.Path("out.pdf");
  const CommandResult r = RunQuillturn(Quote(in) + " " + Quote(out) + " " + c.options);
  ASSERT_EQ(c.message, r.output);
  if (*c.message != '\0') {
    EXPECT_FALSE(FileExists(out));
    return;
  }
  ExpectFaithfulCopy(in, out, c.rotated);
  EXPECT_EQ(c.rotations, PdfinfoRotations(out));
  EXPECT_NE(std::string::npos, ReadFile(out).find(c.holds)) << c.holds;
}

std::string Name(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

const char* kKidsTwice = "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>";

INSTANTIATE_TEST_SUITE_P(
    PageTree,
    ReaderViewTest,
    testing::Values(
        // A page object reached twice is turned when either of its places is chosen.
        Case{"KidsTwiceSecondChosen",
             Tree(kCatalog, kKidsTwice, {{3, kPage}}),
             "/p2 /r90",
             "",
             {{1, 90}, {2, 90}},
             "90,90,"},
        Case{"SharedByTwoParentsSecondChosen",
             Tree(kCatalog,
                  "<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>",
                  {{3, kPage},
                   {4, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"},
                   {5, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"}}),
             "/p2 /r270",
             "",
             {{1, 270}, {2, 270}},
             "270,270,"},
        // /Resources is inheritable, from any ancestor; a page without any is still refused.
        Case{"ResourcesOnParent",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] >>", "/Resources << >> "),
             "/r90",
             "",
             {{1, 90}},
             "90,"},
        Case{"ResourcesOnGrandparent",
             Tree(kCatalog,
                  "<< /Type /Pages /Kids [4 0 R] /Count 1 /Resources << >> >>",
                  {{4, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources 9 >>"},
                   {3, "<< /Type /Page /MediaBox [0 0 200 300] >>"}}),
             "/r90",
             "",
             {{1, 90}},
             "90,"},
        Case{"ResourcesNowhere",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] >>"),
             "/r90",
             "Resources are not found",
             {},
             ""}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Rotate,
    ReaderViewTest,
    testing::Values(
        // Every /Rotate key of a chosen page gets the angle, whichever one a reader takes.
        Case{"RepeatedKeyAllReplaced",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> /Rotate 90 "
                     "/Rotate 0 >>"),
             "/r180",
             "",
             {{1, 180}},
             "180,"},
        // With a repeated key the first one is the page's rotation, as for every other key.
        Case{"RepeatedKeyFirstCountsLandscape",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> /Rotate 90 "
                     "/Rotate 0 >>"),
             "-landscape /r180",
             "",
             {{1, 180}},
             "180,"},
        Case{"RepeatedKeyFirstCountsNotPortrait",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> /Rotate 90 "
                     "/Rotate 0 >>"),
             "-portrait /r180",
             "",
             {},
             "0,"},
        Case{"PlusSignIsLandscape",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> /Rotate +90 >>"),
             "-landscape /r180",
             "",
             {{1, 180}},
             "180,"},
        // Beyond 32 bits no reader takes the value: the page shows what it inherits.
        Case{"Beyond32BitsIsNotLandscape",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> "
                     "/Rotate 4294967386 >>"),
             "-landscape /r180",
             "",
             {},
             "0,"},
        Case{"Beyond32BitsInheritsLandscape",
             OnePage("<< /Type /Page /MediaBox [0 0 200 300] /Resources << >> "
                     "/Rotate 4294967296 >>",
                     "/Rotate 270 "),
             "-landscape /r0",
             "",
             {{1, 0}},
             "0,"}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    PageCount,
    ReaderViewTest,
    testing::Values(Case{"PagesKeyEscaped",
                         Tree("<< /Type /Catalog /Pa#67es 2 0 R >>", kKidsTwice, {{3, kPage}}),
                         "/p2 /r90",
                         "",
                         {{1, 90}, {2, 90}},
                         "90,90,"},
                    Case{"PagesKeyInStringFirst",
                         Tree("<< /Type /Catalog /Lang (/Pages 9 0 R) /Pages 2 0 R >>",
                              kKidsTwice,
                              {{3, kPage}}),
                         "/p2 /r90",
                         "",
                         {{1, 90}, {2, 90}},
                         "90,90,"},
                    Case{"CountInComment",
                         Tree(kCatalog,
                              "<< /Type /Pages % /Count 1\n/Kids [3 0 R 3 0 R] /Count 2 >>",
                              {{3, kPage}}),
                         "/p1-2 /r90",
                         "",
                         {{1, 90}, {2, 90}},
                         "90,90,"},
                    Case{"CountIndirect",
                         Tree(kCatalog,
                              "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 4 0 R >>",
                              {{3, kPage}, {4, "2"}}),
                         "/p2 /r90",
                         "",
                         {{1, 90}, {2, 90}},
                         "90,90,"}),
    Name);

// One page and object 4 of generation gen, the /Info, listed in a classic table or in a
// cross-reference stream with four-byte generations.
std::string WithGeneration(int gen, bool stream = false) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, kPage).Object(4, "<< /Producer (gen) >>", gen);
  const std::string trailer = "/Root 1 0 R /Info 4 " + std::to_string(gen) + " R";
  PdfBuilder::XRefLayout layout;
  layout.widths[2] = 4;
  return (stream ? b.XRefStream(5, trailer, layout) : b.XRefTable(trailer)).Bytes();
}

// One page; the trailer entries given, in a classic trailer or a cross-reference stream's.
std::string WithTrailer(const std::string& entries, bool stream = false) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, kPage);
  const std::string trailer = "/Root 1 0 R " + entries;
  return (stream ? b.XRefStream(4, trailer) : b.XRefTable(trailer)).Bytes();
}

std::string WithoutHeader() {
  PdfBuilder b;
  b.Raw("%XDF-1.4\n").Object(1, kCatalog).Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  return b.Object(3, kPage).XRefTable("/Root 1 0 R").Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    HeaderAndTrailer,
    ReaderViewTest,
    testing::Values(
        Case{"NoHeader", WithoutHeader(), "/r90", "PDF file was damaged", {}, ""},
        // Five digits is all a table line holds: a larger generation cannot be listed.
        Case{"GenerationFiveDigits", WithGeneration(99999), "/r90", "", {{1, 90}}, "90,"},
        Case{"GenerationSixDigits", WithGeneration(100000), "/r90", "PDF file was damaged", {}, ""},
        Case{"GenerationNegative", WithGeneration(-1), "/r90", "PDF file was damaged", {}, ""},
        Case{"GenerationSixDigitsInStream",
             WithGeneration(100000, true),
             "/r90",
             "PDF file was damaged",
             {},
             ""},
        Case{"GenerationFourBytesInStream",
             WithGeneration(2147483647, true),
             "/r90",
             "PDF file was damaged",
             {},
             ""},
        // The trailer's values go out as the input writes them: a direct /Info, numbers beyond
        // 32 bits, strings as written.
        Case{"InfoDirect",
             WithTrailer("/Info << /Title (How endobj ends) /Producer <4142> >>"),
             "/r90",
             "",
             {{1, 90}},
             "90,",
             "/Info << /Title (How endobj ends) /Producer <4142> >>"},
        Case{"InfoDirectInStream",
             WithTrailer("/Info << /Title (T) /N 4294967386 >> /ID [<00> (a\\)b)]", true),
             "/r90",
             "",
             {{1, 90}},
             "90,",
             "/Info << /Title (T) /N 4294967386 >>"},
        Case{"NumbersBeyond32Bits",
             WithTrailer("/ID 77777777777777777 /Info [4294967386 -2.5]"),
             "/r90",
             "",
             {{1, 90}},
             "90,",
             "/ID 77777777777777777"},
        Case{"IdStringsAsWritten",
             WithTrailer("/ID [(a\\)b) <00ff 1>]"),
             "/r90",
             "",
             {{1, 90}},
             "90,",
             "/ID [(a\\)b) <00ff 1>]"}),
    Name);

}  // namespace
