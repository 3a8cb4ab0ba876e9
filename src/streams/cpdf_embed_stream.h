#ifndef QUILLTURN_SRC_STREAMS_CPDF_EMBED_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_EMBED_STREAM_H_

#include <cstdint>

#include "objects/cpdf_object.h"
#include "streams/cpdf_stream.h"

// A view of another stream's current position, passing every read through, or only count bytes
// when limited.
class CPdfEmbedStream : public CPdfStream {
 public:
  // Borrowed: the wrapped stream must outlive this view; no reference is taken.
  CPdfEmbedStream(CPdfStream* wrapped, const CPdfObject& dict, bool limited, int32_t count);

  void Rewind() override {}
  int32_t GetChar() override;
  int32_t PeekChar() override;
  CPdfDictionary* GetDictionary() override;
  uint32_t Tell() override { return wrapped_->Tell(); }
  void Seek(int32_t, int32_t) override {}
  uint32_t GetStartOffset() override { return 0; }
  void ShiftStart(int32_t) override {}
  uint32_t GetLength() override { return 0; }
  CPdfStream* CreateSubStream(uint32_t, uint32_t, const CPdfObject&) override { return nullptr; }

 protected:
  ~CPdfEmbedStream() override;

 private:
  CPdfObject dict_;
  CPdfStream* wrapped_;
  bool limited_;
  int32_t remaining_;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_EMBED_STREAM_H_
