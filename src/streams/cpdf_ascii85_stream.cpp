#include "streams/cpdf_ascii85_stream.h"

#include <cstring>

namespace {

bool IsBlank(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

}  // namespace

bool CPdfAscii85Stream::PutGroup(uint8_t** out) {
  if (count_ == 1) {
    return false;
  }
  const int bytes = count_ - 1;
  for (; count_ < 5; ++count_) {
    group_ = group_ * 85 + ('u' - '!');
  }
  if (group_ > UINT32_MAX) {
    return false;
  }
  for (int i = 0; i < bytes; ++i) {
    *(*out)++ = static_cast<uint8_t>(group_ >> (24 - 8 * i));
  }
  group_ = 0;
  count_ = 0;
  return true;
}

size_t CPdfAscii85Stream::Decode(const uint8_t* in, size_t count, uint8_t* out) {
  uint8_t* at = out;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t c = in[i];
    if (tilde_) {
      if (c != '>' || (count_ > 0 && !PutGroup(&at))) {
        Refuse();
      } else {
        End();
      }
      return static_cast<size_t>(at - out);
    }
    if (IsBlank(c)) {
      continue;
    }
    if (c == '~') {
      tilde_ = true;
    } else if (c == 'z' && count_ == 0) {
      std::memset(at, 0, 4);
      at += 4;
    } else if (c < '!' || c > 'u') {
      Refuse();
      return 0;
    } else {
      group_ = group_ * 85 + (c - '!');
      if (++count_ == 5 && !PutGroup(&at)) {
        Refuse();
        return 0;
      }
    }
  }
  return static_cast<size_t>(at - out);
}

size_t CPdfAscii85Stream::Flush(uint8_t* out) {
  // Readers take the end of the data, even after a lone '~', for the end marker.
  uint8_t* at = out;
  if (count_ > 0 && !PutGroup(&at)) {
    Refuse();
  }
  return static_cast<size_t>(at - out);
}
