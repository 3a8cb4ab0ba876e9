#include "app/rotate_patch.h"

#include "objects/cpdf_lexer.h"

RotateSpot FindRotate(const uint8_t* bytes, size_t length) {
  RotateSpot spot;
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  // Up to the first "<<": the object number, generation and "obj".
  for (;;) {
    const PdfToken t = lexer.Next();
    if (t.kind == PdfTokenKind::kDictOpen) {
      spot.has_dict = true;
      spot.dict_open = static_cast<size_t>(t.end);
      break;
    }
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kLiteralString ||
        t.kind == PdfTokenKind::kHexString || t.kind == PdfTokenKind::kArrayOpen) {
      return spot;
    }
  }
  PdfDictEntry entry;
  while (lexer.NextDictEntry(&entry)) {
    if (DecodePdfName(bytes + entry.key.begin + 1, entry.key.end - entry.key.begin - 1) ==
        "Rotate") {
      spot.has_rotate = true;
      spot.key_end = static_cast<size_t>(entry.key.end);
      spot.value_end = static_cast<size_t>(entry.value_end);
      return spot;
    }
  }
  return spot;
}
