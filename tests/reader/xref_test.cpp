#include <gtest/gtest.h>

#include "fixtures.h"
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
  b.Header().Object(1, catalog).Object(2, pages).Object(3, page).Object(4, kPage);
  b.Object(5, "<< /Type /Page /Resources << >> /Annots << >> >>");
  b.XRefTable("/Root 1 0 R");
  return b.Bytes();
}

std::vector<MessageCase> MessageCases() {
  return {
      {"NoStartxref", "%PDF-1.4\nnothing here", "PDF file was damaged"},
      {"Startxref0", WithTable("", "") + "startxref\n0\n", "PDF file was damaged"},
      {"NoRoot", WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\n"),
       "PDF file was damaged"},
      {"DirectRoot", WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root << >> >>\n"),
       "PDF file was damaged"},
      {"SectionWord", WithTable("", "hello\n"), "Couldn't parse an xref"},
      {"NotAStream", WithTable("", "1 0 obj << /Size 1 >> endobj\n"),
       "Couldn't parse an xref stream"},
      {"BadEntry", WithTable("", "xref\n0 1\n0000000000 65535 x \ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"NegativeCount", WithTable("", "xref\n0 -1\ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"HugeSubsection", WithTable("", "xref\n8388600 100\ntrailer\n<< >>\n"),
       "Couldn't parse an xref table"},
      {"TruncatedTable", WithTable("", "xref\n0 3\n0000000000 65535 f \n"),
       "Couldn't parse an xref table"},
      {"TrailerArray", WithTable("", "xref\n0 0\ntrailer\n[ ]\n"),
       "Trailer dictionary is wrong type"},
      // A root the table does not define is null, as every missing object is.
      {"RootOutside", WithTable("", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Root 7 0 R >>\n"),
       "Catalog CPdfObject is wrong type"},
      {"Size", WithXRefStream("/Size /X /W [1 1 1]", ""), "Size of xref Stream is wrong type"},
      {"SizeHuge", WithXRefStream("/Size 2147483647 /W [1 1 1]", ""),
       "Size of xref Stream is wrong type"},
      {"WKind", WithXRefStream("/Size 1 /W 3", ""), "W item of xref Stream is wrong type"},
      {"WElement", WithXRefStream("/Size 1 /W [1 /A 1]", ""),
       "W item of xref Stream is wrong type"},
      {"WHuge", WithXRefStream("/Size 1 /W [1 2147483647 1]", ""),
       "W item of xref Stream is wrong type"},
      {"WShort", WithXRefStream("/Size 1 /W [1 2]", ""), "W item of xref Stream is wrong length"},
      {"WZero", WithXRefStream("/Size 8388607 /W [0 0 0] /Index [0 8388607]", ""),
       "W item of xref Stream is wrong type"},
      {"Index", WithXRefStream("/Size 1 /W [1 1 1] /Index [0 (a)]", ""),
       "Index item of xref Stream is wrong type"},
      {"IndexHuge", WithXRefStream("/Size 1 /W [1 1 1] /Index [2147483000 1000]", ""),
       "Index item of xref Stream is wrong type"},
      {"Eof", WithXRefStream("/Size 2 /W [1 1 1]", std::string("\x01\x00\x00\x01", 4)),
       "Unexpected EOF while reading xref stream section"},
      // Each /Index pair is checked when its records are read: a short first subsection is
      // what the file is refused for, not the bad pair after it.
      {"EofBeforeBadPair",
       WithXRefStream("/Size 2 /W [1 1 1] /Index [0 2 (a) 1]", std::string("\x01\x00\x00", 3)),
       "Unexpected EOF while reading xref stream section"},
      {"EntryType", WithXRefStream("/Size 1 /W [1 1 1]", std::string("\x03\x00\x00", 3)),
       "Wrong type of xref XRefEntry while reading xref stream section"},
      {"Catalog", WithCatalog("[1]", kPages, kPage), "Catalog CPdfObject is wrong type"},
      {"Pages", WithCatalog("<< /Pages [2 0 R] >>", kPages, kPage),
       "Top-level pages CPdfObject is wrong type"},
      {"Count", WithCatalog(kCatalog, "<< /Type /Pages /Kids [3 0 R] /Count /N >>", kPage),
       "Page count in top-level pages CPdfObject is wrong type"},
      {"Kids", WithCatalog(kCatalog, "<< /Type /Pages /Count 1 >>", kPage),
       "Kids CPdfObject is wrong type"},
      {"Kid", WithCatalog(kCatalog, "<< /Type /Pages /Kids [0 0 R] /Count 1 >>", kPage),
       "Kid CPdfObject is wrong type"},
      {"Annots",
       WithCatalog(kCatalog, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>", kPage),
       "Page annotations object (page 3) is wrong type"},
      {"TreeCycle", WithCatalog(kCatalog, kPages, "<< /Type /Pages /Kids [2 0 R] >>"),
       "Kids CPdfObject is wrong type"},
  };
}

void PrintTo(const MessageCase& c, std::ostream* os) {
  *os << c.name;
}

class XRefTest : public testing::TestWithParam<MessageCase> {};

TEST_P(XRefTest, EveryOpeningMessageIsReachable) {
  OpenPdf pdf(GetParam().bytes);
  EXPECT_EQ(GetParam().message, pdf.TryOpen());
  EXPECT_EQ(nullptr, pdf.doc.GetCatalog());
}

INSTANTIATE_TEST_SUITE_P(Messages,
                         XRefTest,
                         testing::ValuesIn(MessageCases()),
                         testing::PrintToStringParamName());

}  // namespace
