#ifndef QUILLTURN_SRC_READER_RAW_OBJECT_H_
#define QUILLTURN_SRC_READER_RAW_OBJECT_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/cpdf_xref.h"

class CPdfInputFile;

// Byte-level access to objects as they stand in the input. Nothing here parses PDF syntax
// except through the reader.

// Index of the last byte of the first occurrence of pattern wholly inside
// buffer[start .. end - 1], or 0 when there is none.
size_t FindBytes(const uint8_t* buffer, size_t start, size_t end, const char* pattern, size_t n);

// File position of the last byte of the first occurrence of pattern at or after start, or 0.
int64_t FindInFile(CPdfInputFile& file, int64_t start, const char* pattern, size_t n);

// What ExtractObject found besides the bytes.
struct RawObjectInfo {
  bool object_stream = false;  // the object is an object stream (its /Type is /ObjStm)
  bool compressed = false;     // it came out of an object stream
};

// Object num's bytes from its number through "endobj" and the byte after it; an object from an
// object stream is framed as "num 0 obj\r ... endobj\r". Empty when the object has no bytes,
// among them an in-use entry whose offset does not lead to its own number.
std::vector<uint8_t> ExtractObject(CPdfInputFile& file,
                                   int32_t num,
                                   CPdfXRef& reader,
                                   const CPdfXRefTable& table,
                                   RawObjectInfo* info = nullptr);

// Where a directly stored object's bytes lie: start and length (0 when it has none), and its
// bytes when finding them meant reading them anyway (small objects).
struct RawSpan {
  int64_t start = 0;
  int64_t length = 0;
  bool object_stream = false;
  std::vector<uint8_t> bytes;
};
RawSpan LocateDirectObject(CPdfInputFile& file,
                           int32_t num,
                           CPdfXRef& reader,
                           const CPdfXRefTable& table);

#endif  // QUILLTURN_SRC_READER_RAW_OBJECT_H_
