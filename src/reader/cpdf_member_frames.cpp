#include "reader/cpdf_member_frames.h"

#include "objects/cpdf_lexer.h"
#include "objects/pdf_char_class.h"
#include "streams/pdf_span_source.h"

const CPdfMemberFrames::Frame* CPdfMemberFrames::Add(size_t entry,
                                                     const uint8_t* bytes,
                                                     size_t length,
                                                     int after,
                                                     bool keep) {
  if (entry >= entries_) {
    return nullptr;
  }
  Frame& frame = keep ? KeptFrame(entry) : passing_;
  frame = Frame();
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  const PdfToken first = lexer.Next();
  if (first.kind == PdfTokenKind::kEnd) {
    frame.flags |= kEmpty;
    return &frame;
  }
  bool whole = true;
  PdfToken last;
  if (first.kind == PdfTokenKind::kDictOpen) {
    const auto view = [bytes](uint64_t b, uint64_t) { return bytes + b; };
    last = notes_.Take(lexer, first.end, view, [](const PdfToken&) { return false; });
    whole = last.kind == PdfTokenKind::kDictClose;
    observer_->Noted(CPdfObjectPlace::Member(entry), notes_,
                     lexer.Peek(0).Is(PdfKeyword::kStream));
  } else {
    last = lexer.StepOverValue(first, &whole);
  }
  // A string or container the member's bytes end inside: in its stream it ends where the
  // stream does, but framed as an object of the file it would take the "endobj" written
  // after it and the objects after that. A number, name or keyword that the next member's
  // first byte continues ("12" read as 1 and 2): readers take the longer token, which the
  // member's own bytes do not hold.
  const bool continues =
      last.kind == PdfTokenKind::kNumber
          ? (after >= '0' && after <= '9') || after == '.'
          : (last.kind == PdfTokenKind::kName || last.kind == PdfTokenKind::kKeyword) &&
                PdfIsRegular(after);
  if (!whole || (continues && last.end == length)) {
    frame.flags |= kDamaged;
  }
  frame.end = static_cast<uint32_t>(last.end);
  return &frame;
}

CPdfMemberFrames::Frame& CPdfMemberFrames::KeptFrame(size_t entry) {
  if (index_.empty()) {
    index_.assign(entries_, kNone);
  }
  if (index_[entry] == kNone) {
    index_[entry] = static_cast<uint32_t>(kept_.size());
    kept_.emplace_back();
  }
  return kept_[index_[entry]];
}
