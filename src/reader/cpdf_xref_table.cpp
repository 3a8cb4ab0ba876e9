#include "reader/cpdf_xref_table.h"

#include <algorithm>

void CPdfXRefTable::Add(int32_t num, const XRefEntry& entry) {
  items_.push_back(Item{num, entry});
  if (items_.size() >= next_compaction_) {
    Compact();
    next_compaction_ = 2 * items_.size() + kFirstCompaction;
  }
}

void CPdfXRefTable::Finish() {
  Compact();
  items_.shrink_to_fit();
  in_use_ = static_cast<size_t>(std::count_if(items_.begin(), items_.end(), [](const Item& item) {
    return item.entry.type != XRefEntry::kFree;
  }));
}

void CPdfXRefTable::Compact() {
  // Stable, so that of the entries for one number the first given comes first and stays. The
  // part already in order (one section read in order, its free entries given after it) is
  // only merged with the rest sorted, not sorted again.
  const auto by_number = [](const Item& a, const Item& b) { return a.num < b.num; };
  const auto sorted_end = std::is_sorted_until(items_.begin(), items_.end(), by_number);
  if (sorted_end != items_.end()) {
    std::stable_sort(sorted_end, items_.end(), by_number);
    std::inplace_merge(items_.begin(), sorted_end, items_.end(), by_number);
  }
  items_.erase(std::unique(items_.begin(), items_.end(),
                           [](const Item& a, const Item& b) { return a.num == b.num; }),
               items_.end());
}

const XRefEntry* CPdfXRefTable::Find(int32_t num) const {
  const int64_t index = IndexOf(num);
  return index < 0 ? nullptr : &items_[static_cast<size_t>(index)].entry;
}

int64_t CPdfXRefTable::IndexOf(int32_t num) const {
  // Most tables number their objects from 0 without gaps: then num sits at index num.
  const size_t guess = static_cast<size_t>(num);
  if (num >= 0 && guess < items_.size() && items_[guess].num == num) {
    return static_cast<int64_t>(guess);
  }
  auto it = std::lower_bound(items_.begin(), items_.end(), num,
                             [](const Item& item, int32_t n) { return item.num < n; });
  return it != items_.end() && it->num == num ? it - items_.begin() : -1;
}
