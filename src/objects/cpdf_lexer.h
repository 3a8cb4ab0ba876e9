#ifndef QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "objects/pdf_char_class.h"
#include "objects/pdf_token.h"
#include "streams/cpdf_stream.h"

// The one scanner: where PDF tokens, values and objects begin and end is known in this one
// place. The lexer gives each token's kind and extent and builds no values; the parser builds
// values from the tokens and their text (kept for it), the object map finds every object's
// extent, and the /Rotate patch walks a page's top-level keys (NextDictEntry).
//
// Sources (template parameter): int Next() and int Peek() give a byte 0..255 or -1 at the end;
// uint64_t Tell() is the position of the next byte; Window gives the bytes held in memory from
// there (none is fine), Advance reads up to a place in them. Tokens that lie whole in the
// window are lexed in tight loops over memory; the others byte by byte.

// Bytes in memory.
class PdfSpanSource {
 public:
  PdfSpanSource(const uint8_t* data, size_t size) : data_(data), p_(data), end_(data + size) {}
  int Next() { return p_ < end_ ? *p_++ : -1; }
  int Peek() const { return p_ < end_ ? *p_ : -1; }
  uint64_t Tell() const { return static_cast<uint64_t>(p_ - data_); }
  const uint8_t* Data() const { return data_; }
  void Window(const uint8_t** next, const uint8_t** end) const {
    *next = p_;
    *end = end_;
  }
  void Advance(const uint8_t* next) { p_ = next; }

 private:
  const uint8_t* data_;
  const uint8_t* p_;
  const uint8_t* end_;
};

// A stream (borrowed), read through its inline buffer. Positions cost a virtual call each, so
// they are asked of the stream only when wanted; else every token's extent reads 0.
class PdfStreamSource {
 public:
  PdfStreamSource(CPdfStream* stream, bool positions) : stream_(stream), positions_(positions) {}
  int Next() { return stream_->NextByte(); }
  int Peek() { return stream_->PeekByte(); }
  uint64_t Tell() { return positions_ ? stream_->Tell() : 0; }
  void Window(const uint8_t** next, const uint8_t** end) const {
    *next = stream_->BufferedNext();
    *end = stream_->BufferedLimit();
  }
  void Advance(const uint8_t* next) { stream_->SkipBuffered(next); }

 private:
  CPdfStream* stream_;
  bool positions_;
};

// One dictionary entry as NextDictEntry finds it.
struct PdfDictEntry {
  PdfToken key;            // the key's name token
  PdfToken value;          // the value's first token (kEnd when it has none)
  bool reference = false;  // the value is "n g R"; gen is its second token
  PdfToken gen;
  uint64_t value_begin = 0;  // the value's extent: a whole container, "n g R" as one value;
  uint64_t value_end = 0;    // empty (at the key's end) when ">>" or the end follows the key
  bool whole = true;         // false for a container or string the object's end leaves open
};

template <typename Source>
class CPdfLexer {
 public:
  // With keep_text, the bytes of every token are kept while it is queued (Text).
  explicit CPdfLexer(Source source, bool keep_text = false)
      : src_(std::move(source)), keep_text_(keep_text) {}

  Source& GetSource() { return src_; }

  // The next token after white space and comments. With text, its bytes are appended there
  // (a token already peeked is given from the queue, its text from Text before this call).
  PdfToken Next(std::string* text = nullptr) {
    if (count_ > 0) {
      const PdfToken t = ring_[head_].token;
      head_ = (head_ + 1) & (kRing - 1);
      --count_;
      return t;
    }
    return Lex(text);
  }

  // The token k places ahead (0 to 2), lexed once and kept for Next.
  const PdfToken& Peek(int k) {
    if (k >= count_) {
      Fill(k);
    }
    return ring_[(head_ + k) & (kRing - 1)].token;
  }
  // The bytes of the token k places ahead (with keep_text).
  const std::string& Text(int k) {
    Peek(k);
    return ring_[(head_ + k) & (kRing - 1)].text;
  }
  // Forgets the tokens peeked: after the source was moved.
  void DropQueue() { count_ = 0; }
  bool QueueEmpty() const { return count_ == 0; }
  // Between objects no string is lexed: "(" and a lone "<" there are stray bytes, so junk
  // between objects cannot hide the headers after it.
  void SetBetweenObjects(bool between) { between_ = between; }

  // Whether a string token has run to the end of the bytes (since the last Clear).
  bool RanOutInString() const { return ran_out_in_string_; }
  void ClearRanOutInString() { ran_out_in_string_ = false; }

  // Whether the tokens ahead end an object's bytes: its "endobj", a keyword of the file's own
  // structure, the next object's "n g obj", or the end. No value holds them, so an object whose
  // "endobj" is damaged or missing still ends there, for the parser and the map alike.
  bool AtObjectEnd() {
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

  // Steps over the rest of the value that starts with first, as the parser reads it: a
  // container to its matching close, "n g R" as one value. In a dictionary a token where a key
  // belongs that is no name stands alone, a stray byte drops its key and ">>" closes it; in an
  // array only "]" closes it. Nesting is counted on a stack, not recursed. Gives the value's
  // last token. An unclosed container ends before whatever ends the object (AtObjectEnd),
  // which is left to be read; whole tells whether the value was closed, containers and strings
  // alike; levels, the most containers that were open at once.
  PdfToken StepOverValue(const PdfToken& first, bool* whole = nullptr, size_t* levels = nullptr) {
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

  // Steps over raw bytes, no tokens, through the first occurrence of pattern (at most 16
  // bytes). False when the bytes end first. Only with no token peeked.
  bool SkipPast(const char* pattern) {
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

  // With "<<" just read: the next top-level entry, false at ">>" (close set to it) or where the
  // object ends (AtObjectEnd; close set to an empty kEnd there, that token left to be read). A
  // token where a key belongs that is no name is passed over on its own, as the parser does.
  bool NextDictEntry(PdfDictEntry* entry, PdfToken* close = nullptr) {
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
      entry->value_end = StepOverValue(entry->value, &entry->whole).end;
      return true;
    }
  }

 private:
  struct Queued {
    PdfToken token;
    std::string text;
  };
  static constexpr int kRing = 4;  // room for three tokens, a power of two

  void Fill(int k) {
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

  PdfToken StepOverContents(const PdfToken& first, bool* closed, size_t* most) {
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

  void Keep(std::string* text, int c) {
    if (text) {
      text->push_back(static_cast<char>(c));
    }
  }

  PdfToken Lex(std::string* text) {
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

  // White space and comments, over memory while the source holds bytes.
  void SkipSpace() {
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
      for (; p < e; ++p) {
        const uint8_t c = *p;
        if (comment) {
          comment = c != '\r' && c != '\n';
          continue;
        }
        if (c == '%') {
          comment = true;
        } else if (kPdfChars.cls[c] != kPdfWhite) {
          break;
        }
      }
      src_.Advance(p);
      if (p < e) {
        return;
      }
    }
  }

  // The end of the token at p when it lies whole before e (its kind in t), else null.
  const uint8_t* LexInWindow(const uint8_t* p, const uint8_t* e, PdfToken* t) {
    const uint8_t c = *p;
    const uint8_t* q = p + 1;
    switch (c) {
      case '(': {
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
      case '<': {
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
      case '>':
        if (q == e) {
          return nullptr;
        }
        t->kind = *q == '>' ? PdfTokenKind::kDictClose : PdfTokenKind::kStray;
        return *q == '>' ? q + 1 : q;
      case '[':
        t->kind = PdfTokenKind::kArrayOpen;
        return q;
      case ']':
        t->kind = PdfTokenKind::kArrayClose;
        return q;
      case ')':
      case '{':
      case '}':
        t->kind = PdfTokenKind::kStray;
        return q;
      case '/':
        t->kind = PdfTokenKind::kName;
        while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
          ++q;
        }
        return q < e ? q : nullptr;
      default:
        break;
    }
    if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) {
      t->kind = PdfTokenKind::kNumber;
      const bool negative = c == '-';
      bool point = c == '.';
      uint64_t magnitude = c >= '0' && c <= '9' ? static_cast<uint64_t>(c - '0') : 0;
      constexpr uint64_t kPast = uint64_t{1} << 32;
      for (; q < e && ((*q >= '0' && *q <= '9') || *q == '.'); ++q) {
        if (*q == '.') {
          point = true;
        } else if (!point) {
          magnitude = std::min(kPast, magnitude * 10 + static_cast<uint64_t>(*q - '0'));
        }
      }
      if (q == e) {
        return nullptr;
      }
      NoteInteger(negative, point, magnitude, t);
      return q;
    }
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

  PdfToken LexBytes(std::string* text) {
    int c;
    for (;;) {
      c = src_.Peek();
      if (c < 0) {
        const uint64_t at = src_.Tell();
        return PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, false, false, 0, at, at};
      }
      if (c == '%') {
        // A comment runs to the next CR or LF.
        do {
          src_.Next();
          c = src_.Peek();
        } while (c >= 0 && c != '\r' && c != '\n');
        continue;
      }
      if (!PdfIsWhite(c)) {
        break;
      }
      src_.Next();
    }
    PdfToken t;
    t.begin = src_.Tell();
    src_.Next();
    Keep(text, c);
    switch (c) {
      case '(':
        if (between_) {
          t.kind = PdfTokenKind::kStray;
          break;
        }
        t.kind = PdfTokenKind::kLiteralString;
        if (!LexLiteralString(text)) {
          t.open = ran_out_in_string_ = true;
        }
        break;
      case '<':
        if (src_.Peek() == '<') {
          Keep(text, src_.Next());
          t.kind = PdfTokenKind::kDictOpen;
        } else if (between_) {
          t.kind = PdfTokenKind::kStray;
        } else {
          t.kind = PdfTokenKind::kHexString;
          for (;;) {
            const int h = src_.Next();
            if (h < 0) {
              t.open = ran_out_in_string_ = true;
              break;
            }
            Keep(text, h);
            if (h == '>') {
              break;
            }
          }
        }
        break;
      case '>':
        if (src_.Peek() == '>') {
          Keep(text, src_.Next());
          t.kind = PdfTokenKind::kDictClose;
        } else {
          t.kind = PdfTokenKind::kStray;
        }
        break;
      case '[':
        t.kind = PdfTokenKind::kArrayOpen;
        break;
      case ']':
        t.kind = PdfTokenKind::kArrayClose;
        break;
      case ')':
      case '{':
      case '}':
        t.kind = PdfTokenKind::kStray;
        break;
      case '/':
        t.kind = PdfTokenKind::kName;
        while (PdfIsRegular(src_.Peek())) {
          Keep(text, src_.Next());
        }
        break;
      default:
        if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) {
          LexNumber(c, text, &t);
        } else {
          t.kind = PdfTokenKind::kKeyword;
          // The longest keyword told apart has nine bytes; longer words are kOther.
          char word[10];
          size_t n = 0;
          word[n++] = static_cast<char>(c);
          while (PdfIsRegular(src_.Peek())) {
            const int w = src_.Next();
            Keep(text, w);
            if (n < sizeof(word)) {
              word[n] = static_cast<char>(w);
            }
            ++n;
          }
          t.keyword = n < sizeof(word) ? ClassifyPdfKeyword(word, n) : PdfKeyword::kOther;
        }
        break;
    }
    t.end = src_.Tell();
    return t;
  }

  // Digits and points after c; an integer's value is noted when it fits 32 bits (leading zeros
  // are no limit; a lone sign is 0, as ParsePdfNumber reads it).
  void LexNumber(int c, std::string* text, PdfToken* t) {
    t->kind = PdfTokenKind::kNumber;
    constexpr uint64_t kPast = uint64_t{1} << 32;
    const bool negative = c == '-';
    bool point = c == '.';
    uint64_t magnitude = c >= '0' && c <= '9' ? static_cast<uint64_t>(c - '0') : 0;
    for (int p = src_.Peek(); (p >= '0' && p <= '9') || p == '.'; p = src_.Peek()) {
      Keep(text, src_.Next());
      if (p == '.') {
        point = true;
      } else if (!point) {
        magnitude = std::min(kPast, magnitude * 10 + static_cast<uint64_t>(p - '0'));
      }
    }
    NoteInteger(negative, point, magnitude, t);
  }

  // A number token's value when it is an integer of 32 bits (magnitude held at 2^32 at most).
  static void NoteInteger(bool negative, bool point, uint64_t magnitude, PdfToken* t) {
    if (!point && magnitude <= (negative ? uint64_t{1} << 31 : uint64_t{INT32_MAX})) {
      t->int32 = true;
      t->value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                          : static_cast<int32_t>(magnitude);
    }
  }

  // False when the bytes end before the string does.
  bool LexLiteralString(std::string* text) {
    uint64_t depth = 1;
    for (;;) {
      const int c = src_.Next();
      if (c < 0) {
        return false;
      }
      Keep(text, c);
      if (c == '\\') {
        const int e = src_.Next();
        if (e < 0) {
          return false;
        }
        Keep(text, e);
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return true;
      }
    }
  }

  Source src_;
  bool keep_text_;
  bool between_ = false;
  Queued ring_[kRing];
  int head_ = 0;
  int count_ = 0;
  bool ran_out_in_string_ = false;
};

// Whether "num gen obj" comes next, leaving the lexer after "obj" and begin (when given) at the
// header's first byte.
template <typename Source>
bool LexObjectHeader(CPdfLexer<Source>& lexer,
                     int32_t num,
                     int32_t gen,
                     uint64_t* begin = nullptr) {
  const PdfToken n = lexer.Next();
  if (!n.int32 || n.value != num) {
    return false;
  }
  if (begin) {
    *begin = n.begin;
  }
  const PdfToken g = lexer.Next();
  return g.int32 && g.value == gen && lexer.Next().Is(PdfKeyword::kObj);
}

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_
