#ifndef QUILLTURN_SRC_OBJECTS_PDF_ROTATE_SPOTS_H_
#define QUILLTURN_SRC_OBJECTS_PDF_ROTATE_SPOTS_H_

#include <cstdint>
#include <utility>
#include <vector>

#include "objects/cpdf_lexer.h"

// Where a page dictionary's rotation is written, noted while its top-level entries are lexed
// (NextDictEntry), so that a page is patched without being lexed once more. Positions are
// those of the source the lexer reads.
struct PdfRotateSpots {
  bool has_dict = false;
  uint64_t dict_open = 0;  // the end of the dictionary's "<<"
  // The key's end and the value's end of every top-level /Rotate, in order.
  std::vector<std::pair<uint64_t, uint64_t>> values;
  // Where the angle would go "g R" or "g obj" follows: the angle would join them into a
  // reference or another object's header.
  bool open_joins = false;   // after "<<"
  bool values_join = false;  // after any /Rotate value

  // With the lexer just past the dictionary's "<<" at end.
  template <typename Source>
  void NoteOpen(uint64_t end, CPdfLexer<Source>& lexer) {
    has_dict = true;
    dict_open = end;
    open_joins = WouldJoin(lexer);
  }
  // With the lexer just past a /Rotate entry's value.
  template <typename Source>
  void NoteRotate(const PdfDictEntry& entry, CPdfLexer<Source>& lexer) {
    values.emplace_back(entry.key.end, entry.value_end);
    values_join = values_join || WouldJoin(lexer);
  }
  // Every position moved by shift (the bytes were cut or framed).
  void Shift(int64_t shift) {
    dict_open += static_cast<uint64_t>(shift);
    for (auto& [key_end, value_end] : values) {
      key_end += static_cast<uint64_t>(shift);
      value_end += static_cast<uint64_t>(shift);
    }
  }

 private:
  // Only a number ahead makes the second token matter; the entries' check for an object's end
  // lexes both tokens then too, so this reads nothing the entries would not.
  template <typename Source>
  static bool WouldJoin(CPdfLexer<Source>& lexer) {
    return lexer.Peek(0).kind == PdfTokenKind::kNumber &&
           (lexer.Peek(1).Is(PdfKeyword::kR) || lexer.Peek(1).Is(PdfKeyword::kObj));
  }
};

#endif  // QUILLTURN_SRC_OBJECTS_PDF_ROTATE_SPOTS_H_
