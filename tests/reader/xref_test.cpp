#include <gtest/gtest.h>

#include "describe.h"
#include "document/cpdf_catalog.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "open_pdf.h"
#include "pdf_builder.h"
#include "reader/cpdf_xref.h"

namespace {

std::string Fetch(CPdfXRef* xref, int num, int gen = 0) {
  CPdfObject value;
  xref->GetObject(num, gen, value);
  return Describe(value);
}

PdfBuilder OnePage() {
  PdfBuilder b;
  b.Header()
      .Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
      .Object(2, kPagesBody)
      .Object(3, kPageBody);
  return b;
}

TEST(XRefTest, IncrementalUpdateNewestWinsAndFreedStaysFree) {
  PdfBuilder b = OnePage();
  b.Object(5, "(old)").Object(7, "(seven)").XRefTable("/Root 1 0 R /Info 5 0 R");
  b.Object(5, "(new)").Free(7).XRefTable("/Root 1 0 R");
  OpenPdf pdf(b.Bytes());
  ASSERT_EQ("", pdf.TryOpen());
  CPdfXRef* xref = pdf.doc.GetXRef();
  EXPECT_EQ("(new)", Fetch(xref, 5));
  EXPECT_EQ("null", Fetch(xref, 7));
  EXPECT_EQ("null", Fetch(xref, 5, 1));  // another generation
  EXPECT_EQ(1, xref->GetRootNum());
  EXPECT_EQ(0, xref->GetInfoNum());  // /Info only in the older trailer
  EXPECT_EQ(8, xref->GetTable().GetSize());
  EXPECT_THROW(Fetch(xref, 8), CPdfException);
  EXPECT_THROW(Fetch(xref, -1), CPdfException);
  EXPECT_EQ("PDF-1.4", pdf.doc.GetVersion());
}

TEST(XRefTest, PrevLoopsEnd) {
  PdfBuilder b = OnePage();
  // The oldest section names itself as its predecessor; two newer ones lead back to it.
  const int64_t first = b.Here();
  b.XRefTable("/Root 1 0 R /Prev " + std::to_string(first));
  const int64_t second = b.Here();
  b.Raw("xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev " + std::to_string(first) + " >>\n");
  const int64_t third = b.Here();
  b.Raw("xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev " + std::to_string(second) + " >>\n");
  b.StartXRef(third);
  OpenPdf pdf(b.Bytes());
  EXPECT_EQ("", pdf.TryOpen());
}

TEST(XRefTest, SelfReferencesGiveNull) {
  PdfBuilder b = OnePage();
  // A stream whose /Length is itself, and an object stream that holds itself.
  b.Object(5, "<< /Length 5 0 R >>\nstream\nabc\nendstream");
  b.XRefTable("/Root 1 0 R");
  OpenPdf pdf(b.Bytes());
  ASSERT_EQ("", pdf.TryOpen());
  EXPECT_EQ("err", Fetch(pdf.doc.GetXRef(), 5));

  PdfBuilder c;
  c.Header("1.5").Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  c.ObjectStream(4, {{2, kPagesBody}, {3, kPageBody}, {7, "(x)"}});
  // Object 8 claims to live in object stream 8; object 9 in stream 10, which is in stream 9.
  c.Compressed(8, 8, 0).Compressed(9, 10, 0).Compressed(10, 9, 0);
  c.XRefStream(5, "/Root 1 0 R");
  OpenPdf pdf2(c.Bytes());
  ASSERT_EQ("", pdf2.TryOpen());
  CPdfXRef* xref = pdf2.doc.GetXRef();
  EXPECT_EQ("(x)", Fetch(xref, 7));
  EXPECT_EQ("null", Fetch(xref, 8));
  EXPECT_EQ("null", Fetch(xref, 9));
  EXPECT_EQ("null", Fetch(xref, 10));
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  EXPECT_FALSE(xref->GetObjectStreamBytes(9, &bytes, &length));
}

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
      {"root outside",
       WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root 7 0 R >>\n"),
       "Corrupted PDF file"},
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
      {"resources", WithCatalog(cat, kPagesBody, "<< /Type /Page >>"), "Resources are not found"},
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
    EXPECT_FALSE(pdf.doc.IsOpen()) << c.name;
  }
  CPdfDocument doc;
  EXPECT_THROW(doc.Open("/nonexistent/in.pdf"), CPdfException);
}

}  // namespace
