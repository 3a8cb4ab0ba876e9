// The one scanner's stepping over values and dictionary entries: one algorithm, which takes its
// tokens from the lexer's ring or, faster, lexes them in place over the bytes held in memory.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "objects/cpdf_lexer.h"
#include "objects/cpdf_lexer_window.h"
#include "objects/pdf_char_class.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

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
bool CPdfLexer<Source>::TakeReference(int32_t* num, int32_t* gen) {
  if (count_ != 0) {
    return false;
  }
  WindowCursor window(this);
  const PdfToken* n = window.Peek(0);
  const PdfToken* g = n && n->int32 ? window.Peek(1) : nullptr;
  const PdfToken* r = g && g->int32 ? window.Peek(2) : nullptr;
  if (!r || !r->Is(PdfKeyword::kR)) {
    return false;
  }
  *num = n->value;
  *gen = g->value;
  window.Take();
  window.Take();
  window.Take();
  return true;
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

// Stepping is built for each of the lexer's sources here.
template bool CPdfLexer<PdfSpanSource>::AtObjectEnd();
template bool CPdfLexer<PdfSpanSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfSpanSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfSpanSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfStreamSource>::AtObjectEnd();
template bool CPdfLexer<PdfStreamSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfStreamSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfStreamSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
template bool CPdfLexer<PdfFileSource>::AtObjectEnd();
template bool CPdfLexer<PdfFileSource>::TakeReference(int32_t*, int32_t*);
template PdfToken CPdfLexer<PdfFileSource>::StepOverValue(const PdfToken&, bool*, size_t*);
template bool CPdfLexer<PdfFileSource>::NextDictEntry(PdfDictEntry*, PdfToken*);
