// Flate with the predictor; its parameters come from the input's first bytes so that the
// row-size arithmetic itself is fuzzed. Flag bit 0 skips zlib, so mutations reach the
// predictor directly.
#include "fuzz_support.h"
#include "objects/cpdf_ref_ptr.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_flate_stream.h"
#include "streams/cpdf_predictor.h"

namespace {

class BytesSource : public CPdfRawSource {
 public:
  BytesSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t ReadRaw(uint8_t* out, size_t count) override {
    const size_t n = count < size_ - pos_ ? count : size_ - pos_;
    std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t flags = ReadByte(data, size);
  const int32_t predictor = ReadInt32(data, size);
  const int32_t columns = ReadInt32(data, size);
  const int32_t colors = ReadInt32(data, size);
  const int32_t bits = ReadInt32(data, size);
  RunGuarded([&] {
    if (flags & 1) {
      BytesSource source(data, size);
      CPdfPredictor rows(predictor, columns, colors, bits);
      size_t delivered = 0;
      while (rows.FillRow(&source)) {
        uint8_t out[256];
        while (rows.HasByte()) {
          delivered += rows.Take(out, sizeof(out));
        }
      }
      if (delivered > size) {
        std::abort();  // a row delivers no more bytes than it reads
      }
      return;
    }
    MemoryFile file(data, size);
    CPdfStream* window = CPdfFileStream::Create(file.Input(), 0, static_cast<uint32_t>(size));
    auto flate = CPdfRefPtr<CPdfStream>::Adopt(
        new CPdfFlateStream(window, predictor, columns, colors, bits));
    size_t total = 0;
    if (flags & 2) {
      while (flate->PeekChar() >= 0 && flate->GetChar() >= 0 && total < (16u << 20)) {
        ++total;
      }
    } else {
      uint8_t chunk[4096];
      for (size_t got; (got = flate->ReadBytes(chunk, sizeof(chunk))) > 0 && total < (16u << 20);) {
        total += got;
      }
    }
  });
  return 0;
}
