#include "streams/cpdf_stream.h"

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
  for (; done < count; ++done) {
    const int32_t c = GetChar();
    if (c < 0) {
      break;
    }
    out[done] = static_cast<uint8_t>(c);
  }
  return done;
}
