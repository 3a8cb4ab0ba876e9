#include "app/rotate_patch.h"

#include <string>

#include "objects/cpdf_lexer.h"

bool PatchRotate(const uint8_t* bytes, size_t length, int32_t angle, std::vector<uint8_t>* out) {
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  // Up to the first "<<": the object number, generation and "obj".
  PdfRotateSpots spots;
  for (;;) {
    const PdfToken t = lexer.Next();
    if (t.kind == PdfTokenKind::kDictOpen) {
      spots.NoteOpen(t.end, lexer);
      break;
    }
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kLiteralString ||
        t.kind == PdfTokenKind::kHexString || t.kind == PdfTokenKind::kArrayOpen) {
      return false;
    }
  }
  PdfDictEntry entry;
  while (lexer.NextDictEntry(&entry)) {
    if (PdfNameIs(bytes + entry.key.begin + 1, entry.key.end - entry.key.begin - 1, "Rotate")) {
      spots.NoteRotate(entry, lexer);
    }
  }
  return PatchRotateAt(bytes, length, spots, angle, out);
}

bool PatchRotateAt(const uint8_t* bytes,
                   size_t length,
                   const PdfRotateSpots& spots,
                   int32_t angle,
                   std::vector<uint8_t>* out) {
  if (!spots.has_dict || spots.values_join || (spots.values.empty() && spots.open_joins)) {
    return false;
  }
  out->clear();
  out->reserve(length + 16);
  const std::string number = std::to_string(angle);
  size_t copied = 0;  // bytes before this index are in out
  // The key stays; its whole value (a number, a real, N G R, anything) becomes the angle.
  for (const auto& [key_end, value_end] : spots.values) {
    if (key_end < copied || value_end < key_end || value_end > length) {
      return false;
    }
    out->insert(out->end(), bytes + copied, bytes + key_end);
    out->push_back(' ');
    out->insert(out->end(), number.begin(), number.end());
    out->push_back(' ');
    copied = static_cast<size_t>(value_end);
  }
  if (spots.values.empty()) {
    if (spots.dict_open > length) {
      return false;
    }
    const std::string key = "/Rotate " + number + "\n";
    out->insert(out->end(), bytes, bytes + spots.dict_open);
    out->insert(out->end(), key.begin(), key.end());
    copied = static_cast<size_t>(spots.dict_open);
  }
  out->insert(out->end(), bytes + copied, bytes + length);
  return true;
}
