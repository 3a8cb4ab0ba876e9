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

// The one scanner: where PDF tokens, values and objects begin and end is known in this one
// place. The lexer gives each token's kind and extent and builds no values; the parser builds
// values from the tokens and their text (kept for it), the object map finds every object's
// extent, and the /Rotate patch walks a page's top-level keys (NextDictEntry).
//
// Sources (template parameter) hold bytes in memory: Window gives those not yet read, Advance
// reads up to a place in them, TellAt gives a byte's position, and Extend keeps the bytes from a
// place on and adds those that follow, so that a token is always lexed whole in memory, in one
// loop, wherever the source's buffer ends. Next and Peek give single bytes (0..255, -1 at the
// end) for the readers of raw bytes (table lines, stream bodies). The sources live with the
// streams (pdf_span_source.h, pdf_stream_source.h, pdf_file_source.h); the lexer is built for
// each of them in cpdf_lexer.cpp (stepping over values and entries in cpdf_lexer_steps.cpp).

// One dictionary entry as NextDictEntry finds it.
struct PdfDictEntry {
  PdfToken key;            // the key's name token
  PdfToken value;          // the value's first token (kEnd when it has none)
  bool reference = false;  // the value is "n g R"; gen is its second token
  PdfToken gen;
  uint64_t value_begin = 0;  // the value's extent: a whole container, "n g R" as one value;
  uint64_t value_end = 0;    // empty (at the key's end) when ">>" or the end follows the key
  bool whole = true;         // false for a container or string the object's end leaves open
  size_t levels = 0;         // the most containers open at once in the value
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
    PdfToken t;
    Lex(&t, text);
    return t;
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
  // Whether a dictionary stepped over had a key that ">>" follows, with no value (since the
  // lexer was made). Readers differ there: some take ">>" for the value and read on.
  bool SawKeyWithoutValue() const { return key_without_value_; }

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
  PdfToken StepOverValue(const PdfToken& first, bool* whole = nullptr, size_t* levels = nullptr);

  // Steps over raw bytes, no tokens, through the first occurrence of pattern (at most 16
  // bytes). False when the bytes end first. Only with no token peeked.
  bool SkipPast(const char* pattern);

  // With "<<" just read: the next top-level entry, false at ">>" (close set to it) or where the
  // object ends (AtObjectEnd; close set to an empty kEnd there, that token left to be read). A
  // token where a key belongs that is no name is passed over on its own, as the parser does.
  bool NextDictEntry(PdfDictEntry* entry, PdfToken* close = nullptr);

  // When "n g R" comes next, takes it and gives its numbers; otherwise takes nothing and
  // gives false.
  bool TakeReference(int32_t* num, int32_t* gen);

  // Whether a number written where the lexer stands would join the tokens ahead into "n g R"
  // or "n g obj".
  bool WouldJoin() {
    return Peek(0).kind == PdfTokenKind::kNumber &&
           (Peek(1).Is(PdfKeyword::kR) || Peek(1).Is(PdfKeyword::kObj));
  }

 private:
  struct Queued {
    PdfToken token;
    std::string text;
  };
  static constexpr int kRing = 4;  // room for three tokens, a power of two

  void Fill(int k);

  // Open containers while stepping over a value: the usual few in place, the rest on the heap.
  class Frames {
   public:
    enum Frame : uint8_t { kArray, kDictKey, kDictValue };
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

  // Whether "n g R" follows, the first of its numbers in first and the rest peeked.
  bool ReferenceAhead(const PdfToken& first) {
    return first.int32 && Peek(0).int32 && Peek(1).Is(PdfKeyword::kR);
  }
  // Steps over the open containers in frames.
  void StepContents(Frames* frames, PdfToken* last, bool* closed, size_t* most);

  // Values are built from the text of names, strings, keywords and numbers other than
  // integers; delimiters and integers carry all there is in the token.
  static void Keep(std::string* text, const PdfToken& t, const uint8_t* p, const uint8_t* end) {
    if (text && !t.int32 &&
        (t.kind == PdfTokenKind::kName || t.kind == PdfTokenKind::kNumber ||
         t.kind == PdfTokenKind::kLiteralString || t.kind == PdfTokenKind::kHexString ||
         t.kind == PdfTokenKind::kKeyword)) {
      text->append(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));
    }
  }

  // The next token after white space and comments into t (default-made), its bytes appended to
  // text: the usual token, after plain white space and whole in the bytes held, in one pass.
  void Lex(PdfToken* t, std::string* text);
  // The rest of Lex: a comment, the end of the bytes held, before or in the token.
  void LexOnward(const uint8_t* p, const uint8_t* e, PdfToken* t, std::string* text);
  // Past white space and comments: false at the end of the bytes.
  bool SkipSpace(const uint8_t** p, const uint8_t** e);
  // The end of the token that starts at p, its kind in t; null when it may go on past e and
  // more bytes may follow (all_held false). With all_held, e is the end of the bytes.
  const uint8_t* LexToken(const uint8_t* p, const uint8_t* e, bool all_held, PdfToken* t);

  Source src_;
  bool keep_text_;
  bool between_ = false;
  Queued ring_[kRing];
  int head_ = 0;
  int count_ = 0;
  bool ran_out_in_string_ = false;
  bool key_without_value_ = false;
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
