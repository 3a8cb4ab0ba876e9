#ifndef QUILLTURN_SRC_READER_ROTATE_SPOTS_H_
#define QUILLTURN_SRC_READER_ROTATE_SPOTS_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_token.h"
#include "streams/pdf_span_source.h"

// Where a dictionary object's top-level /Rotate values stand (a key spelled with # escapes too),
// from the object's first byte: each key's end and its value's end, in order. And whether a
// number written after the "<<", or after one of those values, would join the tokens that
// follow into "n g R" or "n g obj": a patch cannot go there.
struct RotateSpots {
  std::vector<std::pair<uint32_t, uint32_t>> values;
  bool open_joins = false;
  bool value_joins = false;  // after one of the values (the ones after it are not listed)
};

// With "<<" just read from bytes: steps over the dictionary entry by entry, noting its top-level
// /Rotate values in spots. The same tokens as StepOverValue steps over, to the same end: gives
// the last one (">>" when the dictionary is closed); whole tells whether it and every value in
// it were closed.
PdfToken NoteRotateSpots(CPdfLexer<PdfSpanSource>& lexer,
                         const uint8_t* bytes,
                         bool* whole,
                         RotateSpots* spots);

#endif  // QUILLTURN_SRC_READER_ROTATE_SPOTS_H_
