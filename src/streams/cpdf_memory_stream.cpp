#include "streams/cpdf_memory_stream.h"

CPdfMemoryStream::CPdfMemoryStream(const uint8_t* data, size_t length) : data_(data) {
  next_ = data;
  limit_ = data + length;
}

CPdfMemoryStream::~CPdfMemoryStream() = default;
