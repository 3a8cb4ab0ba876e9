// The one scanner, for each of its sources: tokens over memory, values and objects.
#include "objects/cpdf_lexer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "objects/pdf_char_class.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

namespace {

// A stack of open containers that holds the usual few in place, the rest on the heap.
class Frames {
 public:
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }
  uint8_t& back() { return size_ <= kInPlace ? local_[size_ - 1] : deep_[size_ - 1 - kInPlace]; }
  void push_back(uint8_t frame) {
    if (size_ < kInPlace) {
      local_[size_] = frame;
    } else {
      deep_.resize(size_ - kInPlace);
      deep_.push_back(frame);
    }
    ++size_;
  }
  void pop_back() { --size_; }

 private:
  static constexpr size_t kInPlace = 32;
  uint8_t local_[kInPlace];  // the first kInPlace levels, written before read
  std::vector<uint8_t> deep_;
  size_t size_ = 0;
};

}  // namespace

template <typename Source>
void CPdfLexer<Source>::Fill(int k) {
  while (count_ <= k) {
    Queued& slot = ring_[(head_ + count_) & (kRing - 1)];
    if (keep_text_) {
      slot.text.clear();
      slot.token = Lex(&slot.text);
    } else {
      slot.token = Lex(nullptr);
    }
    ++count_;
  }
}

template <typename Source>
inline PdfToken CPdfLexer<Source>::Lex(std::string* text) {
  SkipSpace();
  const uint8_t* p;
  const uint8_t* e;
  src_.Window(&p, &e);
  PdfToken t;
  const uint8_t* end = p < e ? LexInWindow(p, e, &t) : nullptr;
  if (!end) {
    return LexBytes(text);
  }
  t.begin = src_.Tell();
  src_.Advance(end);
  t.end = src_.Tell();
  // Values are built from the text of names, strings, keywords and numbers other than
  // integers; delimiters and integers carry all there is in the token.
  if (text && !t.int32 &&
      (t.kind == PdfTokenKind::kName || t.kind == PdfTokenKind::kNumber ||
       t.kind == PdfTokenKind::kLiteralString || t.kind == PdfTokenKind::kHexString ||
       t.kind == PdfTokenKind::kKeyword)) {
    text->append(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
  }
  return t;
}

template <typename Source>
inline void CPdfLexer<Source>::SkipSpace() {
  bool comment = false;
  for (;;) {
    const uint8_t* p;
    const uint8_t* e;
    src_.Window(&p, &e);
    if (p == e) {
      if (src_.Peek() < 0) {
        return;
      }
      src_.Window(&p, &e);
      if (p == e) {
        // A source without a window: byte by byte, the rest of a comment first.
        for (int c = src_.Peek(); comment && c >= 0 && c != '\r' && c != '\n'; c = src_.Peek()) {
          src_.Next();
        }
        return;
      }
    }
    while (p < e) {
      if (comment) {
        while (p < e && *p != '\r' && *p != '\n') {
          ++p;
        }
        comment = p == e;
        continue;
      }
      const PdfTokenStart start = kPdfTokenStarts.start[*p];
      if (start == PdfTokenStart::kComment) {
        comment = true;
      } else if (start != PdfTokenStart::kWhite) {
        src_.Advance(p);
        return;
      }
      ++p;
    }
    src_.Advance(p);
  }
}

template <typename Source>
inline const uint8_t* CPdfLexer<Source>::LexInWindow(const uint8_t* p,
                                                     const uint8_t* e,
                                                     PdfToken* t) {
  const uint8_t* q = p + 1;
  switch (kPdfTokenStarts.start[*p]) {
    case PdfTokenStart::kName:
      t->kind = PdfTokenKind::kName;
      while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
        ++q;
      }
      return q < e ? q : nullptr;
    case PdfTokenStart::kNumber: {
      t->kind = PdfTokenKind::kNumber;
      const uint8_t c = *p;
      const bool negative = c == '-';
      bool point = c == '.';
      uint64_t magnitude = c >= '0' && c <= '9' ? static_cast<uint64_t>(c - '0') : 0;
      constexpr uint64_t kPast = uint64_t{1} << 32;
      for (; q < e; ++q) {
        const unsigned digit = static_cast<unsigned>(*q) - '0';
        if (digit <= 9) {
          if (!point) {
            magnitude = std::min(kPast, magnitude * 10 + digit);
          }
        } else if (*q == '.') {
          point = true;
        } else {
          break;
        }
      }
      if (q == e) {
        return nullptr;
      }
      NoteInteger(negative, point, magnitude, t);
      return q;
    }
    case PdfTokenStart::kWord: {
      t->kind = PdfTokenKind::kKeyword;
      while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
        ++q;
      }
      if (q == e) {
        return nullptr;
      }
      const size_t n = static_cast<size_t>(q - p);
      t->keyword =
          n < 10 ? ClassifyPdfKeyword(reinterpret_cast<const char*>(p), n) : PdfKeyword::kOther;
      return q;
    }
    case PdfTokenStart::kString: {
      if (between_) {
        t->kind = PdfTokenKind::kStray;
        return q;
      }
      uint64_t depth = 1;
      for (; q < e; ++q) {
        if (*q == '\\') {
          if (++q == e) {
            return nullptr;
          }
        } else if (*q == '(') {
          ++depth;
        } else if (*q == ')' && --depth == 0) {
          t->kind = PdfTokenKind::kLiteralString;
          return q + 1;
        }
      }
      return nullptr;
    }
    case PdfTokenStart::kAngle: {
      if (q == e) {
        return nullptr;
      }
      if (*q == '<') {
        t->kind = PdfTokenKind::kDictOpen;
        return q + 1;
      }
      if (between_) {
        t->kind = PdfTokenKind::kStray;
        return q;
      }
      const void* close = std::memchr(q, '>', static_cast<size_t>(e - q));
      if (!close) {
        return nullptr;
      }
      t->kind = PdfTokenKind::kHexString;
      return static_cast<const uint8_t*>(close) + 1;
    }
    case PdfTokenStart::kClose:
      if (q == e) {
        return nullptr;
      }
      t->kind = *q == '>' ? PdfTokenKind::kDictClose : PdfTokenKind::kStray;
      return *q == '>' ? q + 1 : q;
    case PdfTokenStart::kArrayOpen:
      t->kind = PdfTokenKind::kArrayOpen;
      return q;
    case PdfTokenStart::kArrayClose:
      t->kind = PdfTokenKind::kArrayClose;
      return q;
    case PdfTokenStart::kStray:
      t->kind = PdfTokenKind::kStray;
      return q;
    default:
      // White space and comments were skipped: not reached.
      return nullptr;
  }
}

template <typename Source>
inline bool CPdfLexer<Source>::AtObjectEnd() {
  const PdfToken& t = Peek(0);
  switch (t.kind) {
    case PdfTokenKind::kEnd:
      return true;
    case PdfTokenKind::kKeyword:
      return t.keyword == PdfKeyword::kEndobj || t.keyword == PdfKeyword::kXref ||
             t.keyword == PdfKeyword::kTrailer || t.keyword == PdfKeyword::kStartxref;
    case PdfTokenKind::kNumber:
      return t.IsCount() && Peek(1).IsCount() && Peek(2).Is(PdfKeyword::kObj);
    default:
      return false;
  }
}

template <typename Source>
PdfToken CPdfLexer<Source>::StepOverValue(const PdfToken& first, bool* whole, size_t* levels) {
  bool closed = !first.open;
  size_t most = 0;
  PdfToken last = first;
  if (first.kind == PdfTokenKind::kDictOpen || first.kind == PdfTokenKind::kArrayOpen) {
    last = StepOverContents(first, &closed, &most);
  } else if (first.int32 && Peek(0).int32 && Peek(1).Is(PdfKeyword::kR)) {
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
bool CPdfLexer<Source>::SkipPast(const char* pattern) {
  // Knuth-Morris-Pratt, so that every byte is read once.
  const size_t n = std::strlen(pattern);
  size_t fail[16] = {0};
  for (size_t i = 1, k = 0; i < n; ++i) {
    while (k > 0 && pattern[i] != pattern[k]) {
      k = fail[k - 1];
    }
    if (pattern[i] == pattern[k]) {
      ++k;
    }
    fail[i] = k;
  }
  size_t matched = 0;
  for (int c = src_.Next(); c >= 0; c = src_.Next()) {
    while (matched > 0 && c != static_cast<uint8_t>(pattern[matched])) {
      matched = fail[matched - 1];
    }
    if (c == static_cast<uint8_t>(pattern[matched]) && ++matched == n) {
      return true;
    }
  }
  return false;
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
      entry->value_begin = entry->value_end = t.end;
      return true;
    }
    if (v.kind == PdfTokenKind::kStray) {
      // The key is dropped with the stray byte, as the parser drops it.
      continue;
    }
    entry->value = Next();
    if (entry->value.int32 && Peek(0).int32 && Peek(1).Is(PdfKeyword::kR)) {
      entry->reference = true;
      entry->gen = Peek(0);
    }
    entry->value_begin = entry->value.begin;
    entry->value_end = StepOverValue(entry->value, &entry->whole, &entry->levels).end;
    return true;
  }
}

template <typename Source>
PdfToken CPdfLexer<Source>::StepOverContents(const PdfToken& first, bool* closed, size_t* most) {
  enum Frame : uint8_t { kArray, kDictKey, kDictValue };
  Frames frames;
  frames.push_back(first.kind == PdfTokenKind::kArrayOpen ? kArray : kDictKey);
  *most = 1;
  PdfToken last = first;
  while (!frames.empty()) {
    if (AtObjectEnd()) {
      *closed = false;
      return last;
    }
    const PdfTokenKind kind = Peek(0).kind;
    uint8_t& top = frames.back();
    if (top == kDictKey) {
      if (kind == PdfTokenKind::kDictClose) {
        frames.pop_back();
      } else if (kind == PdfTokenKind::kName) {
        top = kDictValue;
      }
      last = Next();
      *closed = *closed && !last.open;
      continue;
    }
    if (top == kArray && kind == PdfTokenKind::kArrayClose) {
      frames.pop_back();
      last = Next();
      continue;
    }
    if (top == kDictValue) {
      top = kDictKey;
      // A stray byte drops its key; ">>" closes the dictionary where a key would.
      if (kind == PdfTokenKind::kStray || kind == PdfTokenKind::kDictClose) {
        continue;
      }
    }
    last = Next();
    if (kind == PdfTokenKind::kArrayOpen || kind == PdfTokenKind::kDictOpen) {
      frames.push_back(kind == PdfTokenKind::kArrayOpen ? kArray : kDictKey);
      *most = std::max(*most, frames.size());
      continue;
    }
    if (last.int32 && Peek(0).int32 && Peek(1).Is(PdfKeyword::kR)) {
      Next();
      last = Next();
    }
    *closed = *closed && !last.open;
  }
  return last;
}

// The lexer is built for each of its sources here.
template void CPdfLexer<PdfSpanSource>::Fill(int);
template PdfToken CPdfLexer<PdfSpanSource>::Lex(std::string*);
template void CPdfLexer<PdfStreamSource>::Fill(int);
template PdfToken CPdfLexer<PdfStreamSource>::Lex(std::string*);
template void CPdfLexer<PdfFileSource>::Fill(int);
template PdfToken CPdfLexer<PdfFileSource>::Lex(std::string*);
template bool CPdfLexer<PdfSpanSource>::AtObjectEnd();
template PdfToken CPdfLexer<PdfSpanSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfSpanSource>::SkipPast(const char*);
template bool CPdfLexer<PdfSpanSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfStreamSource>::AtObjectEnd();
template PdfToken CPdfLexer<PdfStreamSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfStreamSource>::SkipPast(const char*);
template bool CPdfLexer<PdfStreamSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfFileSource>::AtObjectEnd();
template PdfToken CPdfLexer<PdfFileSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfFileSource>::SkipPast(const char*);
template bool CPdfLexer<PdfFileSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
