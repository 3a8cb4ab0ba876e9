#ifndef QUILLTURN_SRC_READER_CPDF_LINE_HEADERS_H_
#define QUILLTURN_SRC_READER_CPDF_LINE_HEADERS_H_

#include <cstdint>
#include <vector>

#include "reader/cpdf_header_probe.h"

class CPdfInputFile;

// Where headers begin lines, as readers that rebuild a table line by line find them: a header
// after a line break and white space, "obj" set apart from its generation. A rebuild's pass
// goes back to one when a damaged object ran over it. Questions asked in file order read each
// byte once over all of them.
class CPdfLineHeaders {
 public:
  explicit CPdfLineHeaders(CPdfInputFile* file = nullptr);

  // The first such header past from, else the file's size.
  uint64_t After(uint64_t from);

 private:
  // The byte at position, -1 past the end.
  int ByteAt(uint64_t position);

  CPdfInputFile* file_;
  CPdfHeaderProbe probe_;
  uint64_t size_ = 0;
  // The last answer and the position it was asked from: any question between shares it.
  uint64_t asked_ = 0;
  uint64_t found_ = 0;
  std::vector<uint8_t> piece_;
  uint64_t piece_start_ = 0;
};

#endif  // QUILLTURN_SRC_READER_CPDF_LINE_HEADERS_H_
