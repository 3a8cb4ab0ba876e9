#include <gtest/gtest.h>

#include "document/cpdf_catalog.h"
#include "open_pdf.h"
#include "pdf_builder.h"

namespace {

TEST(CatalogTest, PagesInDocumentOrderWithTheirOwnRotationNormalised) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 9 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R 10 0 R 4 0 R] /Count 6.0 /Rotate 90 >>");
  b.Object(3, "<< /Type /Page /Resources << >> /Rotate -90 /Contents << >> >>");
  b.Object(10, "<< /Type /Pages /Kids [5 0 R 6 0 R 7 0 R] >>");
  b.Object(5, "<< /Type /Page /Resources 8 0 R /Rotate 450 /Contents [11 0 R] >>");
  b.Object(6, "<< /Type /Page /Resources << >> /Rotate 720 /Annots 12 0 R >>");
  b.Object(7, "<< /Type /Page /Resources << >> /Rotate 90.0 >>");
  b.Object(4, "<< /Type /Page /Resources << >> /Rotate 45 /Contents 11 0 R >>");
  b.Object(8, "<< >>").Object(9, "<< /Count 0 >>");
  b.XRefTable("/Root 1 0 R");
  OpenPdf pdf(b.Bytes());
  ASSERT_EQ("", pdf.TryOpen());
  const auto& pages = pdf.doc.GetCatalog()->GetPages();
  ASSERT_EQ(5u, pages.size());
  const int expected[] = {270, 90, 0, 0, 45};
  for (size_t i = 0; i < pages.size(); ++i) {
    EXPECT_EQ(expected[i], pages[i].GetRotation()) << i;
    EXPECT_EQ(static_cast<int>(i + 1), pages[i].GetNumber());
  }
  EXPECT_EQ(PDF_NULL, pages[0].GetContents().GetKind());  // a dictionary is not kept
  EXPECT_EQ(PDF_ARRAY, pages[1].GetContents().GetKind());
  EXPECT_EQ(PDF_REF, pages[2].GetAnnotations().GetKind());
  EXPECT_EQ(PDF_DICT, pages[1].GetResources().GetKind());
  EXPECT_EQ(PDF_DICT, pdf.doc.GetCatalog()->GetOutlines().GetKind());
  EXPECT_EQ(PDF_NULL, pdf.doc.GetCatalog()->GetDests().GetKind());
}

TEST(CatalogTest, PageRefsFollowTypedNodesWithInheritedRotation) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
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
  EXPECT_EQ(5u, pdf.doc.GetCatalog()->GetPages().size());
}

}  // namespace
