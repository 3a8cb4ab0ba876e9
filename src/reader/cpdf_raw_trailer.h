#ifndef QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_
#define QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CPdfStream;

// The newest trailer's entries as the file writes them, for the copy's own trailer.
class CPdfRawTrailer {
 public:
  struct Entry {
    std::string name;   // the key decoded, without its slash
    std::string key;    // the key as written, with its slash
    std::string value;  // the value's bytes
  };

  // The values for keys (a direct dictionary, a reference, numbers and strings byte for byte),
  // by key, from the trailer dictionary that the first "<<" at position (in file, the whole
  // file) opens; a repeated key gives its first value, the one the parsed trailer keeps. Keys
  // without a value are left out; a value left open (a container or string that the section
  // ends inside) refuses the file as damaged.
  static std::map<std::string, std::string> Read(CPdfStream* file,
                                                 int64_t position,
                                                 const std::vector<std::string>& keys);
  // Every entry of that dictionary in the order written, each key once (its first value), for
  // an update's trailer that keeps them all; any value left open refuses the file as damaged.
  static std::vector<Entry> ReadAll(CPdfStream* file, int64_t position);

 private:
  // The entries whose keys are at most longest bytes long, first values only; a value is read
  // (and must be whole) only where wanted says so of its key.
  static std::vector<Entry> Entries(CPdfStream* file,
                                    int64_t position,
                                    size_t longest,
                                    const std::function<bool(const std::string&)>& wanted);
};

#endif  // QUILLTURN_SRC_READER_CPDF_RAW_TRAILER_H_
