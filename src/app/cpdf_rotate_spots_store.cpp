#include "app/cpdf_rotate_spots_store.h"

#include <algorithm>

#include "reader/cpdf_dictionary_notes.h"

void CPdfRotateSpotsStore::Begin(uint64_t file_size, size_t entries) {
  kept_ = CPdfPlaceNotes<Kept>();
  kept_.Begin(entries);
  values_.clear();
  full_ = false;
  budget_ = std::max<uint64_t>(kFewSpots, file_size / 64 + uint64_t{4} * entries);
}

void CPdfRotateSpotsStore::Noted(CPdfObjectPlace place,
                                 const CPdfDictionaryNotes& notes,
                                 bool /*stream*/) {
  if (full_) {
    return;
  }
  const RotateSpots& spots = notes.Spots();
  // Only a dictionary closed by its ">>" has every token the patch reads whole inside the
  // bytes the copy takes.
  const uint8_t both = CPdfDictionaryNotes::kClosed | CPdfDictionaryNotes::kSpotsRead;
  Kept kept{static_cast<uint32_t>(values_.size()), 0, 0};
  if ((notes.Flags() & both) != both) {
    kept.flags = kUnknown;
  } else {
    kept.flags = static_cast<uint8_t>(
        ((notes.Flags() & CPdfDictionaryNotes::kOpenJoins) != 0 ? kOpenJoins : 0) |
        ((notes.Flags() & CPdfDictionaryNotes::kValueJoins) != 0 ? kValueJoins : 0));
  }
  if (kept.flags == 0 && spots.values.empty()) {
    return;
  }
  if (values_.size() + spots.values.size() > budget_) {
    full_ = true;
    return;
  }
  const uint64_t origin = place.Origin();
  for (const auto& [key_end, value_end] : spots.values) {
    // A dictionary longer than positions here count is read again.
    if (value_end - origin > UINT32_MAX) {
      kept.flags = kUnknown;
      break;
    }
    values_.emplace_back(static_cast<uint32_t>(key_end - origin),
                         static_cast<uint32_t>(value_end - origin));
  }
  if (kept.flags == kUnknown) {
    values_.resize(kept.first);
  }
  kept.count = static_cast<uint32_t>(values_.size() - kept.first);
  kept_.Add(place, kept);
}

bool CPdfRotateSpotsStore::Find(CPdfObjectPlace place, uint32_t shift, RotateSpots* spots) const {
  const Kept* kept = kept_.Find(place);
  if ((!kept && full_) || (kept && (kept->flags & kUnknown) != 0)) {
    return false;
  }
  spots->values.clear();
  spots->open_joins = kept && (kept->flags & kOpenJoins) != 0;
  spots->value_joins = kept && (kept->flags & kValueJoins) != 0;
  spots->complete = true;
  spots->open_end = 0;
  if (kept) {
    for (uint32_t k = kept->first; k < kept->first + kept->count; ++k) {
      spots->values.emplace_back(values_[k].first + shift, values_[k].second + shift);
    }
  }
  return true;
}
