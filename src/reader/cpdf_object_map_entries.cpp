// The object map: the table's entries matched to the objects the pass found, and the entries
// that lead where the pass took no header (stray entries).
#include <algorithm>

#include "reader/cpdf_object_map.h"
#include "streams/cpdf_input_file.h"

void CPdfObjectMap::AdoptStrayEntries() {
  // Between objects, where an entry leads counts more than how the bytes before it lexed: a
  // header that follows "%%EOF" on its line (an update appended without a line end) starts an
  // object although the comment hid it from the pass. Inside another object's extent an entry
  // cannot cut that object short: the object it leads to is read from there as readers read it,
  // whatever older definition stands elsewhere, and the bytes are copied twice, once in each.
  const size_t scanned = objects_.size();
  MatchEntries();
  size_t found = FindStrayHeaders();
  const CPdfXRefTable::Item* items = table_->begin();
  // Reading inside other objects is bounded for the whole file: twice its bytes in all (what is
  // left past that is refused when it is copied).
  uint64_t inside_budget = 2 * size_;
  for (size_t k = 0; found > 0 && k < table_->Count(); ++k) {
    if (!header_at_entry_[k]) {
      continue;
    }
    --found;
    const CPdfXRefTable::Item& item = items[k];
    const int64_t at = static_cast<int64_t>(header_offset_) + item.entry.offset;
    const auto after = std::upper_bound(
        objects_.begin(), objects_.begin() + static_cast<std::ptrdiff_t>(scanned), at,
        [](int64_t p, const Object& o) { return p < static_cast<int64_t>(o.start); });
    const bool inside = after != objects_.begin() &&
                        at < static_cast<int64_t>((after - 1)->start + (after - 1)->length);
    if (inside && inside_budget == 0) {
      continue;
    }
    Lexer lexer{PdfFileSource(file_, static_cast<uint64_t>(at))};
    uint64_t begin = 0;
    if (!LexObjectHeader(lexer, item.num, item.entry.generation, &begin)) {
      continue;
    }
    ScanObject(lexer, item.num, item.entry.generation, begin);
    if (inside) {
      inside_budget -= std::min<uint64_t>(inside_budget, objects_.back().length);
    }
  }
  if (objects_.size() == scanned) {
    return;
  }
  SortIntoFileOrder();
  MatchEntries();
}

void CPdfObjectMap::SortIntoFileOrder() {
  // The flags with their objects, the notes by their objects' starts.
  std::vector<uint32_t> order(objects_.size());
  for (size_t k = 0; k < order.size(); ++k) {
    order[k] = static_cast<uint32_t>(k);
  }
  std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) {
    return objects_[a].start < objects_[b].start;
  });
  std::vector<Object> objects(order.size());
  std::vector<uint8_t> flags(order.size());
  for (size_t k = 0; k < order.size(); ++k) {
    objects[k] = objects_[order[k]];
    flags[k] = flags_[order[k]];
  }
  objects_.swap(objects);
  flags_.swap(flags);
  bodies_.Sort();
  if (observer_) {
    observer_->FilePassDone();
  }
}

size_t CPdfObjectMap::FindStrayHeaders() {
  // The places in file order, each place's header read once however many entries lead there.
  header_at_entry_.assign(table_->Count(), false);
  const CPdfXRefTable::Item* items = table_->begin();
  int64_t read_at = -1;
  int32_t header[2] = {0, 0};
  bool have_header = false;
  size_t found = 0;
  for (const CPdfEntryPlaces::Place& place : places_.All()) {
    if (entry_objects_[place.entry] >= 0) {
      continue;
    }
    if (read_at != static_cast<int64_t>(place.position)) {
      read_at = static_cast<int64_t>(place.position);
      have_header = probe_.At(read_at, &header[0], &header[1]);
    }
    const CPdfXRefTable::Item& item = items[place.entry];
    if (have_header && header[0] == item.num && header[1] == item.entry.generation) {
      header_at_entry_[place.entry] = true;
      ++found;
    }
  }
  return found;
}

void CPdfObjectMap::MatchEntries() {
  // The entries by position, walked beside the objects in file order: one pass, no search per
  // entry.
  const CPdfXRefTable::Item* items = table_->begin();
  entry_objects_.assign(table_->Count(), -1);
  size_t o = 0;
  for (const CPdfEntryPlaces::Place& place : places_.All()) {
    while (o < objects_.size() && objects_[o].start < place.position) {
      ++o;
    }
    if (o < objects_.size() &&
        Honours(o, place.position, items[place.entry].num, items[place.entry].entry.generation)) {
      entry_objects_[place.entry] = static_cast<int32_t>(o);
    }
  }
}

int64_t CPdfObjectMap::Honoured(int32_t num) const {
  const int64_t k = table_->IndexOf(num);
  return k < 0 ? -1 : entry_objects_[static_cast<size_t>(k)];
}

bool CPdfObjectMap::Honours(size_t index, int64_t position, int32_t num, int32_t gen) const {
  const Object& it = objects_[index];
  return it.num == num && it.gen == gen &&
         (static_cast<int64_t>(it.start) == position ||
          probe_.OnlySpaceBetween(position, static_cast<int64_t>(it.start)));
}

int64_t CPdfObjectMap::Last(int32_t num, int32_t gen) const {
  if (by_number_.size() != objects_.size()) {
    by_number_.resize(objects_.size());
    for (size_t k = 0; k < objects_.size(); ++k) {
      by_number_[k] = static_cast<uint32_t>(k);
    }
    // By number and generation; among equals in file order, the last definition last.
    std::stable_sort(by_number_.begin(), by_number_.end(), [this](uint32_t a, uint32_t b) {
      return objects_[a].num != objects_[b].num ? objects_[a].num < objects_[b].num
                                                : objects_[a].gen < objects_[b].gen;
    });
  }
  const auto after = std::upper_bound(
      by_number_.begin(), by_number_.end(), std::make_pair(num, gen < 0 ? INT32_MAX : gen),
      [this](const std::pair<int32_t, int32_t>& key, uint32_t k) {
        return key < std::make_pair(objects_[k].num, objects_[k].gen);
      });
  if (after == by_number_.begin()) {
    return -1;
  }
  const Object& last = objects_[*(after - 1)];
  if (last.num != num || (gen >= 0 && last.gen != gen)) {
    return -1;
  }
  return *(after - 1);
}

bool CPdfObjectMap::HeaderAtEntry(int32_t num) const {
  const int64_t k = table_->IndexOf(num);
  return k >= 0 && static_cast<size_t>(k) < header_at_entry_.size() &&
         header_at_entry_[static_cast<size_t>(k)];
}
