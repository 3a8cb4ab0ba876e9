#ifndef QUILLTURN_SRC_STREAMS_CPDF_TEXT_FILTER_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_TEXT_FILTER_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "streams/cpdf_stream.h"

// What the ASCII filters share: the encoded bytes pulled from the source a piece at a time and
// decoded into a small window, so memory stays the same whatever the body's size. A byte the
// filter cannot read refuses the whole stream (readers then take none of its data): the data
// ends there and Refused says so.
class CPdfTextFilterStream : public CPdfStream {
 public:
  void Rewind() override {}
  int32_t GetChar() override;
  int32_t PeekChar() override;
  PdfOffset Tell() override { return source_->Tell(); }
  void Seek(PdfOffset, int32_t) override {}
  PdfOffset GetStartOffset() override { return source_->GetStartOffset(); }
  void ShiftStart(int32_t count) override { source_->ShiftStart(count); }
  // No fewer than the decoded bytes: what a filter after this one may read.
  PdfOffset GetLength() override;
  CPdfStream* CreateSubStream(PdfOffset, PdfOffset) override { return nullptr; }
  // Decodes and drops what was not read yet, to its end.
  bool Refused() override;

 protected:
  // Every call to Decode is given at most this many bytes.
  static constexpr size_t kPiece = 1024;
  // Out of one piece of kPiece bytes come at most this many.
  static constexpr size_t kWindowSize = 4 * kPiece + 4;

  // Takes over the caller's reference to source, and reads no more of it than its length (as
  // Flate does: none when that is 0). Each encoded byte gives at most growth decoded ones.
  CPdfTextFilterStream(CPdfStream* source, uint32_t growth);
  ~CPdfTextFilterStream() override;

  // Decodes count bytes into out (room for 4 per byte, and 4 more); returns the bytes written.
  // Calls End or Refuse where the data ends.
  virtual size_t Decode(const uint8_t* in, size_t count, uint8_t* out) = 0;
  // The encoded bytes ended with no end marker: what is held comes out (room for 4).
  virtual size_t Flush(uint8_t* out) = 0;
  void End() { ended_ = true; }
  void Refuse() { ended_ = refused_ = true; }

 private:
  // Fills the window anew; false at the end of the data.
  bool Fill();

  CPdfStream* source_;
  PdfOffset left_;  // bytes of the source not read yet
  uint32_t growth_;
  bool ended_ = false;
  bool refused_ = false;
  uint8_t in_[kPiece];
  uint8_t window_[kWindowSize];
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_TEXT_FILTER_STREAM_H_
