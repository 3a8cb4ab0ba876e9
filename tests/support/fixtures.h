#ifndef QUILLTURN_TESTS_SUPPORT_FIXTURES_H_
#define QUILLTURN_TESTS_SUPPORT_FIXTURES_H_

#include <string>

#include "pdf_builder.h"

// What most test files are made of: catalog 1 and page tree 2 over page 3.
inline const char* const kCatalog = "<< /Type /Catalog /Pages 2 0 R >>";
inline const char* const kPages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
inline const char* const kDamaged = "PDF file was damaged";

// A page under node 2 with entries besides its /Type and /Parent.
inline std::string PageWith(const std::string& entries) {
  return "<< /Type /Page /Parent 2 0 R " + entries + " >>";
}
inline const std::string kPage = PageWith("/Resources << >>");

// A page that shows text: its content is object 4, its font object 5.
inline const char* const kTextPage =
    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << /Font << /F1 5 0 R >> "
    ">> /Contents 4 0 R >>";
inline const char* const kFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
inline const char* const kText = "BT /F1 12 Tf 10 10 Td (Hi) Tj ET";

// Catalog 1, the page tree 2 and page 3, after the header.
inline PdfBuilder OnePage(const std::string& page = kPage,
                          const std::string& pages = kPages,
                          const std::string& version = "1.4") {
  PdfBuilder b;
  b.Header(version).Object(1, kCatalog).Object(2, pages).Object(3, page);
  return b;
}

// One page that shows text: catalog 1, pages 2, page 3, content 4, font 5.
inline PdfBuilder TextPage(const std::string& page = kTextPage, const std::string& font = kFont) {
  PdfBuilder b = OnePage(page);
  b.Stream(4, "", kText).Object(5, font);
  return b;
}

// bytes with the first from at or after the text after replaced by to, of the same length, so
// that every offset stays right.
inline std::string Patched(std::string bytes,
                           const std::string& after,
                           const std::string& from,
                           const std::string& to) {
  const size_t at = bytes.find(from, bytes.find(after));
  return from.size() != to.size() || at == std::string::npos ? ""
                                                             : bytes.replace(at, from.size(), to);
}

// The file, ended by a classic section for what b added since its last one.
inline std::string Finish(PdfBuilder b, const std::string& trailer = "/Root 1 0 R") {
  return b.XRefTable(trailer).Bytes();
}

#endif  // QUILLTURN_TESTS_SUPPORT_FIXTURES_H_
