#ifndef QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_
#define QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CPdfStream;

// The newest trailer's entries as the file writes them, for the copy's own trailer.
class CPdfRawTrailer {
 public:
  // The values for keys (a direct dictionary, a reference, numbers and strings byte for byte),
  // by key, from the trailer dictionary that the first "<<" at position (in file, the whole
  // file) opens; a repeated key gives its first value, the one the parsed trailer keeps. Keys
  // without a value are left out; a value left open (a container or string that the section
  // ends inside) refuses the file as damaged.
  static std::map<std::string, std::string> Read(CPdfStream* file,
                                                 int64_t position,
                                                 const std::vector<std::string>& keys);
};

#endif  // QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_
