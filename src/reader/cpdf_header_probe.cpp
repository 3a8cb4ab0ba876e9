#include "reader/cpdf_header_probe.h"

#include "objects/cpdf_lexer.h"
#include "streams/cpdf_input_file.h"
#include "streams/pdf_span_source.h"

bool CPdfHeaderProbe::At(int64_t position, int32_t* num, int32_t* gen, bool* spaced) const {
  uint8_t bytes[kWindow + 1];
  const size_t got = file_->ReadAt(position, bytes, sizeof(bytes));
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, got)};
  const PdfToken n = lexer.Next();
  const PdfToken g = n.int32 ? lexer.Next() : PdfToken{};
  const PdfToken obj = g.int32 ? lexer.Next() : PdfToken{};
  if (!obj.Is(PdfKeyword::kObj)) {
    return false;
  }
  if (spaced) {
    *spaced = obj.begin > g.end;
  }
  *num = n.value;
  *gen = g.value;
  // "obj" whole: not cut by the window.
  return lexer.GetSource().Tell() < got || got < sizeof(bytes);
}

bool CPdfHeaderProbe::OnlySpaceBetween(int64_t position, int64_t start) const {
  if (start < position || start - position > static_cast<int64_t>(kWindow)) {
    return false;
  }
  uint8_t gap[kWindow];
  const size_t length = static_cast<size_t>(start - position);
  if (file_->ReadAt(position, gap, length) != length) {
    return false;
  }
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(gap, length)};
  return lexer.Next().kind == PdfTokenKind::kEnd && !lexer.RanOutInString();
}
