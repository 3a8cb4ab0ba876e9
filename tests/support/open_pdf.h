#ifndef QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_
#define QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_

#include <cstdio>
#include <memory>
#include <string>

#include "document/cpdf_document.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "platform/input_file.h"
#include "streams/cpdf_input_file.h"
#include "test_files.h"

// The file at path opened as the job opens its input.
inline std::unique_ptr<CPdfInputFile> OpenInput(const std::string& path) {
  FILE* file = OpenInputFile(path);
  if (!file) {
    throw CPdfException(kMsgInputOpen);
  }
  return CPdfInputFile::Adopt(file);
}

// bytes as an input file (an unnamed scratch file, removed when closed).
inline std::unique_ptr<CPdfInputFile> InputOf(const std::string& bytes) {
  FILE* file = std::tmpfile();
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    throw CPdfException(kMsgInputOpen);
  }
  return CPdfInputFile::Adopt(file);
}

// A document read as the job reads its input: the file opened once and lent to the document.
struct InputPdf {
  // Throws the message of a file that does not open or is refused; with repair as -repair reads
  // it.
  void Open(const std::string& path, bool repair = false) {
    input = OpenInput(path);
    doc.Open(*input, false, repair);
  }
  std::unique_ptr<CPdfInputFile> input;  // outlives doc, which reads it
  CPdfDocument doc;
};

// A document opened, as above, from bytes written to a scratch file.
struct OpenPdf {
  explicit OpenPdf(const std::string& bytes) : path(dir.Write("in.pdf", bytes)) {}
  // The message of a failed open, or "" when it opened; with_boxes and repair as
  // CPdfDocument::Open.
  std::string TryOpen(bool with_boxes = false, bool repair = false) {
    try {
      input = OpenInput(path);
      doc.Open(*input, with_boxes, repair);
      return "";
    } catch (const CPdfException& e) {
      return e.GetMessage();
    }
  }
  TempDir dir;  // removed after the file in it is closed
  std::string path;
  std::unique_ptr<CPdfInputFile> input;
  CPdfDocument doc;
};

#endif  // QUILLTURN_TESTS_SUPPORT_OPEN_PDF_H_
