#include "streams/cpdf_ascii_hex_stream.h"

#include "streams/pdf_hex_digit.h"

namespace {

bool IsBlank(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

size_t CPdfAsciiHexStream::Decode(const uint8_t* in, size_t count, uint8_t* out) {
  uint8_t* at = out;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t c = in[i];
    if (IsBlank(c)) {
      continue;
    }
    if (c == '>') {
      End();
      return static_cast<size_t>(at - out) + Flush(at);
    }
    const int digit = PdfHexValue(c);
    if (digit < 0) {
      Refuse();
      return 0;
    }
    if (high_ < 0) {
      high_ = digit;
    } else {
      *at++ = static_cast<uint8_t>(high_ << 4 | digit);
      high_ = -1;
    }
  }
  return static_cast<size_t>(at - out);
}

size_t CPdfAsciiHexStream::Flush(uint8_t* out) {
  if (high_ < 0) {
    return 0;
  }
  *out = static_cast<uint8_t>(high_ << 4);
  high_ = -1;
  return 1;
}
