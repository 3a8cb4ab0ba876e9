// The one scanner's tokens, for each of its sources: one loop per kind of token over bytes in
// memory (values and dictionary entries are stepped over in cpdf_lexer_steps.cpp).
#include "objects/cpdf_lexer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "objects/pdf_char_class.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

namespace {

// The token kinds that take a loop of their own, each as LexToken gives it: the end of the token
// at p, or null when it may go on past e and more bytes may follow.

__attribute__((always_inline)) inline const uint8_t* LexNumberIn(const uint8_t* p,
                                                                 const uint8_t* e,
                                                                 bool all_held,
                                                                 PdfToken* t) {
  t->kind = PdfTokenKind::kNumber;
  const uint8_t c = *p;
  const bool negative = c == '-';
  bool point = c == '.';
  bool digits = c >= '0' && c <= '9';
  uint64_t magnitude = digits ? static_cast<uint64_t>(c - '0') : 0;
  constexpr uint64_t kPast = uint64_t{1} << 32;
  const uint8_t* q = p + 1;
  for (; q < e; ++q) {
    const unsigned digit = static_cast<unsigned>(*q) - '0';
    if (digit <= 9) {
      digits = true;
      if (!point) {
        magnitude = std::min(kPast, magnitude * 10 + digit);
      }
    } else if (*q == '.') {
      point = true;
    } else {
      break;
    }
  }
  if (!digits && q < e && (*q == '-' || *q == '+')) {
    // A sign again before any digit ("--90"): readers take the bytes as one token but not as
    // one value. It is one word here, no number, so that no part of it stands alone.
    while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
      ++q;
    }
    if (q == e && !all_held) {
      return nullptr;
    }
    t->kind = PdfTokenKind::kKeyword;
    t->keyword = PdfKeyword::kOther;
    return q;
  }
  if (q == e && !all_held) {
    return nullptr;
  }
  // An integer's value is noted when it fits 32 bits (magnitude held at 2^32 at most).
  if (!point && magnitude <= (negative ? uint64_t{1} << 31 : uint64_t{INT32_MAX})) {
    t->int32 = true;
    t->value = negative ? static_cast<int32_t>(-static_cast<int64_t>(magnitude))
                        : static_cast<int32_t>(magnitude);
  }
  return q;
}

__attribute__((always_inline)) inline const uint8_t* LexLiteralIn(const uint8_t* p,
                                                                  const uint8_t* e,
                                                                  bool all_held,
                                                                  PdfToken* t) {
  t->kind = PdfTokenKind::kLiteralString;
  uint64_t depth = 1;
  for (const uint8_t* q = p + 1; q < e; ++q) {
    if (*q == '\\') {
      if (++q == e) {
        break;
      }
    } else if (*q == '(') {
      ++depth;
    } else if (*q == ')' && --depth == 0) {
      return q + 1;
    }
  }
  if (!all_held) {
    return nullptr;
  }
  t->open = true;
  return e;
}

// "<<", or a hex string; between objects a lone "<" is a stray byte.
__attribute__((always_inline)) inline const uint8_t* LexAngleIn(const uint8_t* p,
                                                                const uint8_t* e,
                                                                bool all_held,
                                                                bool between,
                                                                PdfToken* t) {
  const uint8_t* q = p + 1;
  if (q == e) {
    if (!all_held) {
      return nullptr;
    }
  } else if (*q == '<') {
    t->kind = PdfTokenKind::kDictOpen;
    return q + 1;
  }
  if (between) {
    t->kind = PdfTokenKind::kStray;
    return q;
  }
  t->kind = PdfTokenKind::kHexString;
  const void* close = std::memchr(q, '>', static_cast<size_t>(e - q));
  if (close) {
    return static_cast<const uint8_t*>(close) + 1;
  }
  if (!all_held) {
    return nullptr;
  }
  t->open = true;
  return e;
}

}  // namespace

template <typename Source>
__attribute__((always_inline)) inline const uint8_t* CPdfLexer<Source>::LexToken(const uint8_t* p,
                                                                                 const uint8_t* e,
                                                                                 bool all_held,
                                                                                 PdfToken* t) {
  const uint8_t* q = p + 1;
  switch (kPdfTokenStarts.start[*p]) {
    case PdfTokenStart::kName:
      t->kind = PdfTokenKind::kName;
      while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
        ++q;
      }
      return q < e || all_held ? q : nullptr;
    case PdfTokenStart::kNumber:
      return LexNumberIn(p, e, all_held, t);
    case PdfTokenStart::kWord: {
      t->kind = PdfTokenKind::kKeyword;
      while (q < e && kPdfChars.cls[*q] == kPdfRegular) {
        ++q;
      }
      if (q == e && !all_held) {
        return nullptr;
      }
      // The longest keyword told apart has nine bytes; longer words are kOther.
      const size_t n = static_cast<size_t>(q - p);
      t->keyword =
          n < 10 ? ClassifyPdfKeyword(reinterpret_cast<const char*>(p), n) : PdfKeyword::kOther;
      return q;
    }
    case PdfTokenStart::kString:
      if (between_) {
        t->kind = PdfTokenKind::kStray;
        return q;
      }
      return LexLiteralIn(p, e, all_held, t);
    case PdfTokenStart::kAngle:
      return LexAngleIn(p, e, all_held, between_, t);
    case PdfTokenStart::kClose:
      if (q == e && !all_held) {
        return nullptr;
      }
      if (q < e && *q == '>') {
        t->kind = PdfTokenKind::kDictClose;
        return q + 1;
      }
      t->kind = PdfTokenKind::kStray;
      return q;
    case PdfTokenStart::kArrayOpen:
      t->kind = PdfTokenKind::kArrayOpen;
      return q;
    case PdfTokenStart::kArrayClose:
      t->kind = PdfTokenKind::kArrayClose;
      return q;
    default:
      // ")", "{" and "}"; white space and comments were skipped.
      t->kind = PdfTokenKind::kStray;
      return q;
  }
}

template <typename Source>
__attribute__((always_inline)) inline void CPdfLexer<Source>::Lex(PdfToken* t, std::string* text) {
  const uint8_t* p;
  const uint8_t* e;
  src_.Window(&p, &e);
  while (p < e && kPdfTokenStarts.start[*p] == PdfTokenStart::kWhite) {
    ++p;
  }
  const uint8_t* end = p < e && kPdfTokenStarts.start[*p] != PdfTokenStart::kComment
                           ? LexToken(p, e, false, t)
                           : nullptr;
  if (!end) {
    LexOnward(p, e, t, text);
    return;
  }
  t->begin = src_.TellAt(p);
  t->end = src_.TellAt(end);
  src_.Advance(end);
  Keep(text, *t, p, end);
}

template <typename Source>
void CPdfLexer<Source>::Fill(int k) {
  while (count_ <= k) {
    Queued& slot = ring_[(head_ + count_) & (kRing - 1)];
    slot.token = PdfToken{};
    if (keep_text_) {
      slot.text.clear();
      Lex(&slot.token, &slot.text);
    } else {
      Lex(&slot.token, nullptr);
    }
    ++count_;
  }
}

template <typename Source>
__attribute__((noinline)) void CPdfLexer<Source>::LexOnward(const uint8_t* p,
                                                            const uint8_t* e,
                                                            PdfToken* t,
                                                            std::string* text) {
  if (!SkipSpace(&p, &e)) {
    const uint64_t at = src_.TellAt(p);
    *t = PdfToken{PdfTokenKind::kEnd, PdfKeyword::kOther, false, false, 0, at, at};
    return;
  }
  // The token whole in memory: where it may run past the bytes held, the source keeps it and
  // reads on, and it is lexed again from its first byte (the source's room doubles for a token
  // longer than it, so a long token is read a bounded number of times).
  *t = PdfToken{};
  const uint8_t* end = LexToken(p, e, false, t);
  while (!end) {
    const bool more = src_.Extend(&p, &e);
    *t = PdfToken{};
    end = LexToken(p, e, !more, t);
  }
  if (t->open) {
    ran_out_in_string_ = true;
  }
  t->begin = src_.TellAt(p);
  t->end = src_.TellAt(end);
  src_.Advance(end);
  Keep(text, *t, p, end);
}

template <typename Source>
bool CPdfLexer<Source>::SkipSpace(const uint8_t** at, const uint8_t** end) {
  const uint8_t* p = *at;
  const uint8_t* e = *end;
  bool comment = false;
  for (;;) {
    if (comment) {
      // A comment runs to the next CR or LF.
      while (p < e && *p != '\r' && *p != '\n') {
        ++p;
      }
      comment = p == e;
    }
    while (p < e && kPdfTokenStarts.start[*p] == PdfTokenStart::kWhite) {
      ++p;
    }
    if (p < e) {
      if (kPdfTokenStarts.start[*p] != PdfTokenStart::kComment) {
        break;
      }
      comment = true;
      ++p;
      continue;
    }
    // Nothing of white space is kept: the source reads on from where it ends.
    src_.Advance(p);
    if (!src_.Extend(&p, &e)) {
      *at = *end = p;
      return false;
    }
  }
  *at = p;
  *end = e;
  return true;
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

// The lexer is built for each of its sources here.
template void CPdfLexer<PdfSpanSource>::Fill(int);
template void CPdfLexer<PdfSpanSource>::Lex(PdfToken*, std::string*);
template bool CPdfLexer<PdfSpanSource>::SkipPast(const char*);
template void CPdfLexer<PdfStreamSource>::Fill(int);
template void CPdfLexer<PdfStreamSource>::Lex(PdfToken*, std::string*);
template bool CPdfLexer<PdfStreamSource>::SkipPast(const char*);
template void CPdfLexer<PdfFileSource>::Fill(int);
template void CPdfLexer<PdfFileSource>::Lex(PdfToken*, std::string*);
template bool CPdfLexer<PdfFileSource>::SkipPast(const char*);
