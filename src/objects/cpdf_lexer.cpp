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

// The ring as a cursor: peeks and takes any token, never runs out.
template <typename Source>
class CPdfLexer<Source>::RingCursor {
 public:
  static constexpr bool kCanRunOut = false;
  explicit RingCursor(CPdfLexer* lexer) : lexer_(lexer) {}
  const PdfToken* Peek(int k) { return &lexer_->Peek(k); }
  PdfToken Take() { return lexer_->Next(); }
  void HandOff() {}

 private:
  CPdfLexer* lexer_;
};

// The bytes held in memory as a cursor: tokens lexed in place when first peeked, no queue.
// Peek gives null where a token does not lie whole there after plain white space (at the end
// of a source whose window is all its bytes, the end counts as a token). The lexer's source
// moves only when the cursor is done (its destructor) or hands over to the ring.
template <typename Source>
class CPdfLexer<Source>::WindowCursor {
 public:
  static constexpr bool kCanRunOut = true;

  explicit WindowCursor(CPdfLexer* lexer) : lexer_(lexer) { lexer_->src_.Window(&p_, &e_); }
  ~WindowCursor() { HandOff(); }
  WindowCursor(const WindowCursor&) = delete;
  WindowCursor& operator=(const WindowCursor&) = delete;

  const PdfToken* Peek(int k) { return k < n_ || LexUpTo(k) ? &tokens_[Slot(k)] : nullptr; }
  PdfToken Take() {
    const PdfToken t = tokens_[head_];
    p_ = ends_[head_];
    head_ = Slot(1);
    --n_;
    return t;
  }
  // Where the next token is taken from, and back there: the tokens taken since are left.
  const uint8_t* Mark() const { return p_; }
  void Rewind(const uint8_t* mark) {
    p_ = mark;
    n_ = 0;
  }
  // The source moved past the tokens taken; the cursor is not used again.
  void HandOff() {
    if (!done_) {
      done_ = true;
      lexer_->src_.Advance(p_);
    }
  }

 private:
  static constexpr int kRoom = 4;  // three ahead at the most, a power of two
  static int Wrap(int k) { return k & (kRoom - 1); }
  int Slot(int k) const { return Wrap(head_ + k); }

  bool LexUpTo(int k) {
    while (n_ <= k) {
      const uint8_t* q = n_ > 0 ? ends_[Slot(n_ - 1)] : p_;
      while (q < e_ && kPdfTokenStarts.start[*q] == PdfTokenStart::kWhite) {
        ++q;
      }
      PdfToken& t = tokens_[Slot(n_)];
      t = PdfToken{};
      const uint8_t* end = q;
      if (q == e_) {
        if (!Source::WindowIsAll()) {
          return false;
        }
      } else if (kPdfTokenStarts.start[*q] == PdfTokenStart::kComment ||
                 (end = lexer_->LexInWindow(q, e_, &t)) == nullptr) {
        return false;
      }
      t.begin = lexer_->src_.TellAt(q);
      t.end = lexer_->src_.TellAt(end);
      ends_[Slot(n_)] = end;
      ++n_;
    }
    return true;
  }

  CPdfLexer* lexer_;
  const uint8_t* p_;  // past the last token taken
  const uint8_t* e_;
  bool done_ = false;
  PdfToken tokens_[kRoom];
  const uint8_t* ends_[kRoom];
  int head_ = 0;
  int n_ = 0;
};

template <typename Source>
const uint8_t* CPdfLexer<Source>::Mark(WindowCursor& c) {
  return c.Mark();
}

template <typename Source>
void CPdfLexer<Source>::Rewind(WindowCursor& c, const uint8_t* mark) {
  c.Rewind(mark);
}

template <typename Source>
inline PdfToken CPdfLexer<Source>::Lex(std::string* text) {
  // The usual token: after plain white space, whole in the bytes held.
  const uint8_t* w;
  const uint8_t* e;
  src_.Window(&w, &e);
  const uint8_t* p = w;
  while (p < e && kPdfTokenStarts.start[*p] == PdfTokenStart::kWhite) {
    ++p;
  }
  PdfToken t;
  const uint8_t* end = p < e && kPdfTokenStarts.start[*p] != PdfTokenStart::kComment
                           ? LexInWindow(p, e, &t)
                           : nullptr;
  if (!end) {
    src_.Advance(p);
    return LexAfterSpace(text);
  }
  t.begin = src_.TellAt(p);
  t.end = src_.TellAt(end);
  src_.Advance(end);
  Keep(text, t, p, end);
  return t;
}

template <typename Source>
__attribute__((noinline)) PdfToken CPdfLexer<Source>::LexAfterSpace(std::string* text) {
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
  Keep(text, t, p, end);
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
template <typename Cursor>
inline bool CPdfLexer<Source>::Ahead(Cursor& c) {
  if constexpr (!Cursor::kCanRunOut) {
    return true;
  }
  const PdfToken* t = c.Peek(0);
  if (!t || !t->int32) {
    return t != nullptr;
  }
  t = c.Peek(1);
  return t && (!t->int32 || c.Peek(2));
}

template <typename Source>
template <typename Cursor>
inline bool CPdfLexer<Source>::EndAhead(Cursor& c) {
  const PdfToken& t = *c.Peek(0);
  switch (t.kind) {
    case PdfTokenKind::kEnd:
      return true;
    case PdfTokenKind::kKeyword:
      return t.keyword == PdfKeyword::kEndobj || t.keyword == PdfKeyword::kXref ||
             t.keyword == PdfKeyword::kTrailer || t.keyword == PdfKeyword::kStartxref;
    case PdfTokenKind::kNumber:
      return t.IsCount() && c.Peek(1)->IsCount() && c.Peek(2)->Is(PdfKeyword::kObj);
    default:
      return false;
  }
}

template <typename Source>
bool CPdfLexer<Source>::AtObjectEnd() {
  RingCursor ring(this);
  return EndAhead(ring);
}

template <typename Source>
PdfToken CPdfLexer<Source>::StepOverValue(const PdfToken& first, bool* whole, size_t* levels) {
  if (count_ == 0) {
    WindowCursor window(this);
    if (!first.int32 || Ahead(window)) {
      return StepValue(window, first, whole, levels);
    }
  }
  RingCursor ring(this);
  return StepValue(ring, first, whole, levels);
}

template <typename Source>
template <typename Cursor>
PdfToken CPdfLexer<Source>::StepValue(Cursor& c,
                                      const PdfToken& first,
                                      bool* whole,
                                      size_t* levels) {
  // With the tokens "n g R" needs peeked (Ahead) when first is a number.
  bool closed = !first.open;
  size_t most = 0;
  PdfToken last = first;
  if (first.kind == PdfTokenKind::kDictOpen || first.kind == PdfTokenKind::kArrayOpen) {
    Frames frames;
    frames.push_back(first.kind == PdfTokenKind::kArrayOpen ? Frames::kArray : Frames::kDictKey);
    most = 1;
    if (!StepContents(c, &frames, &last, &closed, &most)) {
      c.HandOff();
      RingCursor ring(this);
      StepContents(ring, &frames, &last, &closed, &most);
    }
  } else if (first.int32 && c.Peek(0)->int32 && c.Peek(1)->Is(PdfKeyword::kR)) {
    c.Take();
    last = c.Take();
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
  if (count_ == 0) {
    WindowCursor window(this);
    const int got = DictEntry(window, entry, close);
    if (got >= 0) {
      return got > 0;
    }
  }
  RingCursor ring(this);
  return DictEntry(ring, entry, close) > 0;
}

template <typename Source>
template <typename Cursor>
int CPdfLexer<Source>::DictEntry(Cursor& c, PdfDictEntry* entry, PdfToken* close) {
  for (;;) {
    if (!Ahead(c)) {
      return -1;
    }
    if (EndAhead(c)) {
      if (close) {
        const uint64_t at = c.Peek(0)->begin;
        *close = PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, false, false, 0, at, at};
      }
      return 0;
    }
    const auto mark = Mark(c);
    const PdfToken t = c.Take();
    if (t.kind == PdfTokenKind::kEnd || t.kind == PdfTokenKind::kDictClose) {
      if (close) {
        *close = t;
      }
      return 0;
    }
    if (t.kind != PdfTokenKind::kName) {
      continue;
    }
    // The value, and what tells its end: the whole entry is read again from its key when the
    // bytes held do not tell.
    if (!Ahead(c)) {
      Rewind(c, mark);
      return -1;
    }
    entry->key = t;
    entry->whole = true;
    entry->reference = false;
    entry->value = PdfToken{};
    entry->levels = 0;
    const PdfToken& v = *c.Peek(0);
    if (v.kind == PdfTokenKind::kDictClose || EndAhead(c)) {
      entry->value_begin = entry->value_end = t.end;
      return 1;
    }
    if (v.kind == PdfTokenKind::kStray) {
      // The key is dropped with the stray byte, as the parser drops it.
      continue;
    }
    entry->value = c.Take();
    if (entry->value.int32 && c.Peek(0)->int32 && c.Peek(1)->Is(PdfKeyword::kR)) {
      entry->reference = true;
      entry->gen = *c.Peek(0);
    }
    entry->value_begin = entry->value.begin;
    entry->value_end = StepValue(c, entry->value, &entry->whole, &entry->levels).end;
    return 1;
  }
}

template <typename Source>
template <typename Cursor>
bool CPdfLexer<Source>::StepContents(Cursor& c,
                                     Frames* frames,
                                     PdfToken* last,
                                     bool* closed,
                                     size_t* most) {
  while (!frames->empty()) {
    // The token, and what "n g R" and "n g obj" need past it, before anything is taken.
    if (!Ahead(c)) {
      return false;
    }
    if (EndAhead(c)) {
      *closed = false;
      return true;
    }
    const PdfTokenKind kind = c.Peek(0)->kind;
    uint8_t& top = frames->back();
    if (top == Frames::kDictKey) {
      if (kind == PdfTokenKind::kDictClose) {
        frames->pop_back();
      } else if (kind == PdfTokenKind::kName) {
        top = Frames::kDictValue;
      }
      *last = c.Take();
      *closed = *closed && !last->open;
      continue;
    }
    if (top == Frames::kArray && kind == PdfTokenKind::kArrayClose) {
      frames->pop_back();
      *last = c.Take();
      continue;
    }
    if (top == Frames::kDictValue) {
      top = Frames::kDictKey;
      // A stray byte drops its key; ">>" closes the dictionary where a key would.
      if (kind == PdfTokenKind::kStray || kind == PdfTokenKind::kDictClose) {
        continue;
      }
    }
    *last = c.Take();
    if (kind == PdfTokenKind::kArrayOpen || kind == PdfTokenKind::kDictOpen) {
      frames->push_back(kind == PdfTokenKind::kArrayOpen ? Frames::kArray : Frames::kDictKey);
      *most = std::max(*most, frames->size());
      continue;
    }
    if (last->int32 && c.Peek(0)->int32 && c.Peek(1)->Is(PdfKeyword::kR)) {
      c.Take();
      *last = c.Take();
    }
    *closed = *closed && !last->open;
  }
  return true;
}

// The lexer is built for each of its sources here.
template void CPdfLexer<PdfSpanSource>::Fill(int);
template PdfToken CPdfLexer<PdfSpanSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfSpanSource>::LexAfterSpace(std::string*);
template void CPdfLexer<PdfStreamSource>::Fill(int);
template PdfToken CPdfLexer<PdfStreamSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfStreamSource>::LexAfterSpace(std::string*);
template void CPdfLexer<PdfFileSource>::Fill(int);
template PdfToken CPdfLexer<PdfFileSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfFileSource>::LexAfterSpace(std::string*);
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
