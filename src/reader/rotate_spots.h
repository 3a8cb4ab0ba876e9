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
  std::vector<std::pair<uint64_t, uint64_t>> values;
  bool open_joins = false;
  bool value_joins = false;  // after one of the values (the ones after it are not listed)
  bool complete = true;      // false when a key's bytes could not be read to tell
  uint64_t open_end = 0;     // past the dictionary's "<<", when noted (0 when not)
};

// With "<<" just read: steps over the dictionary entry by entry, the same tokens as
// StepOverValue steps over, to the same end, noting its top-level /Rotate values in spots (at
// the positions the lexer gives). rotate_key(key) tells whether a key spells /Rotate: 1, 0, or
// -1 when its bytes are no longer held; each(entry) sees every entry on the way. Gives the last
// token: ">>" when the dictionary and every value in it were closed (a value left open runs to
// where the object ends, and the dictionary ends there too).
template <typename Source, typename RotateKey, typename EachEntry>
PdfToken NoteRotateSpots(CPdfLexer<Source>& lexer,
                         const RotateKey& rotate_key,
                         const EachEntry& each,
                         RotateSpots* spots) {
  spots->open_joins = lexer.WouldJoin();
  PdfDictEntry entry;
  PdfToken close;
  while (lexer.NextDictEntry(&entry, &close)) {
    each(entry);
    const int rotate = spots->value_joins ? 0 : rotate_key(entry.key);
    spots->complete = spots->complete && rotate >= 0;
    if (rotate > 0) {
      spots->values.emplace_back(entry.key.end, entry.value_end);
      spots->value_joins = lexer.WouldJoin();
    }
  }
  return close;
}

// Whether key, a name token over bytes in memory, spells /Rotate: 1 or 0.
inline int IsRotateKeyIn(const uint8_t* bytes, const PdfToken& key) {
  return PdfNameIs(bytes + key.begin + 1, key.end - key.begin - 1, "Rotate") ? 1 : 0;
}

// The same over bytes in memory, whole telling whether the dictionary was closed.
PdfToken NoteRotateSpots(CPdfLexer<PdfSpanSource>& lexer,
                         const uint8_t* bytes,
                         bool* whole,
                         RotateSpots* spots);

#endif  // QUILLTURN_SRC_READER_ROTATE_SPOTS_H_
