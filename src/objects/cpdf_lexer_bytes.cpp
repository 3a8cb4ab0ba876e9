// Tokens that run past the bytes held in memory, read byte by byte: the lexer's slow path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_char_class.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

template <typename Source>
PdfToken CPdfLexer<Source>::LexBytes(std::string* text) {
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

template <typename Source>
void CPdfLexer<Source>::LexNumber(int c, std::string* text, PdfToken* t) {
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

template <typename Source>
bool CPdfLexer<Source>::LexLiteralString(std::string* text) {
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

// The lexer is built for each of its sources in cpdf_lexer.cpp; these are its slow path.
template PdfToken CPdfLexer<PdfSpanSource>::LexBytes(std::string*);
template PdfToken CPdfLexer<PdfStreamSource>::LexBytes(std::string*);
template PdfToken CPdfLexer<PdfFileSource>::LexBytes(std::string*);
