#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "document/cpdf_catalog.h"
#include "fixtures.h"
#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"

namespace {

TEST(CatalogTest, PageRefsFollowTypedNodesWithInheritedRotation) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog);
  b.Object(2,
           "<< /Type /Pages /Rotate 180 /Count 5 /Kids [3 0 R 4 0 R 5 0 R 6 0 R "
           "<< /Type /Page /Resources << >> >>] >>");
  b.Object(3, "<< /Type /Page /Resources << >> /Rotate -90 >>");
  // A node of another type: its pages are checked but not counted for rotation.
  b.Object(4, "<< /Type /Other /Kids [7 0 R] >>");
  // An untyped node with /Kids is walked like /Pages and passes its own rotation down.
  b.Object(5, "<< /Kids [8 0 R] /Rotate 90 >>");
  b.Object(6, "<< /Type /Page /Resources << >> /Rotate 45.0 >>");
  b.Object(7, "<< /Type /Page /Resources << >> >>");
  b.Object(8, "<< /Type /Page /Resources << >> >>");
  b.XRefTable("/Root 1 0 R");
  OpenPdf pdf(b.Bytes());
  ASSERT_EQ("", pdf.TryOpen());
  std::string refs;
  for (const PageRef& r : pdf.doc.GetCatalog()->GetPageRefs()) {
    refs += std::to_string(r.object_number) + ":" + std::to_string(r.rotation) + " ";
  }
  EXPECT_EQ("3:-90 8:90 6:180 -1:180 ", refs);
}

// Catalogs and page trees the walk refuses, each with its one line: catalog 1 over node 2,
// pages 3 and 4, and page 5 whose /Annots is a dictionary.
struct RefusedCase {
  std::string name;
  std::string catalog;
  std::string pages;
  std::string message;
  std::string page = kPage;
};
PRINT_CASE_BY_NAME(RefusedCase)

class CatalogRefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(CatalogRefusedTest, RefusedWithItsMessage) {
  const RefusedCase& c = GetParam();
  PdfBuilder b;
  b.Header().Object(1, c.catalog).Object(2, c.pages).Object(3, c.page).Object(4, kPage);
  b.Object(5, "<< /Type /Page /Resources << >> /Annots << >> >>");
  OpenPdf pdf(Finish(b));
  EXPECT_EQ(c.message, pdf.TryOpen());
  EXPECT_EQ(nullptr, pdf.doc.GetCatalog());
}

const char* kKids = "Kids CPdfObject is wrong type";

INSTANTIATE_TEST_SUITE_P(
    Messages,
    CatalogRefusedTest,
    testing::Values(
        RefusedCase{"Catalog", "[1]", kPages, "Catalog CPdfObject is wrong type"},
        RefusedCase{"Pages", "<< /Pages [2 0 R] >>", kPages,
                    "Top-level pages CPdfObject is wrong type"},
        RefusedCase{"Count", kCatalog, "<< /Type /Pages /Kids [3 0 R] /Count /N >>",
                    "Page count in top-level pages CPdfObject is wrong type"},
        RefusedCase{"Kids", kCatalog, "<< /Type /Pages /Count 1 >>", kKids},
        RefusedCase{"Kid", kCatalog, "<< /Type /Pages /Kids [0 0 R] /Count 1 >>",
                    "Kid CPdfObject is wrong type"},
        RefusedCase{"Annots", kCatalog, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>",
                    "Page annotations object (page 3) is wrong type"},
        RefusedCase{"TreeCycle", kCatalog, kPages, kKids, "<< /Type /Pages /Kids [2 0 R] >>"}),
    CaseName<RefusedCase>);

using Objects = std::vector<std::pair<int, std::string>>;

// Catalog 1, then objects written in the file or in object stream 20, listed by a
// cross-reference stream.
std::string FileOf(const Objects& objects, bool in_stream) {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog);
  if (in_stream) {
    b.ObjectStream(20, objects);
  } else {
    for (const auto& [num, body] : objects) {
      b.Object(num, body);
    }
  }
  return b.XRefStream(30, "/Root 1 0 R").Bytes();
}

// What the walk reads of a page, whether the scanner noted it on its way over the page or the
// walk parsed the page itself: both must read every spelling alike. Node 2 turns its pages by
// 180 and has no /Resources; objects 9 to 12 are what references in the page lead to.
struct PageCase {
  std::string name;
  std::string page;
  std::string read;  // "rotation" of page 3, or the message the file is refused with
};
PRINT_CASE_BY_NAME(PageCase)

class PageReadTest : public testing::TestWithParam<std::tuple<PageCase, bool>> {};

TEST_P(PageReadTest, GivesWhatTheParsedPageSays) {
  const auto& [c, in_stream] = GetParam();
  OpenPdf pdf(FileOf({{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Rotate 180 >>"},
                      {3, c.page},
                      {9, "270"},
                      {10, "<< >>"},
                      {11, "5"},
                      {12, "/Page"}},
                     in_stream));
  std::string read = pdf.TryOpen();
  if (read.empty()) {
    for (const PageRef& r : pdf.doc.GetCatalog()->GetPageRefs()) {
      read += std::to_string(r.rotation);
    }
  }
  EXPECT_EQ(c.read, read);
}

std::string Page(const std::string& entries) {
  return "<< /Type /Page " + entries + " >>";
}
const std::string kNoResources = "Resources are not found";

INSTANTIATE_TEST_SUITE_P(
    Spellings,
    PageReadTest,
    testing::Combine(
        testing::Values(
            PageCase{"PlainRotate", Page("/Resources << >> /Rotate 90"), "90"},
            PageCase{"TwoRotates", Page("/Rotate 90 /Resources << >> /Rotate 270"), kDamaged},
            PageCase{"OneRotateTwice", Page("/Rotate 90 /Resources << >> /Rotate 90"), "90"},
            PageCase{"EscapedKey", Page("/Resources << >> /Rot#61te 90"), "90"},
            PageCase{"RealRotate", Page("/Resources << >> /Rotate 90.0"), "180"},
            PageCase{"RotatePast32Bits", Page("/Resources << >> /Rotate 4294967386"), "180"},
            PageCase{"RotateLeadingZeros", Page("/Resources << >> /Rotate 000000000000090"), "90"},
            PageCase{"RotateByReference", Page("/Resources << >> /Rotate 9 0 R"), "270"},
            PageCase{"RotateName", Page("/Resources << >> /Rotate /R90"), "180"},
            PageCase{"KeyWithoutValue", Page("/Resources << >> /Rotate"), "180"},
            PageCase{"KeyBeforeStrayByte", Page("/Resources << >> /Rotate ) 90"), "180"},
            PageCase{"EscapedType", "<< /Type /Pag#65 /Resources << >> /Rotate 90 >>", "90"},
            PageCase{"TypeByReference", "<< /Type 12 0 R /Resources << >> /Rotate 90 >>", "90"},
            PageCase{"TwoTypes", Page("/Type /Pages /Resources << >> /Rotate 90"), kDamaged},
            PageCase{"Unclosed", "<< /Type /Page /Resources << >> /Rotate 90", "90"},
            PageCase{"FollowedByStream", Page("/Resources << >> /Rotate 90") + " stream",
                     "Kid CPdfObject is wrong type"},
            PageCase{"NoResources", Page("/Rotate 90"), kNoResources},
            PageCase{"ResourcesByReference", Page("/Resources 10 0 R"), "180"},
            PageCase{"ResourcesReferenceNoDictionary", Page("/Resources 11 0 R"), kNoResources},
            PageCase{"ResourcesArray", Page("/Resources [ ]"), kNoResources},
            PageCase{"AnnotsNull", Page("/Resources << >> /Annots null"), "180"},
            PageCase{"AnnotsDictionary", Page("/Resources << >> /Annots << >>"),
                     "Page annotations object (page 1) is wrong type"},
            PageCase{"DeepValue",
                     Page("/Resources << >> /A " + std::string(300, '[') + std::string(300, ']')),
                     "Objects nested too deeply"}),
        testing::Bool()),
    NameAndForm<PageCase>);

// The box a page shows, read with its rotation's walk: node 2 over node 3 over page 4, the
// entries of each given; objects 9 to 12 are what references lead to.
struct BoxCase {
  std::string name;
  std::string root;
  std::string node;
  std::string page;
  std::string size;  // "width x height", "0x0" without a usable box
};
PRINT_CASE_BY_NAME(BoxCase)

class PageBoxTest : public testing::TestWithParam<std::tuple<BoxCase, bool>> {};

TEST_P(PageBoxTest, ShowsTheCropBoxWithinTheMediaBox) {
  const auto& [c, in_stream] = GetParam();
  OpenPdf pdf(FileOf({{2, "<< /Type /Pages /Kids [3 0 R] /Count 1 " + c.root + " >>"},
                      {3, "<< /Type /Pages /Kids [4 0 R] /Count 1 " + c.node + " >>"},
                      {4, "<< /Type /Page /Resources << >> " + c.page + " >>"},
                      {9, "[0 0 300 400]"},
                      {10, "300"},
                      {11, "<< >>"},
                      {12, "[0 0 10 0 R 400]"}},
                     in_stream));
  ASSERT_EQ("", pdf.TryOpen(true));
  const PageSize& page = pdf.doc.GetCatalog()->GetPageSizes().at(0);
  std::ostringstream size;
  size << page.width << "x" << page.height;
  EXPECT_EQ(c.size, size.str());
}

const std::string kLetter = "/MediaBox [0 0 612 792]";

INSTANTIATE_TEST_SUITE_P(
    Boxes,
    PageBoxTest,
    testing::Combine(
        testing::Values(
            BoxCase{"OwnMediaBox", "", "", kLetter, "612x792"},
            BoxCase{"InheritedTwoLevels", kLetter + " /CropBox [0 0 612 300]", "", "", "612x300"},
            BoxCase{"NearestAncestorWins", kLetter, "/MediaBox [0 0 100 200]", "", "100x200"},
            BoxCase{"OwnCropOverInherited", "/CropBox [0 0 10 10]", "",
                    kLetter + " /CropBox [0 0 612 300]", "612x300"},
            BoxCase{"CropTrimmedToMedia", "", "",
                    "/MediaBox [0 0 600 800] /CropBox [-9 -9 2000 400]", "600x400"},
            BoxCase{"CropOutsideMedia", "", "", "/MediaBox [0 0 100 100] /CropBox [200 0 300 50]",
                    "0x0"},
            BoxCase{"CropWithoutMedia", "", "", "/CropBox [0 0 50 80]", "50x80"},
            BoxCase{"Reals", "", "", "/MediaBox [0.5 0 612.25 792.75]", "611.75x792.75"},
            BoxCase{"CornersReversed", "", "", "/MediaBox [612 792 0 0]", "612x792"},
            BoxCase{"CornersCrossed", "", "", "/MediaBox [0 792 612 0]", "612x792"},
            BoxCase{"BoxByReference", "", "/MediaBox 9 0 R", "", "300x400"},
            BoxCase{"NumberByReference", "", "", "/MediaBox 12 0 R", "300x400"},
            BoxCase{"UnusableOwnBoxLeavesTheInherited", kLetter, "", "/MediaBox [0 0 100]",
                    "612x792"},
            BoxCase{"NoBox", "", "", "", "0x0"},
            BoxCase{"NameInBox", "", "", "/MediaBox [0 0 /W 100]", "0x0"},
            BoxCase{"FiveNumbers", "", "", "/MediaBox [0 0 100 100 100]", "0x0"},
            BoxCase{"NoWidth", "", "", "/MediaBox [5 0 5 300]", "0x0"},
            // A box of no area is still the page's own: it hides the inherited one.
            BoxCase{"OwnBoxWithoutWidthOverInherited", kLetter, "", "/MediaBox [0 0 0 500]", "0x0"},
            BoxCase{"CropWithoutHeight", "", "", kLetter + " /CropBox [0 0 612 0]", "0x0"},
            BoxCase{"DictionaryByReference", "", "", "/MediaBox 11 0 R", "0x0"}),
        testing::Bool()),
    NameAndForm<BoxCase>);

}  // namespace
