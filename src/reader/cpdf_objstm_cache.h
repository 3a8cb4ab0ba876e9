#ifndef QUILLTURN_SRC_READER_CPDF_OBJSTM_CACHE_H_
#define QUILLTURN_SRC_READER_CPDF_OBJSTM_CACHE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>
#include <unordered_set>

class CPdfObjStmData;

// Decoded object streams, kept while their bytes fit a budget (at least one is always kept), so
// the catalog check, the page walk and the copy each find most streams decoded. The budget is
// the input's own size, at least 2 MiB and at most its ceiling: a file whose streams decode to
// no more than the file is decoded once, for the walk and the copy alike. It rises to the
// ceiling once streams are decoded again more than the page walk and the copy explain: members
// that alternate between large streams then stop evicting one another. Decoding again what the
// cache let go is bounded for the whole run.
class CPdfObjStmCache {
 public:
  // Decodes stream_num into a new, unbuilt entry's Build.
  using Decode = std::function<void(CPdfObjStmData& data)>;

  // file_size sets the allowance for decoding again.
  explicit CPdfObjStmCache(int64_t file_size)
      : file_size_(file_size),
        budget_(static_cast<size_t>(std::clamp<int64_t>(file_size, kBudget, kCeiling))) {}

  // Shared so that an entry evicted while one of its values is being parsed stays alive.
  std::shared_ptr<CPdfObjStmData> Get(int32_t stream_num, const Decode& decode);

 private:
  // While over the budget, drops the most recently used stream after the newest `keep`.
  void Evict(size_t keep);

  static constexpr int64_t kBudget = int64_t{2} * 1024 * 1024;
  static constexpr int64_t kCeiling = int64_t{24} * 1024 * 1024;

  int64_t file_size_;
  std::list<std::shared_ptr<CPdfObjStmData>> cache_;  // most recent first
  std::unordered_map<int32_t, std::list<std::shared_ptr<CPdfObjStmData>>::iterator> index_;
  size_t bytes_ = 0;
  size_t budget_;
  std::unordered_set<int32_t> decoded_streams_;  // every object stream decoded so far
  int64_t decoded_bytes_ = 0;                    // by every object stream decoding of the run
  int64_t distinct_bytes_ = 0;                   // by the first decoding of each stream
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJSTM_CACHE_H_
