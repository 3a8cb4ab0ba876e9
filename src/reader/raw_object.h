#ifndef QUILLTURN_SRC_READER_RAW_OBJECT_H_
#define QUILLTURN_SRC_READER_RAW_OBJECT_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/cpdf_object_place.h"

class CPdfFetcher;

// Objects as they stand in the input, where the object map finds them.

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
// Throws when the object cannot be copied whole: the map found it damaged, or it stands where
// its entry leads only inside another object.
RawSpan LocateDirectObject(CPdfFetcher& fetcher, int32_t num);

// What ExtractObject found besides the bytes.
struct RawObjectInfo {
  bool compressed = false;  // it came out of an object stream
  int32_t generation = 0;   // the generation it is copied under
  // Where its bytes stand, as the notes of its dictionary were told (CPdfNotesObserver), and
  // how many bytes are written before that place's first byte.
  CPdfObjectPlace place = CPdfObjectPlace::InFile(0);
  uint32_t shift = 0;
};

// Object num as the copy writes it: from its "num gen obj" through "endobj" and the line end
// after it (or the tail the copy adds); an object from an object stream framed as
// "num 0 obj\r<value>\nendobj\n" or, when its stream cannot give it, as it stands under its own
// header in the file. Empty when the object has no bytes; throws where LocateDirectObject does
// and when a member's value is left open.
std::vector<uint8_t> ExtractObject(CPdfFetcher& fetcher,
                                   int32_t num,
                                   RawObjectInfo* info = nullptr);

#endif  // QUILLTURN_SRC_READER_RAW_OBJECT_H_
