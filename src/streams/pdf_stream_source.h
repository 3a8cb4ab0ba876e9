#ifndef QUILLTURN_SRC_STREAMS_PDF_STREAM_SOURCE_H_
#define QUILLTURN_SRC_STREAMS_PDF_STREAM_SOURCE_H_

#include <cstdint>

#include "streams/cpdf_stream.h"

// A stream (borrowed), read through its inline buffer. Positions cost a virtual call each, so
// they are asked of the stream only when wanted; else every token's extent reads 0.
class PdfStreamSource {
 public:
  // Whether tokens carry their positions in the stream, or 0 (the parser needs none).
  enum class Positions : uint8_t { kZero, kTold };
  PdfStreamSource(CPdfStream* stream, Positions positions)
      : stream_(stream), positions_(positions == Positions::kTold) {}
  int Next() { return stream_->NextByte(); }
  int Peek() { return stream_->PeekByte(); }
  uint64_t Tell() { return positions_ ? stream_->Tell() : 0; }
  void Window(const uint8_t** next, const uint8_t** end) const {
    *next = stream_->BufferedNext();
    *end = stream_->BufferedLimit();
  }
  void Advance(const uint8_t* next) { stream_->SkipBuffered(next); }
  // The stream's buffer from *from on, with the bytes after it.
  bool Extend(const uint8_t** from, const uint8_t** end) {
    stream_->SkipBuffered(*from);
    const bool more = stream_->ExtendBuffer();
    *from = stream_->BufferedNext();
    *end = stream_->BufferedLimit();
    return more;
  }
  // The position of a byte in the window (0 without positions).
  uint64_t TellAt(const uint8_t* at) {
    return positions_ ? stream_->Tell() + static_cast<uint64_t>(at - stream_->BufferedNext()) : 0;
  }

 private:
  CPdfStream* stream_;
  bool positions_;
};

#endif  // QUILLTURN_SRC_STREAMS_PDF_STREAM_SOURCE_H_
