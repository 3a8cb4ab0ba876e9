#include "reader/cpdf_member_frames.h"

#include <cstring>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_char_class.h"
#include "streams/pdf_hex_digit.h"
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
    if (observer_) {
      observer_->Noted(CPdfObjectPlace::Member(entry), notes_,
                       lexer.Peek(0).Is(PdfKeyword::kStream));
    }
  } else {
    last = lexer.StepOverValue(first, &whole);
  }
  // A string or container the member's bytes end inside: in its stream it ends where the
  // stream does, but framed as an object of the file it would take the "endobj" written
  // after it and the objects after that. A number, name or keyword that the next member's
  // first byte continues ("12" read as 1 and 2): readers take the longer token, which the
  // member's own bytes do not hold. A key that ">>" follows: in its stream the value ends with
  // the member's bytes, framed as an object some readers take ">>" for the value and the rest
  // of the file into the dictionary.
  const bool continues =
      last.kind == PdfTokenKind::kNumber
          ? (after >= '0' && after <= '9') || after == '.'
          : (last.kind == PdfTokenKind::kName || last.kind == PdfTokenKind::kKeyword) &&
                PdfIsRegular(after);
  if (!whole || (continues && last.end == length) || lexer.SawKeyWithoutValue() ||
      HasBadNameEscape(bytes, last.end)) {
    frame.flags |= kDamaged;
  }
  frame.end = static_cast<uint32_t>(last.end);
  return &frame;
}

bool CPdfMemberFrames::HasBadNameEscape(const uint8_t* bytes, size_t length) {
  // Most members hold no "#" at all: only those are lexed again.
  if (!std::memchr(bytes, '#', length)) {
    return false;
  }
  const auto hex = [](uint8_t c) { return PdfHexValue(c) >= 0; };
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
    if (t.kind != PdfTokenKind::kName) {
      continue;
    }
    for (uint64_t k = t.begin + 1; k < t.end; ++k) {
      if (bytes[k] == '#') {
        if (k + 2 >= t.end || !hex(bytes[k + 1]) || !hex(bytes[k + 2])) {
          return true;
        }
        k += 2;
      }
    }
  }
  return false;
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
