#include <gtest/gtest.h>

#include "document/cpdf_catalog.h"
#include "fixtures.h"
#include "open_pdf.h"
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

}  // namespace
