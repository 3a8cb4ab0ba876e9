#include <gtest/gtest.h>

#include "open_pdf.h"
#include "pdf_builder.h"
#include "reader/cpdf_xref.h"

namespace {

struct MessageCase {
  const char* name;
  std::string bytes;
  const char* message;
};

std::string WithTable(const std::string& objects, const std::string& table) {
  PdfBuilder b;
  b.Header().Raw(objects);
  const int64_t at = b.Here();
  b.Raw(table).StartXRef(at);
  return b.Bytes();
}

std::string WithXRefStream(const std::string& dict, const std::string& data) {
  PdfBuilder b;
  b.Header();
  const int64_t at = b.Here();
  b.Raw("9 0 obj\n<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
        "\nendstream\nendobj\n");
  b.StartXRef(at);
  return b.Bytes();
}

std::string WithCatalog(const std::string& catalog,
                        const std::string& pages,
                        const std::string& page) {
  PdfBuilder b;
  b.Header().Object(1, catalog).Object(2, pages).Object(3, page).Object(4, kPageBody);
  b.Object(5, "<< /Type /Page /Resources << >> /Annots << >> >>");
  b.XRefTable("/Root 1 0 R");
  return b.Bytes();
}

std::vector<MessageCase> MessageCases() {
  const std::string cat = "<< /Type /Catalog /Pages 2 0 R >>";
  return {
      {"no startxref", "%PDF-1.4\nnothing here", "PDF file was damaged"},
      {"startxref 0", WithTable("", "") + "startxref\n0\n", "PDF file was damaged"},
      {"no root", WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\n"),
       "PDF file was damaged"},
      {"direct root", WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root << >> >>\n"),
       "PDF file was damaged"},
      {"section word", WithTable("", "hello\n"), "Couldn't parse an xref"},
      {"not a stream", WithTable("", "1 0 obj << /Size 1 >> endobj\n"),
       "Couldn't parse an xref stream"},
      {"bad entry", WithTable("", "xref\n0 1\n0000000000 65535 x \ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"negative count", WithTable("", "xref\n0 -1\ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"huge subsection", WithTable("", "xref\n8388600 100\ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"truncated table", WithTable("", "xref\n0 3\n0000000000 65535 f \n"),
       "Couldn't parse an xref table"},
      {"trailer array", WithTable("", "xref\n0 0\ntrailer\n[ ]\n"),
       "Trailer dictionary is wrong type"},
      // A root the table does not define is null, as every missing object is.
      {"root outside",
       WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root 7 0 R >>\n"),
       "Catalog CPdfObject is wrong type"},
      {"size", WithXRefStream("/Size /X /W [1 1 1]", ""), "Size of xref Stream is wrong type"},
      {"size huge", WithXRefStream("/Size 2147483647 /W [1 1 1]", ""),
       "Size of xref Stream is wrong type"},
      {"w kind", WithXRefStream("/Size 1 /W 3", ""), "W item of xref Stream is wrong type"},
      {"w element", WithXRefStream("/Size 1 /W [1 /A 1]", ""),
       "W item of xref Stream is wrong type"},
      {"w huge", WithXRefStream("/Size 1 /W [1 2147483647 1]", ""),
       "W item of xref Stream is wrong type"},
      {"w short", WithXRefStream("/Size 1 /W [1 2]", ""), "W item of xref Stream is wrong length"},
      {"w zero", WithXRefStream("/Size 8388607 /W [0 0 0] /Index [0 8388607]", ""),
       "W item of xref Stream is wrong type"},
      {"index", WithXRefStream("/Size 1 /W [1 1 1] /Index [0 (a)]", ""),
       "Index item of xref Stream is wrong type"},
      {"index huge", WithXRefStream("/Size 1 /W [1 1 1] /Index [2147483000 1000]", ""),
       "Index item of xref Stream is wrong type"},
      {"eof", WithXRefStream("/Size 2 /W [1 1 1]", std::string("\x01\x00\x00\x01", 4)),
       "Unexpected EOF while reading xref stream section"},
      // Each /Index pair is checked when its records are read: a short first subsection is
      // what the file is refused for, not the bad pair after it.
      {"eof before bad pair",
       WithXRefStream("/Size 2 /W [1 1 1] /Index [0 2 (a) 1]", std::string("\x01\x00\x00", 3)),
       "Unexpected EOF while reading xref stream section"},
      {"entry type", WithXRefStream("/Size 1 /W [1 1 1]", std::string("\x03\x00\x00", 3)),
       "Wrong type of xref XRefEntry while reading xref stream section"},
      {"catalog", WithCatalog("[1]", kPagesBody, kPageBody), "Catalog CPdfObject is wrong type"},
      {"pages", WithCatalog("<< /Pages [2 0 R] >>", kPagesBody, kPageBody),
       "Top-level pages CPdfObject is wrong type"},
      {"count", WithCatalog(cat, "<< /Type /Pages /Kids [3 0 R] /Count /N >>", kPageBody),
       "Page count in top-level pages CPdfObject is wrong type"},
      {"kids", WithCatalog(cat, "<< /Type /Pages /Count 1 >>", kPageBody),
       "Kids CPdfObject is wrong type"},
      {"kid", WithCatalog(cat, "<< /Type /Pages /Kids [0 0 R] /Count 1 >>", kPageBody),
       "Kid CPdfObject is wrong type"},
      {"annots",
       WithCatalog(cat, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>", kPageBody),
       "Page annotations object (page 3) is wrong type"},
      {"tree cycle",
       WithCatalog(cat, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Pages /Kids [2 0 R] >>"),
       "Kids CPdfObject is wrong type"},
  };
}

TEST(XRefTest, EveryOpeningMessageIsReachable) {
  for (const MessageCase& c : MessageCases()) {
    OpenPdf pdf(c.bytes);
    EXPECT_EQ(c.message, pdf.TryOpen()) << c.name;
    EXPECT_EQ(nullptr, pdf.doc.GetCatalog()) << c.name;
  }
}

}  // namespace
