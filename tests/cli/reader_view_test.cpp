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
const char* kKidsTwice = "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>";
const char* kDamaged = "PDF file was damaged";

// Catalog 1, page-tree root 2, then the other objects, in one classic section.
std::string Tree(const std::string& catalog, const std::string& pages, const Objects& more) {
  PdfBuilder b;
  b.Header().Object(1, catalog).Object(2, pages);
  for (const auto& [num, body] : more) {
    b.Object(num, body);
  }
  return b.XRefTable("/Root 1 0 R").Bytes();
}

// One page whose dictionary ends with page_extra, below a root that holds pages_extra.
std::string OnePage(const std::string& page_extra, const std::string& pages_extra = "") {
  return Tree(kCatalog, "<< /Type /Pages /Kids [3 0 R] /Count 1 " + pages_extra + ">>",
              {{3, "<< /Type /Page /MediaBox [0 0 200 300] " + page_extra + " >>"}});
}

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

struct Case {
  const char* name;
  std::string input;
  const char* options;
  const char* message;     // "" when the copy must succeed
  PageAngles rotated;      // the pages whose object is turned, with their angle
  const char* holds = "";  // bytes the output holds as the input has them
};

// A copy that succeeds; a run refused with message.
Case Copy(const char* name,
          std::string input,
          const char* options,
          PageAngles rotated,
          const char* holds = "") {
  return {name, std::move(input), options, "", std::move(rotated), holds};
}
Case Refused(const char* name, std::string input, const char* message) {
  return {name, std::move(input), "/r90", message, {}};
}

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class ReaderViewTest : public testing::TestWithParam<Case> {};

TEST_P(ReaderViewTest, CopyShowsWhatReadersShow) {
  const Case& c = GetParam();
  TempDir dir;
  const std::string in = dir.Write("in.pdf", c.input);
  const std::string out = dir.Path("out.pdf");
  ASSERT_EQ(c.message, RunQuillturn("'" + in + "' '" + out + "' " + c.options).output);
  if (*c.message != '\0') {
    EXPECT_FALSE(FileExists(out));
    return;
  }
  ExpectFaithfulCopy(in, out, c.rotated);
  EXPECT_NE(std::string::npos, ReadFile(out).find(c.holds)) << c.holds;
}

std::string Name(const testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

const std::string kRepeated = "/Resources << >> /Rotate 90 /Rotate 0";

INSTANTIATE_TEST_SUITE_P(
    PageTree,
    ReaderViewTest,
    testing::Values(
        // A page object reached twice is turned when either of its places is chosen.
        Copy("KidsTwiceSecondChosen",
             Tree(kCatalog, kKidsTwice, {{3, kPage}}),
             "/p2 /r90",
             {{1, 90}, {2, 90}}),
        Copy("SharedByTwoParentsSecondChosen",
             Tree(kCatalog,
                  "<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>",
                  {{3, kPage},
                   {4, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"},
                   {5, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"}}),
             "/p2 /r270",
             {{1, 270}, {2, 270}}),
        // /Resources is inheritable, from any ancestor; a page without any is still refused.
        Copy("ResourcesOnParent", OnePage("", "/Resources << >> "), "/r90", {{1, 90}}),
        Copy("ResourcesOnGrandparent",
             Tree(kCatalog,
                  "<< /Type /Pages /Kids [4 0 R] /Count 1 /Resources << >> >>",
                  {{4, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources 9 >>"},
                   {3, "<< /Type /Page /MediaBox [0 0 200 300] >>"}}),
             "/r90",
             {{1, 90}}),
        Refused("ResourcesNowhere", OnePage(""), "Resources are not found")),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Rotate,
    ReaderViewTest,
    testing::Values(
        // Every /Rotate key of a chosen page gets the angle, whichever one a reader takes.
        Copy("RepeatedKeyAllReplaced", OnePage(kRepeated), "/r180", {{1, 180}}),
        // With a repeated key the first one is the page's rotation, as for every other key.
        Copy("RepeatedKeyFirstCountsLandscape", OnePage(kRepeated), "-landscape /r180", {{1, 180}}),
        Copy("RepeatedKeyFirstCountsNotPortrait", OnePage(kRepeated), "-portrait /r180", {}),
        Copy("PlusSignIsLandscape",
             OnePage("/Resources << >> /Rotate +90"),
             "-landscape /r180",
             {{1, 180}}),
        // Beyond 32 bits no reader takes the value: the page shows what it inherits.
        Copy("Beyond32BitsIsNotLandscape",
             OnePage("/Resources << >> /Rotate 4294967386"),
             "-landscape /r180",
             {}),
        Copy("Beyond32BitsInheritsLandscape",
             OnePage("/Resources << >> /Rotate 4294967296", "/Rotate 270 "),
             "-landscape /r0",
             {{1, 0}})),
    Name);

INSTANTIATE_TEST_SUITE_P(
    PageCount,
    ReaderViewTest,
    testing::Values(Copy("PagesKeyEscaped",
                         Tree("<< /Type /Catalog /Pa#67es 2 0 R >>", kKidsTwice, {{3, kPage}}),
                         "/p2 /r90",
                         {{1, 90}, {2, 90}}),
                    Copy("PagesKeyInStringFirst",
                         Tree("<< /Type /Catalog /Lang (/Pages 9 0 R) /Pages 2 0 R >>",
                              kKidsTwice,
                              {{3, kPage}}),
                         "/p2 /r90",
                         {{1, 90}, {2, 90}}),
                    Copy("CountInComment",
                         Tree(kCatalog,
                              "<< /Type /Pages % /Count 1\n/Kids [3 0 R 3 0 R] /Count 2 >>",
                              {{3, kPage}}),
                         "/p1-2 /r90",
                         {{1, 90}, {2, 90}}),
                    Copy("CountIndirect",
                         Tree(kCatalog,
                              "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 4 0 R >>",
                              {{3, kPage}, {4, "2"}}),
                         "/p2 /r90",
                         {{1, 90}, {2, 90}})),
    Name);

INSTANTIATE_TEST_SUITE_P(
    HeaderAndTrailer,
    ReaderViewTest,
    testing::Values(
        Refused("NoHeader", WithoutHeader(), kDamaged),
        // Five digits is all a table line holds: a larger generation cannot be listed.
        Copy("GenerationFiveDigits", WithGeneration(99999), "/r90", {{1, 90}}),
        Refused("GenerationSixDigits", WithGeneration(100000), kDamaged),
        Refused("GenerationNegative", WithGeneration(-1), kDamaged),
        Refused("GenerationSixDigitsInStream", WithGeneration(100000, true), kDamaged),
        Refused("GenerationFourBytesInStream", WithGeneration(2147483647, true), kDamaged),
        // The trailer's values go out as the input writes them: a direct /Info, numbers beyond
        // 32 bits, strings as written.
        Copy("InfoDirect",
             WithTrailer("/Info << /Title (How endobj ends) /Producer <4142> >>"),
             "/r90",
             {{1, 90}},
             "/Info << /Title (How endobj ends) /Producer <4142> >>"),
        Copy("InfoDirectInStream",
             WithTrailer("/Info << /Title (T) /N 4294967386 >> /ID [<00> (a\\)b)]", true),
             "/r90",
             {{1, 90}},
             "/Info << /Title (T) /N 4294967386 >>"),
        Copy("NumbersBeyond32Bits",
             WithTrailer("/ID 77777777777777777 /Info [4294967386 -2.5]"),
             "/r90",
             {{1, 90}},
             "/ID 77777777777777777"),
        Copy("IdStringsAsWritten",
             WithTrailer("/ID [(a\\)b) <00ff 1>]"),
             "/r90",
             {{1, 90}},
             "/ID [(a\\)b) <00ff 1>]")),
    Name);

}  // namespace
