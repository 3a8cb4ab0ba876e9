#ifndef QUILLTURN_SRC_OBJECTS_PDF_TOKEN_H_
#define QUILLTURN_SRC_OBJECTS_PDF_TOKEN_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
  kN,  // a table line's "n"
  kF,  // a table line's "f"
};

struct PdfToken {
  PdfTokenKind kind = PdfTokenKind::kEnd;
  PdfKeyword keyword = PdfKeyword::kOther;  // for kKeyword
  bool open = false;                        // a string that the bytes end inside
  bool int32 = false;                       // a number that is an integer of 32 bits
  int32_t value = 0;                        // its value then
  uint64_t begin = 0;                       // position of the first byte
  uint64_t end = 0;                         // one past the last byte

  bool Is(PdfKeyword word) const { return kind == PdfTokenKind::kKeyword && keyword == word; }
  // An integer of 32 bits that is not negative: an object number, a generation, a length.
  bool IsCount() const { return int32 && value >= 0; }
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

#endif  // QUILLTURN_SRC_OBJECTS_PDF_TOKEN_H_
