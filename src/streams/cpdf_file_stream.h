#ifndef QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_

#include <cstdint>
#include <vector>

#include "streams/cpdf_input_file.h"
#include "streams/cpdf_stream.h"

// A window onto the input file read through a private buffer. Every refill seeks first, so any
// number of windows over the one shared file can be read interleaved.
class CPdfFileStream : public CPdfStream {
 public:
  static constexpr uint32_t kBufferSize = 2048;

  // Borrowed: the file is shared and closed by its owner after the last stream is released.
  CPdfFileStream(CPdfInputFile* file, PdfOffset start, PdfOffset length);
  static CPdfFileStream* Create(CPdfInputFile* file, PdfOffset start, PdfOffset length);

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
  PdfOffset Tell() override;
  void Seek(PdfOffset position, int32_t origin) override;
  PdfOffset GetStartOffset() override { return start_; }
  void ShiftStart(int32_t count) override;
  PdfOffset GetLength() override { return length_; }
  CPdfStream* CreateSubStream(PdfOffset start, PdfOffset length) override;
  bool ExtendBuffer() override;

 protected:
  ~CPdfFileStream() override;

 private:
  bool Refill();
  // Reads from buffer_pos_ into the buffer after its first kept bytes; what the window allows.
  size_t ReadInto(size_t kept);
  // Seek's work, callable from the constructor without a virtual call.
  void SeekTo(PdfOffset position, int32_t origin);
  void EmptyBuffer() { next_ = limit_ = buffer_; }
  uint8_t* Room() { return large_.empty() ? inline_ : large_.data(); }
  size_t RoomSize() const { return large_.empty() ? kBufferSize : large_.size(); }

  CPdfInputFile* file_;
  PdfOffset start_;
  PdfOffset length_;
  PdfOffset buffer_pos_;
  // The buffer: inline, or large_ once a token needed more room. Read position and end: next_
  // and limit_.
  uint8_t* buffer_ = inline_;
  uint8_t inline_[kBufferSize];
  std::vector<uint8_t> large_;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_FILE_STREAM_H_
