#ifndef QUILLTURN_SRC_STREAMS_CPDF_FLATE_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_FLATE_STREAM_H_

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "streams/cpdf_predictor.h"
#include "streams/cpdf_stream.h"

// Inflates a stream body on demand, into a window of its own or straight into a large request,
// and undoes a predictor row by row. Damage ends the data where it stands: the bytes before it
// are delivered. The body is read from the source a piece at a time, as inflating needs it.
class CPdfFlateStream : public CPdfStream, public CPdfRawSource {
 public:
  static constexpr uint32_t kWindowSize = 4096;
  static constexpr uint32_t kInputPiece = 64 * 1024;

  // Takes over the caller's reference to source. Reads no more of it than its length (none when
  // that is 0), and never more than the source actually delivers.
  CPdfFlateStream(CPdfStream* source,
                  int32_t predictor,
                  int32_t columns,
                  int32_t colors,
                  int32_t bits_per_component);

  void Rewind() override {}
  int32_t GetChar() override;
  // The next byte before the predictor.
  int32_t GetRawChar();
  int32_t PeekChar() override;
  size_t ReadBytes(uint8_t* out, size_t count) override;
  // Up to count inflated bytes before any predictor: what the predictor reads its rows from.
  size_t ReadRaw(uint8_t* out, size_t count) override;
  PdfOffset Tell() override { return source_->Tell(); }
  void Seek(PdfOffset, int32_t) override {}
  PdfOffset GetStartOffset() override { return source_->GetStartOffset(); }
  void ShiftStart(int32_t count) override { source_->ShiftStart(count); }
  PdfOffset GetLength() override { return source_->GetLength(); }
  CPdfStream* CreateSubStream(PdfOffset, PdfOffset) override { return nullptr; }
  // Flate's own damage ends the data; a filter before it may refuse its bytes.
  bool Refused() override { return source_->Refused(); }

 protected:
  ~CPdfFlateStream() override;

 private:
  // Up to count bytes inflated into out; 0 at the end of the data or after damage.
  size_t Inflate(uint8_t* out, size_t count);
  bool Refill();
  // The next piece of the compressed body; false at its end.
  bool ReadInput();

  CPdfStream* source_;
  std::unique_ptr<CPdfPredictor> predictor_;
  z_stream zstream_{};
  bool zstream_ok_ = false;
  bool ended_ = false;               // at the end of the zlib stream, after damage, or of the body
  PdfOffset input_left_;             // bytes of the body not read yet
  std::vector<uint8_t> compressed_;  // the piece being inflated
  uint8_t window_[kWindowSize];
  uint32_t read_ = 0;
  uint32_t end_ = 0;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_FLATE_STREAM_H_
