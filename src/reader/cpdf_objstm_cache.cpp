#include "reader/cpdf_objstm_cache.h"

#include <cstddef>
#include <iterator>

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_objstm.h"

namespace {

// A file whose fetches would decode more than this, beside four times each stream's size
// (members spread so that every fetch evicts the stream the next one needs), is refused instead
// of taking time in proportion to fetches times stream size.
constexpr int64_t kDecodeAllowanceBase = int64_t{64} * 1024 * 1024;
constexpr int64_t kDecodeAllowancePerInputByte = 64;

}  // namespace

std::shared_ptr<CPdfObjStmData> CPdfObjStmCache::Get(int32_t stream_num, const Decode& decode) {
  auto found = index_.find(stream_num);
  if (found != index_.end()) {
    cache_.splice(cache_.begin(), cache_, found->second);
    return cache_.front();
  }
  // A stream larger than the budget was kept only for the fetches that needed it; it goes
  // before another is decoded, so no more than the budget is held beside the new one.
  Evict(0);
  auto data = std::make_shared<CPdfObjStmData>(stream_num);
  decode(*data);
  const auto size = static_cast<int64_t>(data->GetDecodedBytes());
  decoded_bytes_ += size;
  // The first decoding of each stream is bounded by the per-stream cap and always allowed;
  // decoding again is what the allowance bounds.
  if (decoded_streams_.insert(stream_num).second) {
    distinct_bytes_ += size;
  } else {
    if (decoded_bytes_ > 3 * distinct_bytes_) {
      // Once for the page walk and once for the copy is the usual; beyond that streams are
      // evicting one another.
      budget_ = static_cast<size_t>(kCeiling);
    }
    if (decoded_bytes_ >
        kDecodeAllowanceBase + 4 * distinct_bytes_ + kDecodeAllowancePerInputByte * file_size_) {
      throw CPdfException(kMsgDamaged);
    }
  }
  // Decoding may have filled the cache through nested fetches; look again before adding.
  found = index_.find(stream_num);
  if (found != index_.end()) {
    return *found->second;
  }
  cache_.push_front(data);
  index_[stream_num] = cache_.begin();
  bytes_ += data->GetMemoryUse();
  Evict(1);
  return data;
}

void CPdfObjStmCache::Evict(size_t keep) {
  // The page walk and the copy each read the streams one after another, in much the same
  // order. Letting the oldest go would leave the copy none of the streams the walk decoded;
  // letting the one used last go keeps those the copy needs first, and a stream the copy has
  // read goes when it reads the next.
  while (cache_.size() > keep && bytes_ > budget_) {
    const auto victim = std::next(cache_.begin(), static_cast<std::ptrdiff_t>(keep));
    bytes_ -= (*victim)->GetMemoryUse();
    index_.erase((*victim)->GetStreamNum());
    cache_.erase(victim);
  }
}
