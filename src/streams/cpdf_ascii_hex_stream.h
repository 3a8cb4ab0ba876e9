#ifndef QUILLTURN_SRC_STREAMS_CPDF_ASCII_HEX_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_ASCII_HEX_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "streams/cpdf_text_filter_stream.h"

// ASCIIHexDecode: pairs of hexadecimal digits (either case) give a byte each; '>' or the end of
// the data ends it, a last odd digit taken as followed by 0. White space (vertical tab too, as
// readers take it, but not NUL) is skipped; any other character is refused.
class CPdfAsciiHexStream : public CPdfTextFilterStream {
 public:
  // Takes over the caller's reference to source.
  explicit CPdfAsciiHexStream(CPdfStream* source) : CPdfTextFilterStream(source, 1) {}

 protected:
  ~CPdfAsciiHexStream() override = default;
  size_t Decode(const uint8_t* in, size_t count, uint8_t* out) override;
  size_t Flush(uint8_t* out) override;

 private:
  int high_ = -1;  // the first digit of a pair, when one is held
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_ASCII_HEX_STREAM_H_
