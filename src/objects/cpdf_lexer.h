#ifndef QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "objects/pdf_char_class.h"
#include "streams/cpdf_stream.h"

// Where PDF tokens begin and end, known in this one place. The lexer gives each token's kind and
// extent and builds no values: the parser builds values from the bytes it asks the lexer to
// capture, the copy finds where objects end, and the /Rotate patch walks a page dictionary's
// top-level keys (NextDictEntry) to replace their values by extent.
//
// Sources (template parameter): int Next() and int Peek() give a byte 0..255 or -1 at the end;
// uint64_t Tell() is the position of the next byte.

enum class PdfTokenKind : uint8_t {
  kEnd,            // no token before the end of the bytes
  kNumber,         // a sign, digits and points: "12abc" is 12, then the keyword "abc"
  kName,           // "/" and the regular bytes after it, # escapes undecoded
  kLiteralString,  // "(" to its matching ")", escaped bytes stepped over; or to the end
  kHexString,      // "<" to ">", or to the end
  kDictOpen,       // "<<"
  kDictClose,      // ">>"
  kArrayOpen,      // "["
  kArrayClose,     // "]"
  kKeyword,        // any other run of regular bytes: true, null, R, obj, stream, endobj...
  kStray,          // ")", "{", "}" or a lone ">": one byte that starts no token
};

// The keywords that readers act on, told apart while lexing so that no caller reads them back.
enum class PdfKeyword : uint8_t {
  kOther,
  kR,
  kObj,
  kEndobj,
  kStream,
  kEndstream,
  kXref,
  kTrailer,
  kStartxref,
  kTrue,
  kFalse,
  kNull,
};

struct PdfToken {
  PdfTokenKind kind = PdfTokenKind::kEnd;
  PdfKeyword keyword = PdfKeyword::kOther;  // for kKeyword
  uint64_t begin = 0;                       // position of the first byte
  uint64_t end = 0;                         // one past the last byte
  bool open = false;                        // a string that the bytes end inside

  bool Is(PdfKeyword word) const { return kind == PdfTokenKind::kKeyword && keyword == word; }
};

// Which keyword the bytes spell (kOther for any other word).
PdfKeyword ClassifyPdfKeyword(const char* bytes, size_t length);

// A number token's value. Integers are exact over 64 bits; beyond that, and with a point, a
// real. An optional sign is read as readers read it ("+90" is 90).
struct PdfNumber {
  bool integer = true;
  int64_t value = 0;
  double real = 0;
};
PdfNumber ParsePdfNumber(const uint8_t* bytes, size_t length);
// A name's bytes after the slash with its # escapes decoded, cut at its first zero byte.
std::string DecodePdfName(const uint8_t* bytes, size_t length);
// Whether a name's bytes after the slash, decoded, spell name (which has no escapes).
bool PdfNameIs(const uint8_t* bytes, size_t length, std::string_view name);

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
  uint64_t value_begin = 0;  // the value's extent: a whole container, "n g R" as one value;
  uint64_t value_end = 0;    // empty (at the key's end) when ">>" or the end follows the key
  bool whole = true;         // false for a container or string the object's end leaves open
  // Tokens passed over where a key belongs (counted on, never reset): with none, the entries
  // step over the dictionary token for token as StepOverValue does.
  uint32_t passed_over = 0;
};

// Whether the tokens ahead (look(k) gives the k-th, from 0) end an object's bytes: its
// "endobj", a keyword of the file's own structure, the next object's "n g obj", or the end. No
// value holds them, so an object whose "endobj" is damaged or missing still ends there, and
// the copy, the parser and the extraction agree on where.
template <typename Look>
bool StopsObject(Look&& look) {
  const PdfToken& t = look(0);
  switch (t.kind) {
    case PdfTokenKind::kEnd:
      return true;
    case PdfTokenKind::kKeyword:
      return t.keyword == PdfKeyword::kEndobj || t.keyword == PdfKeyword::kXref ||
             t.keyword == PdfKeyword::kTrailer || t.keyword == PdfKeyword::kStartxref;
    case PdfTokenKind::kNumber:
      return look(1).kind == PdfTokenKind::kNumber && look(2).Is(PdfKeyword::kObj);
    default:
      return false;
  }
}

template <typename Source>
class CPdfLexer {
 public:
  explicit CPdfLexer(Source source) : src_(std::move(source)) {}

  Source& GetSource() { return src_; }

  // The next token after white space and comments. With text, its bytes are appended there (a
  // token already peeked cannot be captured: its bytes are gone).
  PdfToken Next(std::string* text = nullptr) {
    if (queued_ > 0) {
      const PdfToken t = queue_[0];
      // Mostly one token is queued (the one a check for the object's end looked at).
      for (int k = 1; k < queued_; ++k) {
        queue_[k - 1] = queue_[k];
      }
      --queued_;
      return t;
    }
    return Lex(text);
  }

  // The token k (0 to 2) places ahead, lexed once and kept for Next.
  const PdfToken& Peek(int k) {
    while (queued_ <= k) {
      queue_[queued_++] = Lex(nullptr);
    }
    return queue_[k];
  }

  // Whether a string token has run to the end of the bytes.
  bool RanOutInString() const { return ran_out_in_string_; }

  // Whether the tokens ahead end an object's bytes (see StopsObject).
  bool AtObjectEnd() {
    return StopsObject([this](int k) -> const PdfToken& { return Peek(k); });
  }

  // Steps over the rest of the value that starts with first: a container to its matching close
  // (nesting counted, not recursed), a number followed by "g R" together with them. Gives the
  // value's last token (first itself for a simple value). An unclosed container ends before
  // whatever ends the object (AtObjectEnd), which is left to be read; whole (when given) tells
  // whether the value was closed, containers and strings alike.
  PdfToken StepOverValue(const PdfToken& first, bool* whole = nullptr) {
    bool closed = !first.open;
    const PdfToken last = StepOver(first, &closed);
    if (whole) {
      *whole = closed;
    }
    return last;
  }

  // Steps over raw bytes, no tokens, through the first occurrence of pattern (at most 16
  // bytes): a stream body whose length is not known. False when the bytes end first. Only
  // with no token peeked.
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
          *close = PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, at, at};
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
        ++entry->passed_over;
        continue;
      }
      entry->key = t;
      entry->whole = true;
      const PdfToken& v = Peek(0);
      if (v.kind == PdfTokenKind::kDictClose || AtObjectEnd()) {
        entry->value_begin = entry->value_end = t.end;
        return true;
      }
      if (v.kind == PdfTokenKind::kStray) {
        // The key is dropped with the stray byte, as the parser drops it.
        continue;
      }
      const PdfToken first = Next();
      entry->value_begin = first.begin;
      entry->value_end = StepOverValue(first, &entry->whole).end;
      return true;
    }
  }

 private:
  PdfToken StepOver(const PdfToken& first, bool* closed) {
    if (first.kind == PdfTokenKind::kNumber) {
      if (Peek(0).kind == PdfTokenKind::kNumber && Peek(1).Is(PdfKeyword::kR)) {
        Next();
        return Next();
      }
      return first;
    }
    if (first.kind != PdfTokenKind::kDictOpen && first.kind != PdfTokenKind::kArrayOpen) {
      return first;
    }
    // A close of the other kind closes nothing (the parser reads it as an element), so it is
    // stepped over like one, at every level: a value nested deeper than any reader reads is
    // still copied whole. Bit k of shallow tells whether level k + 1 is a dictionary; levels
    // past 64 are kept in deep, which only such values make grow.
    constexpr uint64_t kShallow = 64;
    uint64_t depth = 1;
    uint64_t shallow = first.kind == PdfTokenKind::kDictOpen ? 1 : 0;
    std::vector<bool> deep;
    const auto is_dict = [&](uint64_t level) {
      return level < kShallow ? ((shallow >> level) & 1) != 0 : deep[level - kShallow];
    };
    PdfToken t = first;
    while (depth > 0) {
      if (AtObjectEnd()) {
        *closed = false;
        return t;
      }
      t = Next();
      switch (t.kind) {
        case PdfTokenKind::kDictOpen:
        case PdfTokenKind::kArrayOpen: {
          const bool dict = t.kind == PdfTokenKind::kDictOpen;
          if (depth < kShallow) {
            shallow = dict ? shallow | (uint64_t{1} << depth) : shallow & ~(uint64_t{1} << depth);
          } else {
            deep.resize(depth - kShallow);
            deep.push_back(dict);
          }
          ++depth;
          break;
        }
        case PdfTokenKind::kDictClose:
        case PdfTokenKind::kArrayClose:
          if (is_dict(depth - 1) == (t.kind == PdfTokenKind::kDictClose)) {
            --depth;
          }
          break;
        default:
          *closed = *closed && !t.open;
          break;
      }
    }
    return t;
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
        return PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, at, at};
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
        t.kind = PdfTokenKind::kLiteralString;
        if (!LexLiteralString(text)) {
          t.open = ran_out_in_string_ = true;
        }
        break;
      case '<':
        if (src_.Peek() == '<') {
          Keep(text, src_.Next());
          t.kind = PdfTokenKind::kDictOpen;
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
        KeepRegularRun(text);
        break;
      default:
        if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) {
          t.kind = PdfTokenKind::kNumber;
          for (int p = src_.Peek(); (p >= '0' && p <= '9') || p == '.'; p = src_.Peek()) {
            Keep(text, src_.Next());
          }
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

  void KeepRegularRun(std::string* text) {
    while (PdfIsRegular(src_.Peek())) {
      Keep(text, src_.Next());
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
  PdfToken queue_[3];
  int queued_ = 0;
  bool ran_out_in_string_ = false;
};

// Whether "num gen obj" comes next, leaving the lexer after "obj" and begin (when given) at the
// header's first byte.
template <typename Source>
bool LexObjectHeader(CPdfLexer<Source>& lexer,
                     int32_t num,
                     int32_t gen,
                     uint64_t* begin = nullptr) {
  std::string text;
  for (int k = 0; k < 2; ++k) {
    const int32_t expected = k == 0 ? num : gen;
    text.clear();
    const PdfToken t = lexer.Next(&text);
    if (t.kind != PdfTokenKind::kNumber) {
      return false;
    }
    if (k == 0 && begin) {
      *begin = t.begin;
    }
    const PdfNumber n = ParsePdfNumber(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!n.integer || n.value != expected) {
      return false;
    }
  }
  return lexer.Next().Is(PdfKeyword::kObj);
}

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_LEXER_H_
