#include "objects/pdf_token.h"

#include <charconv>
#include <cstring>
#include <string>

#include "objects/pdf_char_class.h"

PdfKeyword ClassifyPdfKeyword(const char* bytes, size_t length) {
  const auto is = [&](const char* word, size_t n) {
    return length == n && std::memcmp(bytes, word, n) == 0;
  };
  switch (bytes[0]) {
    case 'R':
      return length == 1 ? PdfKeyword::kR : PdfKeyword::kOther;
    case 'o':
      return is("obj", 3) ? PdfKeyword::kObj : PdfKeyword::kOther;
    case 'e':
      return is("endobj", 6)      ? PdfKeyword::kEndobj
             : is("endstream", 9) ? PdfKeyword::kEndstream
                                  : PdfKeyword::kOther;
    case 's':
      return is("stream", 6)      ? PdfKeyword::kStream
             : is("startxref", 9) ? PdfKeyword::kStartxref
                                  : PdfKeyword::kOther;
    case 'x':
      return is("xref", 4) ? PdfKeyword::kXref : PdfKeyword::kOther;
    case 't':
      return is("true", 4)      ? PdfKeyword::kTrue
             : is("trailer", 7) ? PdfKeyword::kTrailer
                                : PdfKeyword::kOther;
    case 'f':
      return length == 1      ? PdfKeyword::kF
             : is("false", 5) ? PdfKeyword::kFalse
                              : PdfKeyword::kOther;
    case 'n':
      return length == 1 ? PdfKeyword::kN : is("null", 4) ? PdfKeyword::kNull : PdfKeyword::kOther;
    default:
      return PdfKeyword::kOther;
  }
}

PdfNumber ParsePdfNumber(const uint8_t* bytes, size_t length) {
  PdfNumber number;
  // Most numbers are short unsigned integers (object numbers, generations, coordinates):
  // eighteen digits and fewer cannot overflow, so they are summed unchecked.
  if (length > 0 && length <= 18) {
    uint64_t magnitude = 0;
    size_t k = 0;
    for (; k < length && bytes[k] >= '0' && bytes[k] <= '9'; ++k) {
      magnitude = magnitude * 10 + static_cast<uint64_t>(bytes[k] - '0');
    }
    if (k == length) {
      number.value = static_cast<int64_t>(magnitude);
      number.real = static_cast<double>(number.value);
      return number;
    }
  }
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
  // Eighteen digits always fit; past them each digit is checked. The magnitude of INT64_MIN
  // is one more than INT64_MAX.
  const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  for (; i < length && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
    const uint64_t d = static_cast<uint64_t>(bytes[i] - '0');
    if (i - digits >= 18 && magnitude > (limit - d) / 10) {
      fits = false;
    } else if (fits) {
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
  const void* zero = std::memchr(bytes, 0, length);
  if (zero) {
    length = static_cast<size_t>(static_cast<const uint8_t*>(zero) - bytes);
  }
  std::string name(reinterpret_cast<const char*>(bytes), length);
  if (!std::memchr(bytes, '#', length)) {
    return name;
  }
  size_t out = 0;
  for (size_t i = 0; i < length; ++i) {
    int high = -1;
    int low = -1;
    if (bytes[i] == '#' && i + 2 < length) {
      high = PdfHexValue(bytes[i + 1]);
      low = PdfHexValue(bytes[i + 2]);
    }
    if (high >= 0 && low >= 0) {
      name[out++] = static_cast<char>(16 * high + low);
      i += 2;
    } else {
      name[out++] = static_cast<char>(bytes[i]);
    }
  }
  name.resize(out);
  // An escape can spell a zero byte too.
  const size_t decoded_zero = name.find('\0');
  if (decoded_zero != std::string::npos) {
    name.resize(decoded_zero);
  }
  return name;
}

bool PdfNameIs(const uint8_t* bytes, size_t length, std::string_view name) {
  // Escapes and a zero byte only shorten a name: bytes as long as name must be name itself.
  if (length <= name.size()) {
    return length == name.size() && std::memcmp(bytes, name.data(), length) == 0;
  }
  if (!std::memchr(bytes, '#', length) && !std::memchr(bytes, 0, length)) {
    return false;
  }
  return DecodePdfName(bytes, length) == name;
}
