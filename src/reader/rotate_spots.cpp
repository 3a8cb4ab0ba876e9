#include "reader/rotate_spots.h"

PdfToken NoteRotateSpots(CPdfLexer<PdfSpanSource>& lexer,
                         const uint8_t* bytes,
                         bool* whole,
                         RotateSpots* spots) {
  spots->open_joins = lexer.WouldJoin();
  PdfDictEntry entry;
  PdfToken close;
  // A value left open runs to where the object ends, and the dictionary ends there too.
  while (lexer.NextDictEntry(&entry, &close)) {
    if (!spots->value_joins &&
        PdfNameIs(bytes + entry.key.begin + 1, entry.key.end - entry.key.begin - 1, "Rotate")) {
      spots->values.emplace_back(static_cast<uint32_t>(entry.key.end),
                                 static_cast<uint32_t>(entry.value_end));
      spots->value_joins = lexer.WouldJoin();
    }
  }
  *whole = close.kind == PdfTokenKind::kDictClose;
  return close;
}
