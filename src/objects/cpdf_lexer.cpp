#include "objects/cpdf_lexer.h"

#include <charconv>

PdfKeyword ClassifyPdfKeyword(const char* bytes, size_t length) {
  struct Word {
    const char* text;
    size_t length;
    PdfKeyword keyword;
  };
  static constexpr Word kWords[] = {
      {"R", 1, PdfKeyword::kR},
      {"obj", 3, PdfKeyword::kObj},
      {"endobj", 6, PdfKeyword::kEndobj},
      {"stream", 6, PdfKeyword::kStream},
      {"endstream", 9, PdfKeyword::kEndstream},
      {"xref", 4, PdfKeyword::kXref},
      {"trailer", 7, PdfKeyword::kTrailer},
      {"startxref", 9, PdfKeyword::kStartxref},
      {"true", 4, PdfKeyword::kTrue},
      {"false", 5, PdfKeyword::kFalse},
      {"null", 4, PdfKeyword::kNull},
  };
  for (const Word& w : kWords) {
    if (w.length == length && std::memcmp(w.text, bytes, length) == 0) {
      return w.keyword;
    }
  }
  return PdfKeyword::kOther;
}

PdfNumber ParsePdfNumber(const uint8_t* bytes, size_t length) {
  PdfNumber number;
  size_t i = 0;
  bool negative = false;
  if (i < length && (bytes[i] == '+' || bytes[i] == '-')) {
    negative = bytes[i] == '-';
    ++i;
  }
  const size_t digits = i;
  if (digits == length) {
    return number;  // a lone sign is 0
  }
  uint64_t magnitude = 0;
  bool fits = true;
  for (; i < length && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    const uint64_t d = static_cast<uint64_t>(bytes[i] - '0');
    // The magnitude of INT64_MIN is one more than INT64_MAX.
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (magnitude > (limit - d) / 10) {
      fits = false;
    } else {
      magnitude = magnitude * 10 + d;
    }
  }
  if (i == length && fits) {
    number.value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    number.real = static_cast<double>(number.value);
    return number;
  }
  // A point, or digits beyond 64 bits: a real. Locale-independent; it stops at the first byte
  // that does not fit ("1.2.3" is 1.2); a lone sign or point is 0.
  number.integer = false;
  const char* begin = reinterpret_cast<const char*>(bytes) + digits;
  std::from_chars(begin, reinterpret_cast<const char*>(bytes) + length, number.real);
  if (negative) {
    number.real = -number.real;
  }
  return number;
}

std::string DecodePdfName(const uint8_t* bytes, size_t length) {
  std::string name;
  name.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    int high = -1;
    int low = -1;
    if (bytes[i] == '#' && i + 2 < length) {
      high = PdfHexValue(bytes[i + 1]);
      low = PdfHexValue(bytes[i + 2]);
    }
    if (high >= 0 && low >= 0) {
      name.push_back(static_cast<char>(16 * high + low));
      i += 2;
    } else {
      name.push_back(static_cast<char>(bytes[i]));
    }
  }
  const size_t zero = name.find('\0');
  if (zero != std::string::npos) {
    name.resize(zero);
  }
  return name;
}
