// The one scanner, for each of its sources: tokens over memory (values and dictionary entries
// are stepped over in cpdf_lexer_steps.cpp).
#include "objects/cpdf_lexer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "objects/cpdf_lexer_window.h"
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
template PdfToken CPdfLexer<PdfSpanSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfSpanSource>::LexAfterSpace(std::string*);
template bool CPdfLexer<PdfSpanSource>::SkipPast(const char*);
template void CPdfLexer<PdfStreamSource>::Fill(int);
template PdfToken CPdfLexer<PdfStreamSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfStreamSource>::LexAfterSpace(std::string*);
template bool CPdfLexer<PdfStreamSource>::SkipPast(const char*);
template void CPdfLexer<PdfFileSource>::Fill(int);
template PdfToken CPdfLexer<PdfFileSource>::Lex(std::string*);
template PdfToken CPdfLexer<PdfFileSource>::LexAfterSpace(std::string*);
template bool CPdfLexer<PdfFileSource>::SkipPast(const char*);
