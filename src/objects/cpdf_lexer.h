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
// uint64_t Tell() is the position of the next byte.

// Bytes in memory.
class PdfSpanSource {
 public:
  PdfSpanSource(const uint8_t* data, size_t size) : data_(data), p_(data), end_(data + size) {}
  int Next() { return p_ < end_ ? *p_++ : -1; }
  int Peek() const { return p_ < end_ ? *p_ : -1; }
  uint64_t Tell() const { return static_cast<uint64_t>(p_ - data_); }
  const uint8_t* Data() const { return data_; }

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

 private:
  CPdfStream* stream_;
  bool positions_;
};

// One dictionary entry as NextDictEntry finds it.
struct PdfDictEntry {
  PdfToken key;              // the key's name token
  PdfToken value;            // the value's first token (kEnd when it has none)
  bool reference = false;    // the value is "n g R"; gen is its second token
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
    while (count_ <= k) {
      Queued& slot = ring_[(head_ + count_) & (kRing - 1)];
      slot.text.clear();
      slot.token = Lex(keep_text_ ? &slot.text : nullptr);
      ++count_;
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

  // Whether a string token has run to the end of the bytes.
  bool RanOutInString() const { return ran_out_in_string_; }

  // Whether the tokens ahead end an object's bytes (see StopsObject).
  bool AtObjectEnd() {
    return StopsObject([this](int k) -> const PdfToken& { return Peek(k); });
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

  PdfToken StepOverContents(const PdfToken& first, bool* closed, size_t* most) {
    enum Frame : uint8_t { kArray, kDictKey, kDictValue };
    std::vector<uint8_t> frames;
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
