#include "app/rotate_patch.h"

#include <string>

#include "objects/cpdf_lexer.h"

namespace {

// Whether the tokens next are "g R" or "g obj": the angle written before them would join them
// into a reference or into another object's header, which ends the page where it stands.
bool AngleWouldJoin(CPdfLexer<PdfSpanSource>& lexer) {
  return lexer.Peek(0).kind == PdfTokenKind::kNumber &&
         (lexer.Peek(1).Is(PdfKeyword::kR) || lexer.Peek(1).Is(PdfKeyword::kObj));
}

}  // namespace

bool PatchRotate(const uint8_t* bytes, size_t length, int32_t angle, std::vector<uint8_t>* out) {
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  // Up to the first "<<": the object number, generation and "obj".
  size_t dict_open = 0;
  for (;;) {
    const PdfToken t = lexer.Next();
    if (t.kind == PdfTokenKind::kDictOpen) {
      dict_open = static_cast<size_t>(t.end);
      break;
    }
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kLiteralString ||
        t.kind == PdfTokenKind::kHexString || t.kind == PdfTokenKind::kArrayOpen) {
      return false;
    }
  }
  out->clear();
  out->reserve(length + 16);
  const std::string number = std::to_string(angle);
  size_t copied = 0;  // bytes before this index are in out
  PdfDictEntry entry;
  while (lexer.NextDictEntry(&entry)) {
    if (!PdfNameIs(bytes + entry.key.begin + 1, entry.key.end - entry.key.begin - 1, "Rotate")) {
      continue;
    }
    // The key stays; its whole value (a number, a real, N G R, anything) becomes the angle.
    if (AngleWouldJoin(lexer)) {
      return false;
    }
    out->insert(out->end(), bytes + copied, bytes + entry.key.end);
    out->push_back(' ');
    out->insert(out->end(), number.begin(), number.end());
    out->push_back(' ');
    copied = static_cast<size_t>(entry.value_end);
  }
  if (copied == 0) {
    CPdfLexer<PdfSpanSource> after_open{PdfSpanSource(bytes + dict_open, length - dict_open)};
    if (AngleWouldJoin(after_open)) {
      return false;
    }
    const std::string key = "/Rotate " + number + "\n";
    out->insert(out->end(), bytes, bytes + dict_open);
    out->insert(out->end(), key.begin(), key.end());
    copied = dict_open;
  }
  out->insert(out->end(), bytes + copied, bytes + length);
  return true;
}
