// Page trees, page counts, headers and trailers that a byte search misreads: each file is built
// here, run through the binary, and its output judged by what qpdf and pdfinfo show.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "copy_case.h"
#include "faithful_copy.h"
#include "fixtures.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

using Objects = std::vector<std::pair<int, std::string>>;

const char* kKidsTwice = "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>";
const char* kDirectKid =
    "<< /Type /Pages /Count 2 /Kids [3 0 R << /Type /Page /Resources << >> >>] >>";

// Catalog 1, page-tree root 2, then the other objects, in one classic section.
std::string Tree(const std::string& catalog,
                 const std::string& pages = kKidsTwice,
                 const Objects& more = {{3, kPage}}) {
  PdfBuilder b;
  b.Header().Object(1, catalog).Object(2, pages);
  for (const auto& [num, body] : more) {
    b.Object(num, body);
  }
  return Finish(b);
}

// One page holding entries.
std::string PageFile(const std::string& entries) {
  return Finish(OnePage(PageWith(entries)));
}

// One page, /Info object 4 of generation gen and the trailer entries given, listed in a classic
// table or in a cross-reference stream with four-byte generations.
std::string WithTrailer(const std::string& entries, bool stream = false, int gen = 0) {
  PdfBuilder b = OnePage();
  b.Object(4, "<< /Producer (gen) >>", gen);
  PdfBuilder::XRefLayout layout;
  layout.widths[2] = 4;
  const std::string trailer = "/Root 1 0 R " + entries;
  return (stream ? b.XRefStream(5, trailer, layout) : b.XRefTable(trailer)).Bytes();
}

std::string WithGeneration(int gen) {
  return WithTrailer("/Info 4 " + std::to_string(gen) + " R", false, gen);
}

// One page, with objects 4 and 40 that an update frees.
std::string TrailingFreeNumbers() {
  PdfBuilder b = OnePage();
  b.Object(4, "(four)").Object(40, "(forty)").XRefTable("/Root 1 0 R");
  return b.Free(4).Free(40).XRefTable("/Root 1 0 R").Bytes();
}

std::string CarriageReturns(std::string bytes) {
  std::replace(bytes.begin(), bytes.end(), '\n', '\r');
  return bytes;
}

const PageAngles kOne = {{1, 90}};
// The rest of a tall page that its /Rotate 90 shows as landscape, turned to 180.
const std::string kTall = " /Parent 2 0 R /MediaBox [0 0 200 300] /Resources << >> >>";
const PageAngles kHalf = {{1, 180}};
const PageAngles kBoth = {{1, 90}, {2, 90}};  // page 3, listed twice

INSTANTIATE_TEST_SUITE_P(
    PageTree,
    CopyTest,
    testing::Values(
        // A page object reached twice is turned when either of its places is chosen.
        Copied("SharedByTwoParentsSecondChosen",
               Tree(kCatalog,
                    "<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>",
                    {{3, kPage},
                     {4, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"},
                     {5, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"}}),
               "/p2 /r90",
               kBoth),
        // /Resources is inheritable, from any ancestor.
        Copied("ResourcesOnGrandparent",
               Tree(kCatalog,
                    "<< /Type /Pages /Kids [4 0 R] /Count 1 /Resources << >> >>",
                    {{4, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources 9 >>"},
                     {3, "<< /Type /Page /MediaBox [0 0 200 300] >>"}}),
               "/r90",
               kOne),
        // The catalog's /Pages and the root's /Count are read as readers read them.
        Copied("PagesKeyEscaped", Tree("<< /Type /Catalog /Pa#67es 2 0 R >>"), "/p2 /r90", kBoth),
        Copied("PagesKeyInStringFirst",
               Tree("<< /Type /Catalog /Lang (/Pages 9 0 R) /Pages 2 0 R >>"),
               "/p2 /r90",
               kBoth),
        Copied("CountInComment",
               Tree(kCatalog, "<< /Type /Pages % /Count 1\n/Kids [3 0 R 3 0 R] /Count 2 >>"),
               "/p1-2 /r90",
               kBoth),
        // A reference to a number no section defines is null, wherever it stands.
        Copied("ReferencesPastTheTable",
               Tree("<< /Type /Catalog /Pages 2 0 R /Outlines 50 0 R /Names 51 0 R >>",
                    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                    {{3, "<< /Type /Page /Resources << >> /Rotate 52 0 R >>"}}),
               "-portrait /r90",
               kOne),
        // A page written inside /Kids has no object to patch: it cannot be chosen.
        CopyCase{"DirectKidCannotBeChosen", Tree(kCatalog, kDirectKid), "/p2 /r90", kDamaged,
                 std::nullopt, "", nullptr},
        Copied("PageBesideADirectKid", Tree(kCatalog, kDirectKid), "/p1 /r90", kOne),
        Copied("CountIndirect",
               Tree(kCatalog,
                    "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 4 0 R >>",
                    {{3, kPage}, {4, "2"}}),
               "/p2 /r90",
               kBoth)),
    CopyCaseName);

INSTANTIATE_TEST_SUITE_P(
    Rotate,
    CopyTest,
    testing::Values(
        // The same /Rotate value twice is no doubt (two values: catalog_test's TwoRotates).
        Copied("RepeatedKeyWithOneValue",
               PageFile("/Resources << >> /Rotate 90 /Rotate 90"),
               "-landscape /r180",
               PageAngles{{1, 180}}),
        Copied("PlusSignIsLandscape",
               PageFile("/Resources << >> /Rotate +90"),
               "-landscape /r180",
               PageAngles{{1, 180}})),
    CopyCaseName);

INSTANTIATE_TEST_SUITE_P(
    HeaderAndTrailer,
    CopyTest,
    testing::Values(
        Refused("NoHeader", "%XDF" + Finish(OnePage()).substr(4), kDamaged),
        // Every line, the header's too, ended by a CR alone: the version ends there.
        Copied("CarriageReturnLineEnds", CarriageReturns(Finish(OnePage())), "/r90", kOne),
        // There a comment inside the page ends at a CR too: the /Rotate after it counts.
        Copied("CommentEndedByCarriageReturn",
               CarriageReturns(Finish(OnePage("<< /Type /Page % note\n/Rotate 90" + kTall))),
               "-landscape /r180",
               kHalf),
        // A form feed ends the header line as a line end would: the version is "1.4".
        Copied("FormFeedEndsTheHeaderLine",
               Patched(Finish(OnePage()),
                       "",
                       "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n",
                       "%PDF-1.4\f%\xE2\xE3\xCF\xD3\f"),
               "/r90",
               kOne),
        // A form feed is white space, between a dictionary's tokens and in an object's header.
        Copied("FormFeedsBetweenTokens",
               Patched(Finish(OnePage("<< /Type\f/Page\f/Rotate\f90" + kTall)),
                       "",
                       "3 0 obj",
                       "3\f0\fobj"),
               "-landscape /r180",
               kHalf),
        // Five digits is all a table line holds: a larger generation cannot be listed.
        Copied("GenerationFiveDigits", WithGeneration(99999), "/r90", kOne),
        Refused("GenerationSixDigits", WithGeneration(100000), kDamaged),
        Refused("GenerationNegative", WithGeneration(-1), kDamaged),
        // The trailer's values go out as the input writes them: a direct /Info, numbers beyond
        // 32 bits, strings as written.
        Copied("TrailerAsWritten",
               WithTrailer("/ID [(a\\)b) <00ff 1>] /Info << /Title (How endobj ends) /Producer "
                           "<4142> /N 4294967386 /R [-2.5] >>"),
               "/r90",
               kOne,
               "/ID [(a\\)b) <00ff 1>]\n/Info << /Title (How endobj ends) /Producer <4142> /N "
               "4294967386 /R [-2.5] >>"),
        // /Prev 0 names no earlier section.
        Copied("PrevZero", WithTrailer("/Prev 0"), "/r90", kOne),
        // Numbers freed by an update at the top of the table: /Size ends where the copy's
        // table does.
        Copied("TrailingFreeNumbers", TrailingFreeNumbers(), "/r90", kOne),
        Copied("TrailerAsWrittenInStream",
               WithTrailer("/Info << /Title (T) /N 4294967386 >> /ID 77777777777777777", true),
               "/r90",
               kOne,
               "/ID 77777777777777777\n/Info << /Title (T) /N 4294967386 >>")),
    CopyCaseName);

}  // namespace
