#ifndef QUILLTURN_SRC_STREAMS_CPDF_MEMORY_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_MEMORY_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "streams/cpdf_stream.h"

// Bytes already in memory (a decoded object stream's slice), read like any other stream.
class CPdfMemoryStream : public CPdfStream {
 public:
  // Borrowed: the bytes must outlive the stream.
  CPdfMemoryStream(const uint8_t* data, size_t length);

  void Rewind() override { next_ = data_; }
  int32_t GetChar() override { return next_ < limit_ ? *next_++ : -1; }
  int32_t PeekChar() override { return next_ < limit_ ? *next_ : -1; }
  uint32_t Tell() override { return static_cast<uint32_t>(next_ - data_); }
  void Seek(int32_t, int32_t) override {}
  uint32_t GetStartOffset() override { return 0; }
  void ShiftStart(int32_t) override {}
  uint32_t GetLength() override { return 0; }
  CPdfStream* CreateSubStream(uint32_t, uint32_t) override { return nullptr; }

 protected:
  ~CPdfMemoryStream() override;

 private:
  const uint8_t* data_;  // read position and end: next_ and limit_
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_MEMORY_STREAM_H_
