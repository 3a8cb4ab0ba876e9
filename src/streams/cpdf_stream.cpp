#include "streams/cpdf_stream.h"

#include <algorithm>
#include <cstring>

CPdfStream::~CPdfStream() = default;

void CPdfStream::AddRef() {
  ++ref_count_;
}

void CPdfStream::Release() {
  if (--ref_count_ == 0) {
    delete this;
  }
}

size_t CPdfStream::ReadBytes(uint8_t* out, size_t count) {
  size_t done = 0;
  while (done < count) {
    // The bytes buffered at once, as NextByte would give them one by one.
    if (next_ < limit_) {
      const size_t n = std::min(count - done, static_cast<size_t>(limit_ - next_));
      std::memcpy(out + done, next_, n);
      next_ += n;
      done += n;
      continue;
    }
    const int32_t c = GetChar();
    if (c < 0) {
      break;
    }
    out[done++] = static_cast<uint8_t>(c);
  }
  return done;
}
