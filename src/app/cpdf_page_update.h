#ifndef QUILLTURN_SRC_APP_CPDF_PAGE_UPDATE_H_
#define QUILLTURN_SRC_APP_CPDF_PAGE_UPDATE_H_

#include <cstdint>
#include <vector>

#include "app/page_selection.h"
#include "writer/cpdf_update_section.h"

class CPdfFetcher;
class CPdfInputFile;
class CPdfOutput;
class CPdfStream;

// What -incremental appends to the input's bytes: the chosen pages whose shown rotation
// changes, as the patch wrote them, and a cross-reference section of the input's own kind
// that lists only them.
class CPdfPageUpdate {
 public:
  // Whether a page shown at angle `from` shows at `to` already: the same value, or multiples of
  // 90 a whole turn apart (readers take a /Rotate modulo 360).
  static bool ShowsAlike(int32_t from, int32_t to);

  // The chosen records whose angle does not show as their rotation already. In an encrypted
  // file a changed page must not come from an object stream: its strings would need encrypting.
  void FindChanges(const std::vector<PageRecord>& records, bool encrypted);
  bool Changes(int32_t num) const;
  // A changed page's new bytes, "num gen obj" through its line end after "endobj"; compressed
  // when it came out of an object stream (written as a plain object, generation 0).
  void Keep(int32_t num, int32_t generation, bool compressed, std::vector<uint8_t> bytes);

  // The newest trailer's entries as written, all kept; refuses, as the copy does, a section
  // whose bytes name no /Root and a value left open.
  void ReadTrailer(const CPdfFetcher& reader, CPdfStream* file);
  // Writes after the input's bytes (when any page changes) the pages and the section; with
  // no change the output is the input's bytes exactly.
  void Write(CPdfInputFile& input, const CPdfFetcher& reader, CPdfOutput& output);

 private:
  struct Page {
    int32_t num;
    int32_t generation;
    std::vector<uint8_t> bytes;
  };

  std::vector<int32_t> changed_;  // object numbers, sorted
  std::vector<Page> pages_;
  CPdfUpdateSection::Trailer trailer_;
  bool encrypted_ = false;
};

#endif  // QUILLTURN_SRC_APP_CPDF_PAGE_UPDATE_H_
