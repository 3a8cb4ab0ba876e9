#include "reader/cpdf_entry_places.h"

#include <algorithm>

void CPdfEntryPlaces::List(const CPdfXRefTable& table, PdfOffset header_offset, uint64_t size) {
  size_ = size;
  const CPdfXRefTable::Item* items = table.begin();
  std::vector<Place> listed;
  for (size_t k = 0; k < table.Count(); ++k) {
    const XRefEntry& e = items[k].entry;
    const int64_t at = static_cast<int64_t>(header_offset) + e.offset;
    if (e.type == XRefEntry::kInFile && e.offset >= 0 && at < static_cast<int64_t>(size)) {
      listed.push_back(Place{static_cast<PdfOffset>(at), static_cast<uint32_t>(k)});
    }
  }
  // By position, entries at one place in table order: a stable radix sort, a byte at a time,
  // linear in the entries; as many bytes as the file's size takes.
  places_.resize(listed.size());
  for (int shift = 0; shift < 64 && (size >> shift) != 0; shift += 8) {
    uint32_t starts[256] = {0};
    for (const Place& p : listed) {
      ++starts[(p.position >> shift) & 0xFF];
    }
    uint32_t sum = 0;
    for (uint32_t& s : starts) {
      const uint32_t n = s;
      s = sum;
      sum += n;
    }
    for (const Place& p : listed) {
      places_[starts[(p.position >> shift) & 0xFF]++] = p;
    }
    listed.swap(places_);
  }
  places_.swap(listed);
  verdicts_.clear();
  jumps_.clear();
}

void CPdfEntryPlaces::Release() {
  std::vector<Place>().swap(places_);
  std::vector<uint8_t>().swap(verdicts_);
  std::vector<uint32_t>().swap(jumps_);
}

uint64_t CPdfEntryPlaces::Next(uint64_t from, const HoldsHeader& holds_header) {
  // Whether a header stands where an entry leads is read when first asked; a run of places
  // where none does is passed over in one step afterwards, so every place is read once. Most
  // files never ask: what that takes is made on the first question.
  if (verdicts_.size() != places_.size()) {
    verdicts_.assign(places_.size(), 0);
    jumps_.resize(places_.size());
    for (size_t k = 0; k < jumps_.size(); ++k) {
      jumps_[k] = static_cast<uint32_t>(k + 1);
    }
  }
  size_t k = static_cast<size_t>(
      std::upper_bound(places_.begin(), places_.end(), from,
                       [](uint64_t p, const Place& place) { return p < place.position; }) -
      places_.begin());
  std::vector<size_t> passed;
  while (k < places_.size()) {
    if (verdicts_[k] == 0) {
      verdicts_[k] = holds_header(places_[k]) ? 1 : 2;
    }
    if (verdicts_[k] == 1) {
      break;
    }
    passed.push_back(k);
    k = jumps_[k];
  }
  for (const size_t p : passed) {
    jumps_[p] = static_cast<uint32_t>(k);
  }
  return k < places_.size() ? places_[k].position : size_;
}
