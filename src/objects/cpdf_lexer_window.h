#ifndef QUILLTURN_SRC_OBJECTS_CPDF_LEXER_WINDOW_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_LEXER_WINDOW_H_

// The lexer's inner loop, a token over bytes in memory: shared by the lexer's own files
// (cpdf_lexer.cpp, cpdf_lexer_steps.cpp), so that both can have it inline.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_char_class.h"

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

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_LEXER_WINDOW_H_
