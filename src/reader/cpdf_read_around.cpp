#include "reader/cpdf_read_around.h"

#include <algorithm>

#include "reader/cpdf_fetcher.h"

bool CPdfReadAround::Found(const CPdfFetcher& fetcher) {
  if (fetcher.GetXRef().ReadAround()) {
    return true;
  }
  const CPdfObjectMap& map = fetcher.GetMap();
  const CPdfXRefTable& table = fetcher.GetTable();
  for (size_t k = 0; k < table.Count(); ++k) {
    if (table.begin()[k].entry.type != XRefEntry::kInFile) {
      continue;
    }
    const int64_t index = map.HonouredEntry(k);
    if (index < 0 || map.BodySearched(static_cast<size_t>(index)) ||
        map.IsDamaged(static_cast<size_t>(index))) {
      return true;
    }
  }
  // The map lists objects in file order; one that an entry leads to inside another overlaps it.
  uint64_t end = 0;
  for (size_t k = 0; k < map.Count(); ++k) {
    const CPdfObjectMap::Object& object = map.At(k);
    if (object.start < end) {
      return true;
    }
    end = std::max<uint64_t>(end, uint64_t{object.start} + object.length);
  }
  return false;
}
