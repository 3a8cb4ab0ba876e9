#ifndef QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_
#define QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_

#include <string>

#include "document/cpdf_document.h"
#include "objects/cpdf_exception.h"
#include "test_files.h"

// A document opened from bytes written to a scratch file.
struct OpenPdf {
  explicit OpenPdf(const std::string& bytes) : path(dir.Write("in.pdf", bytes)) {}
  // The message of a failed open, or "" when it opened.
  std::string TryOpen() {
    try {
      doc.Open(path.c_str());
      return "";
    } catch (const CPdfException& e) {
      return e.GetMessage();
    }
  }
  TempDir dir;
  std::string path;
  CPdfDocument doc;
};

// The standard one-page body: catalog 1, pages 2, page 3.
inline const char* kPagesBody = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
inline const char* kPageBody = "<< /Type /Page /Parent 2 0 R /Resources << >> >>";

#endif  // QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_
