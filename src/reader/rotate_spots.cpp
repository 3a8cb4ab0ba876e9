#include "reader/rotate_spots.h"

PdfToken NoteRotateSpots(CPdfLexer<PdfSpanSource>& lexer,
                         const uint8_t* bytes,
                         bool* whole,
                         RotateSpots* spots) {
  const PdfToken close = NoteRotateSpots(
      lexer,
      [bytes](const PdfToken& key) {
        return PdfNameIs(bytes + key.begin + 1, key.end - key.begin - 1, "Rotate") ? 1 : 0;
      },
      [](const PdfDictEntry&) {}, spots);
  *whole = close.kind == PdfTokenKind::kDictClose;
  return close;
}
