// The one scanner's stepping over values and dictionary entries, over the tokens the lexer
// queues: one algorithm for every caller (the object map, the member frames, the parser, the
// patch).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "objects/cpdf_lexer.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

template <typename Source>
bool CPdfLexer<Source>::TakeReference(int32_t* num, int32_t* gen) {
  const PdfToken& n = Peek(0);
  if (!n.int32 || !Peek(1).int32 || !Peek(2).Is(PdfKeyword::kR)) {
    return false;
  }
  *num = Peek(0).value;
  *gen = Peek(1).value;
  Next();
  Next();
  Next();
  return true;
}

template <typename Source>
PdfToken CPdfLexer<Source>::StepOverValue(const PdfToken& first, bool* whole, size_t* levels) {
  bool closed = !first.open;
  size_t most = 0;
  PdfToken last = first;
  if (first.kind == PdfTokenKind::kDictOpen || first.kind == PdfTokenKind::kArrayOpen) {
    Frames frames;
    frames.push_back(first.kind == PdfTokenKind::kArrayOpen ? Frames::kArray : Frames::kDictKey);
    most = 1;
    StepContents(&frames, &last, &closed, &most);
  } else if (ReferenceAhead(first)) {
    Next();
    last = Next();
  }
  if (whole) {
    *whole = closed;
  }
  if (levels) {
    *levels = most;
  }
  return last;
}

template <typename Source>
bool CPdfLexer<Source>::NextDictEntry(PdfDictEntry* entry, PdfToken* close) {
  for (;;) {
    if (AtObjectEnd()) {
      if (close) {
        const uint64_t at = Peek(0).begin;
        *close = PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, false, false, 0, at, at};
      }
      return false;
    }
    const PdfToken t = Next();
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kDictClose) {
      if (close) {
        *close = t;
      }
      return false;
    }
    if (t.kind != PdfTokenKind::kName) {
      continue;
    }
    entry->key = t;
    entry->whole = true;
    entry->reference = false;
    entry->value = PdfToken{};
    entry->levels = 0;
    const PdfToken& v = Peek(0);
    if (v.kind == PdfTokenKind::kDictClose || AtObjectEnd()) {
      key_without_value_ = key_without_value_ || v.kind == PdfTokenKind::kDictClose;
      entry->value_begin = entry->value_end = t.end;
      return true;
    }
    if (v.kind == PdfTokenKind::kStray) {
      // The key is dropped with the stray byte, as the parser drops it.
      continue;
    }
    entry->value = Next();
    if (ReferenceAhead(entry->value)) {
      entry->reference = true;
      entry->gen = Peek(0);
    }
    entry->value_begin = entry->value.begin;
    entry->value_end = StepOverValue(entry->value, &entry->whole, &entry->levels).end;
    return true;
  }
}

template <typename Source>
void CPdfLexer<Source>::StepContents(Frames* frames, PdfToken* last, bool* closed, size_t* most) {
  while (!frames->empty()) {
    if (AtObjectEnd()) {
      *closed = false;
      return;
    }
    const PdfTokenKind kind = Peek(0).kind;
    uint8_t& top = frames->back();
    if (top == Frames::kDictKey) {
      if (kind == PdfTokenKind::kDictClose) {
        frames->pop_back();
      } else if (kind == PdfTokenKind::kName) {
        top = Frames::kDictValue;
      }
      *last = Next();
      *closed = *closed && !last->open;
      continue;
    }
    if (top == Frames::kArray && kind == PdfTokenKind::kArrayClose) {
      frames->pop_back();
      *last = Next();
      continue;
    }
    if (top == Frames::kDictValue) {
      top = Frames::kDictKey;
      // A stray byte drops its key; ">>" closes the dictionary where a key would.
      if (kind == PdfTokenKind::kStray || kind == PdfTokenKind::kDictClose) {
        key_without_value_ = key_without_value_ || kind == PdfTokenKind::kDictClose;
        continue;
      }
    }
    *last = Next();
    if (kind == PdfTokenKind::kArrayOpen || kind == PdfTokenKind::kDictOpen) {
      frames->push_back(kind == PdfTokenKind::kArrayOpen ? Frames::kArray : Frames::kDictKey);
      *most = std::max(*most, frames->size());
      continue;
    }
    if (ReferenceAhead(*last)) {
      Next();
      *last = Next();
    }
    *closed = *closed && !last->open;
  }
}

// Stepping is built for each of the lexer's sources here.
template bool CPdfLexer<PdfSpanSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfSpanSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfSpanSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfStreamSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfStreamSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfStreamSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfFileSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfFileSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfFileSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
