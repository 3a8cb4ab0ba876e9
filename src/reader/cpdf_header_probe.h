#ifndef QUILLTURN_SRC_READER_CPDF_HEADER_PROBE_H_
#define QUILLTURN_SRC_READER_CPDF_HEADER_PROBE_H_

#include <cstddef>
#include <cstdint>

class CPdfInputFile;

// Reads the few bytes where an entry of the table leads, wherever that is (inside another object
// too): whether an object's header stands there. Each question reads at most kWindow + 1 bytes
// through the input's block cache.
class CPdfHeaderProbe {
 public:
  // An entry may lead to white space or comments before its header, this far at most.
  static constexpr size_t kWindow = 64;

  explicit CPdfHeaderProbe(CPdfInputFile* file = nullptr) : file_(file) {}

  // The "num gen obj" at position (white space and comments before it), false when none; with
  // spaced, whether white space or a comment sets "obj" apart from the generation.
  bool At(int64_t position, int32_t* num, int32_t* gen, bool* spaced = nullptr) const;
  bool Is(int64_t position, int32_t num, int32_t gen) const {
    int32_t n = 0;
    int32_t g = 0;
    return At(position, &n, &g) && n == num && g == gen;
  }
  // Whether only white space and comments stand from position to start, within kWindow.
  bool OnlySpaceBetween(int64_t position, int64_t start) const;

 private:
  CPdfInputFile* file_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_HEADER_PROBE_H_
