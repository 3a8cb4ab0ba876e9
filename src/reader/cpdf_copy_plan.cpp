#include "reader/cpdf_copy_plan.h"

#include <algorithm>

#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_xref_table.h"

CPdfCopyPlan::CPdfCopyPlan(CPdfFetcher* fetcher) : fetcher_(fetcher) {
  const CPdfXRefTable& table = fetcher->GetTable();
  size_t in_use = 0;
  size_t in_streams = 0;
  for (const CPdfXRefTable::Item& item : table) {
    in_use += item.entry.type != XRefEntry::kFree ? 1 : 0;
    in_streams += item.entry.type == XRefEntry::kInStream ? 1 : 0;
  }
  // Entries said to be in use are no objects: each one written is a header the map found or a
  // member, so many stray entries count for nothing.
  most_objects_ = std::min(in_use, fetcher->GetMap().Count() + in_streams);
  members_.reserve(in_streams);
  for (const CPdfXRefTable::Item& item : table) {
    if (item.entry.type == XRefEntry::kInStream) {
      members_.push_back(Member{static_cast<int32_t>(item.entry.offset), item.num});
    }
  }
  if (!std::is_sorted(members_.begin(), members_.end())) {
    std::sort(members_.begin(), members_.end());
  }
  FindInterleavedStreams();
  group_ = group_end_ = members_.cend();
}

uint64_t CPdfCopyPlan::LeastBytes() const {
  const CPdfXRefTable& table = fetcher_->GetTable();
  const CPdfObjectMap& map = fetcher_->GetMap();
  uint64_t least = 0;
  for (size_t k = 0; k < table.Count(); ++k) {
    const CPdfXRefTable::Item& item = table.begin()[k];
    const int64_t index = map.HonouredEntry(k);
    if (item.entry.type == XRefEntry::kInFile && index >= 0) {
      const auto [begin, end] = MembersOf(item.num);
      least += begin == end ? map.At(static_cast<size_t>(index)).length : 0;
    }
  }
  return least;
}

bool CPdfCopyPlan::Next(Step* step) {
  if (group_ != group_end_) {
    *step = Step{group_->num, true, group_->stream};
    ++group_;
    return true;
  }
  const CPdfXRefTable& table = fetcher_->GetTable();
  while (item_ < table.Count()) {
    const CPdfXRefTable::Item& item = table.begin()[item_++];
    const int32_t n = item.num;
    if (n == 0 || item.entry.type == XRefEntry::kFree) {
      continue;  // the output's object 0 heads its free list whatever the input had there
    }
    if (item.entry.type == XRefEntry::kInStream) {
      const int32_t stream = static_cast<int32_t>(item.entry.offset);
      if (!std::binary_search(interleaved_.begin(), interleaved_.end(), stream)) {
        // No other stream's member comes between this stream's first and last: in number
        // order the stream stays decoded from its first member to its last.
        *step = Step{n, true, stream};
        return true;
      }
      // Streams whose numbers interleave would evict one another in number order: each one's
      // members go out together when its first comes up, so it is decoded once.
      const auto [begin, end] = MembersOf(stream);
      if (begin->num != n) {
        continue;
      }
      *step = Step{n, true, stream};
      group_ = begin + 1;
      group_end_ = end;
      return true;
    }
    if (GivesItsMembers(n)) {
      continue;
    }
    *step = Step{n, false, 0};
    return true;
  }
  return false;
}

bool CPdfCopyPlan::GivesItsMembers(int32_t num) {
  // Any other object is copied, whatever entries name it as their stream.
  const auto [begin, end] = MembersOf(num);
  if (begin == end) {
    return false;
  }
  std::vector<int32_t> numbers;
  numbers.reserve(static_cast<size_t>(end - begin));
  for (auto it = begin; it != end; ++it) {
    numbers.push_back(it->num);
  }
  return fetcher_->GivesMembers(num, numbers);
}

std::pair<CPdfCopyPlan::MemberIt, CPdfCopyPlan::MemberIt> CPdfCopyPlan::MembersOf(
    int32_t stream) const {
  return std::equal_range(members_.begin(), members_.end(), Member{stream, 0},
                          [](const Member& a, const Member& b) { return a.stream < b.stream; });
}

void CPdfCopyPlan::FindInterleavedStreams() {
  // Each stream's members span [first, last] (members_ is sorted by stream, then number);
  // spans that overlap, after sorting by first, form clusters of more than one.
  struct Span {
    int32_t first;
    int32_t last;
    int32_t stream;
  };
  std::vector<Span> spans;
  for (auto it = members_.cbegin(); it != members_.cend();) {
    const auto [begin, end] = MembersOf(it->stream);
    spans.push_back(Span{begin->num, (end - 1)->num, it->stream});
    it = end;
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.first < b.first; });
  for (size_t i = 0; i < spans.size();) {
    size_t j = i + 1;
    int32_t last = spans[i].last;
    for (; j < spans.size() && spans[j].first <= last; ++j) {
      last = std::max(last, spans[j].last);
    }
    for (size_t k = i; j - i > 1 && k < j; ++k) {
      interleaved_.push_back(spans[k].stream);
    }
    i = j;
  }
  std::sort(interleaved_.begin(), interleaved_.end());
}
