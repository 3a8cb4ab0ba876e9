#ifndef QUILLTURN_SRC_READER_CPDF_PLACE_NOTES_H_
#define QUILLTURN_SRC_READER_CPDF_PLACE_NOTES_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/cpdf_object_place.h"

// Notes of type T kept by object place: those of the file's objects in position order, found
// by search once the pass is over; a member's by its table entry, a later note replacing the
// earlier. Memory: 8 bytes and a T per file object noted; 4 bytes per table entry once a
// member is noted, and a T per member.
template <typename T>
class CPdfPlaceNotes {
 public:
  void Begin(size_t entries) { entries_ = entries; }
  void Add(CPdfObjectPlace place, const T& note);
  // Back in position order (the pass notes objects out of it after stray entries).
  void FilePassDone();
  const T* Find(CPdfObjectPlace place) const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  struct InFile {
    uint64_t start;
    T note;
  };

  size_t entries_ = 0;
  std::vector<InFile> in_file_;
  bool sorted_ = true;
  std::vector<uint32_t> member_index_;  // by table entry, into members_
  std::vector<T> members_;
};

template <typename T>
void CPdfPlaceNotes<T>::Add(CPdfObjectPlace place, const T& note) {
  if (!place.IsMember()) {
    sorted_ = sorted_ && (in_file_.empty() || in_file_.back().start < place.Start());
    in_file_.push_back(InFile{place.Start(), note});
    return;
  }
  const size_t entry = place.Entry();
  if (entry >= entries_) {
    return;
  }
  if (member_index_.empty()) {
    member_index_.assign(entries_, kNone);
  }
  if (member_index_[entry] != kNone) {
    members_[member_index_[entry]] = note;
    return;
  }
  member_index_[entry] = static_cast<uint32_t>(members_.size());
  members_.push_back(note);
}

template <typename T>
void CPdfPlaceNotes<T>::FilePassDone() {
  if (!sorted_) {
    std::stable_sort(in_file_.begin(), in_file_.end(),
                     [](const InFile& a, const InFile& b) { return a.start < b.start; });
    sorted_ = true;
  }
}

template <typename T>
const T* CPdfPlaceNotes<T>::Find(CPdfObjectPlace place) const {
  if (place.IsMember()) {
    const size_t entry = place.Entry();
    return entry < member_index_.size() && member_index_[entry] != kNone
               ? &members_[member_index_[entry]]
               : nullptr;
  }
  const uint64_t start = place.Start();
  const auto it = std::lower_bound(in_file_.begin(), in_file_.end(), start,
                                   [](const InFile& n, uint64_t s) { return n.start < s; });
  return it != in_file_.end() && it->start == start ? &it->note : nullptr;
}

#endif  // QUILLTURN_SRC_READER_CPDF_PLACE_NOTES_H_
