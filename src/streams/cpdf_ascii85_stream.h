#ifndef QUILLTURN_SRC_STREAMS_CPDF_ASCII85_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_ASCII85_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "streams/cpdf_text_filter_stream.h"

// ASCII85Decode: groups of five characters '!'..'u' give four bytes, 'z' four zeros, and "~>"
// or the end of the data ends it, a short last group of 2 to 4 characters giving 1 to 3
// bytes. White space (but for NUL and vertical tab, which readers disagree on) is skipped.
// Refused: 'z' inside a group, any other character, '~' not followed by '>', a last group of
// one character, a group worth more than 32 bits.
class CPdfAscii85Stream : public CPdfTextFilterStream {
 public:
  // Takes over the caller's reference to source.
  explicit CPdfAscii85Stream(CPdfStream* source) : CPdfTextFilterStream(source, 4) {}

 protected:
  ~CPdfAscii85Stream() override = default;
  size_t Decode(const uint8_t* in, size_t count, uint8_t* out) override;
  size_t Flush(uint8_t* out) override;

 private:
  // The group's bytes into out, count - 1 of them (a short group padded with 'u'); false when
  // it is refused.
  bool PutGroup(uint8_t** out);

  uint64_t group_ = 0;
  int count_ = 0;  // characters of the group held
  bool tilde_ = false;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_ASCII85_STREAM_H_
