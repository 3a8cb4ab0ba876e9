#ifndef QUILLTURN_SRC_READER_RAW_OBJECT_H_
#define QUILLTURN_SRC_READER_RAW_OBJECT_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/pdf_rotate_spots.h"
#include "reader/cpdf_xref.h"

class CPdfInputFile;

// Byte-level access to objects as they stand in the input. Where an object ends is found by
// the lexer, never by searching for bytes that a string, a name or a comment may hold.

// What ExtractObject found besides the bytes.
struct RawObjectInfo {
  bool compressed = false;  // it came out of an object stream
  int32_t generation = 0;   // the generation it is copied under
  // Where its rotation is written, counted in the bytes given; noted for a directly stored
  // object whose value is a dictionary (has_dict false otherwise).
  PdfRotateSpots rotate;
};

// Object num as the copy writes it: from its "num gen obj" through "endobj" and the line end
// after it (or the line feed, or the whole "endobj", that the copy adds); an object from an
// object stream framed as "num 0 obj\r<value>\nendobj\n" or, when its stream cannot give it,
// as it stands under its own header in the file. Empty when the object has no bytes; throws
// when a string in it runs on to the next object or the end of the file.
std::vector<uint8_t> ExtractObject(CPdfInputFile& file,
                                   int32_t num,
                                   CPdfXRef& reader,
                                   const CPdfXRefTable& table,
                                   RawObjectInfo* info = nullptr);

// Where a directly stored object's bytes lie (length 0 when it has none) and what the copy
// writes after them: "" when they end with "endobj" and a line end, "\n" when "endobj" is
// followed by no line end, "\nendobj\n" when the object has no "endobj" (the token after its
// value is "n g obj", xref, trailer, startxref, or the file ends), "\nendstream\nendobj\n" when
// a stream body that its /Length bounds is followed by no "endstream" at all.
struct RawSpan {
  int64_t start = 0;
  int64_t length = 0;
  const char* tail = "";
  // Its header's generation: the entry's, unless the object stands only under another one.
  int32_t generation = 0;
};
// With rotate, the spots of a dictionary's rotation are noted there, at file positions.
RawSpan LocateDirectObject(CPdfInputFile& file,
                           int32_t num,
                           CPdfXRef& reader,
                           const CPdfXRefTable& table,
                           PdfRotateSpots* rotate = nullptr);

#endif  // QUILLTURN_SRC_READER_RAW_OBJECT_H_
