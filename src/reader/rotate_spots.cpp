#include "reader/rotate_spots.h"

PdfToken NoteRotateSpots(CPdfLexer<PdfSpanSource>& lexer,
                         const uint8_t* bytes,
                         bool* whole,
                         RotateSpots* spots) {
  const PdfToken close = NoteRotateSpots(
      lexer, [bytes](const PdfToken& key) { return IsRotateKeyIn(bytes, key); },
      [](const PdfDictEntry&) {}, spots);
  *whole = close.kind == PdfTokenKind::kDictClose;
  return close;
}
