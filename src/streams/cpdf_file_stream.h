#ifndef QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_

#include <cstdint>

#include "streams/cpdf_input_file.h"
#include "streams/cpdf_stream.h"

// A window onto the input file read through a private buffer. Every refill seeks first, so any
// number of windows over the one shared file can be read interleaved.
class CPdfFileStream : public CPdfStream {
 public:
  static constexpr uint32_t kBufferSize = 2048;

  // Borrowed: the file is shared and closed by its owner after the last stream is released.
  CPdfFileStream(CPdfInputFile* file, uint32_t start, uint32_t length);
  static CPdfFileStream* Create(CPdfInputFile* file, uint32_t start, uint32_t length);

  void Rewind() override;
  int32_t GetChar() override {
    if (next_ == limit_ && !Refill()) {
      return -1;
    }
    return *next_++;
  }
  int32_t PeekChar() override {
    if (next_ == limit_ && !Refill()) {
      return -1;
    }
    return *next_;
  }
  uint32_t Tell() override;
  void Seek(int32_t position, int32_t origin) override;
  uint32_t GetStartOffset() override { return start_; }
  void ShiftStart(int32_t count) override;
  uint32_t GetLength() override { return length_; }
  CPdfStream* CreateSubStream(uint32_t start, uint32_t length) override;

 protected:
  ~CPdfFileStream() override;

 private:
  bool Refill();
  // Seek's work, callable from the constructor without a virtual call.
  void SeekTo(int32_t position, int32_t origin);
  void EmptyBuffer() { next_ = limit_ = buffer_; }

  CPdfInputFile* file_;
  uint32_t start_;
  uint32_t length_;
  uint32_t buffer_pos_;
  uint8_t buffer_[kBufferSize];  // read position and end: next_ and limit_
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_
