#include "app/rotate_patch.h"

#include <string>
#include <utility>

#include "objects/cpdf_lexer.h"
#include "streams/pdf_span_source.h"

bool PatchRotate(const uint8_t* bytes,
                 size_t length,
                 int32_t angle,
                 std::vector<uint8_t>* out,
                 const RotateSpots* spots) {
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  // Up to the first "<<": the object number, generation and "obj", unless the scanner noted it.
  uint64_t dict_open = spots && spots->open_end <= length ? spots->open_end : 0;
  while (dict_open == 0) {
    const PdfToken t = lexer.Next();
    if (t.kind == PdfTokenKind::kDictOpen) {
      dict_open = t.end;
      break;
    }
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kLiteralString ||
        t.kind == PdfTokenKind::kHexString || t.kind == PdfTokenKind::kArrayOpen) {
      return false;
    }
  }
  RotateSpots found;
  if (!spots) {
    bool whole = true;
    NoteRotateSpots(lexer, bytes, &whole, &found);
    spots = &found;
  }
  const std::vector<std::pair<uint64_t, uint64_t>>& values = spots->values;
  if (spots->value_joins || (values.empty() && spots->open_joins)) {
    return false;
  }
  out->clear();
  out->reserve(length + 16);
  const std::string number = std::to_string(angle);
  size_t copied = 0;  // bytes before this index are in out
  // The key stays; its whole value (a number, a real, N G R, anything) becomes the angle.
  for (const auto& [key_end, value_end] : values) {
    if (key_end < copied || value_end < key_end || value_end > length) {
      return false;  // not this object's values
    }
    out->insert(out->end(), bytes + copied, bytes + key_end);
    out->push_back(' ');
    out->insert(out->end(), number.begin(), number.end());
    out->push_back(' ');
    copied = static_cast<size_t>(value_end);
  }
  if (values.empty()) {
    const std::string key = "/Rotate " + number + "\n";
    out->insert(out->end(), bytes, bytes + dict_open);
    out->insert(out->end(), key.begin(), key.end());
    copied = static_cast<size_t>(dict_open);
  }
  out->insert(out->end(), bytes + copied, bytes + length);
  return true;
}
