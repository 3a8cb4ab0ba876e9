#ifndef QUILLTURN_FUZZ_FUZZ_SUPPORT_H_
#define QUILLTURN_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "objects/cpdf_exception.h"
#include "streams/cpdf_input_file.h"

// The bytes of one fuzz input as a read-only stdio file, closed with this object.
class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size)
      : copy_(data, data + size),
        file_(size ? fmemopen(copy_.data(), copy_.size(), "rb") : std::tmpfile()),
        input_(std::make_unique<CPdfInputFile>(file_)) {}
  ~MemoryFile() {
    input_.reset();
    std::fclose(file_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  CPdfInputFile* Input() { return input_.get(); }

 private:
  std::string copy_;
  FILE* file_;
  std::unique_ptr<CPdfInputFile> input_;
};

// The contract of every target: an input succeeds or throws CPdfException; anything else is a
// finding and aborts.
template <typename F>
void RunGuarded(F&& body) {
  try {
    body();
  } catch (const CPdfException&) {
  } catch (...) {
    std::fprintf(stderr, "an exception other than CPdfException escaped\n");
    std::abort();
  }
}

inline int32_t ReadInt32(const uint8_t*& data, size_t& size) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && size > 0; ++i, ++data, --size) {
    v = (v << 8) | *data;
  }
  return static_cast<int32_t>(v);
}

inline uint8_t ReadByte(const uint8_t*& data, size_t& size) {
  if (size == 0) {
    return 0;
  }
  --size;
  return *data++;
}

#endif  // QUILLTURN_FUZZ_FUZZ_SUPPORT_H_
