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
  PdfOffset Tell() override { return static_cast<PdfOffset>(next_ - data_); }
  void Seek(PdfOffset, int32_t) override {}
  PdfOffset GetStartOffset() override { return 0; }
  void ShiftStart(int32_t) override {}
  PdfOffset GetLength() override { return 0; }
  CPdfStream* CreateSubStream(PdfOffset, PdfOffset) override { return nullptr; }

 protected:
  ~CPdfMemoryStream() override;

 private:
  const uint8_t* data_;  // read position and end: next_ and limit_
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_MEMORY_STREAM_H_
