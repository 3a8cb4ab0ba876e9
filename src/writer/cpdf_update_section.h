#ifndef QUILLTURN_SRC_WRITER_CPDF_UPDATE_SECTION_H_
#define QUILLTURN_SRC_WRITER_CPDF_UPDATE_SECTION_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The cross-reference section that ends an incremental update, through startxref and %%EOF:
// a classic table and trailer, or an uncompressed cross-reference stream, listing only the
// objects the update appends. Offsets count as the input's own sections count them, from its
// header.
class CPdfUpdateSection {
 public:
  struct Entry {
    int32_t num;
    int64_t offset;
    int32_t generation;
  };
  struct Trailer {
    // The newest trailer's entries (decoded name, then the key and value as written): all are
    // kept but those the section writes itself.
    std::vector<std::pair<std::string, std::string>> entries;
    int32_t size = 0;  // the /Size the input's sections call for
    int64_t prev = 0;  // the input's startxref
  };

  // The highest object number a section may list.
  static constexpr int32_t kMaxNumber = 8388607;

  // Entries in increasing number, none repeated; at: where the section starts.
  static std::string Table(const std::vector<Entry>& entries, const Trailer& trailer, int64_t at);
  // The stream takes the number past every other, /Size past it, and lists itself too.
  static std::string Stream(std::vector<Entry> entries, const Trailer& trailer, int64_t at);

 private:
  // "/Index"-like runs of consecutive numbers: (first, count).
  static std::vector<std::pair<int32_t, int32_t>> Runs(const std::vector<Entry>& entries);
  // The kept entries, each "key value" on a line of its own.
  static std::string KeptEntries(const Trailer& trailer, bool stream);
};

#endif  // QUILLTURN_SRC_WRITER_CPDF_UPDATE_SECTION_H_
