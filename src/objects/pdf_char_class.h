#ifndef QUILLTURN_SRC_OBJECTS_PDF_CHAR_CLASS_H_
#define QUILLTURN_SRC_OBJECTS_PDF_CHAR_CLASS_H_

#include <cstdint>
#include <initializer_list>

#include "streams/pdf_hex_digit.h"

// The three classes of PDF bytes: white space, delimiters, and regular bytes (everything else,
// 0x80 to 0xFF included), looked up in one table.
enum PdfCharClass : uint8_t { kPdfRegular = 0, kPdfWhite = 1, kPdfDelimiter = 2 };

struct PdfCharTable {
  PdfCharClass cls[256];
  constexpr PdfCharTable() : cls() {
    for (int c : {0x00, 0x09, 0x0A, 0x0C, 0x0D, 0x20}) {
      cls[c] = kPdfWhite;
    }
    for (const char* p = "%()/<>[]{}"; *p; ++p) {
      cls[static_cast<unsigned char>(*p)] = kPdfDelimiter;
    }
  }
};

inline constexpr PdfCharTable kPdfChars;

// What a token that starts with a byte is, looked up in one table by the lexer's loops.
enum class PdfTokenStart : uint8_t {
  kWord,    // a keyword: a regular byte that starts no number
  kNumber,  // a digit, a sign or a point
  kName,    // "/"
  kString,  // "("
  kAngle,   // "<": a dictionary's opening or a hex string
  kClose,   // ">": a dictionary's closing or a stray byte
  kArrayOpen,
  kArrayClose,
  kStray,  // ")", "{", "}"
  kWhite,
  kComment,  // "%"
};

struct PdfTokenStartTable {
  PdfTokenStart start[256];
  constexpr PdfTokenStartTable() : start() {
    for (int c = 0; c < 256; ++c) {
      start[c] = kPdfChars.cls[c] == kPdfWhite ? PdfTokenStart::kWhite : PdfTokenStart::kWord;
    }
    for (const char* p = "0123456789+-."; *p; ++p) {
      start[static_cast<unsigned char>(*p)] = PdfTokenStart::kNumber;
    }
    start[static_cast<unsigned char>('/')] = PdfTokenStart::kName;
    start[static_cast<unsigned char>('(')] = PdfTokenStart::kString;
    start[static_cast<unsigned char>('<')] = PdfTokenStart::kAngle;
    start[static_cast<unsigned char>('>')] = PdfTokenStart::kClose;
    start[static_cast<unsigned char>('[')] = PdfTokenStart::kArrayOpen;
    start[static_cast<unsigned char>(']')] = PdfTokenStart::kArrayClose;
    for (const char* p = "){}"; *p; ++p) {
      start[static_cast<unsigned char>(*p)] = PdfTokenStart::kStray;
    }
    start[static_cast<unsigned char>('%')] = PdfTokenStart::kComment;
  }
};

inline constexpr PdfTokenStartTable kPdfTokenStarts;

// c is a byte (0..255) or -1 for the end of the data, which is of no class.
inline bool PdfIsWhite(int c) {
  return c >= 0 && kPdfChars.cls[c] == kPdfWhite;
}
inline bool PdfIsRegular(int c) {
  return c >= 0 && kPdfChars.cls[c] == kPdfRegular;
}

#endif  // QUILLTURN_SRC_OBJECTS_PDF_CHAR_CLASS_H_
