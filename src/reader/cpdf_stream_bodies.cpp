#include "reader/cpdf_stream_bodies.h"

#include <algorithm>

void CPdfStreamBodies::Sort() {
  std::stable_sort(bodies_.begin(), bodies_.end(),
                   [](const Body& a, const Body& b) { return a.object < b.object; });
}

bool CPdfStreamBodies::Find(uint32_t object, uint32_t* start, uint32_t* length) const {
  const auto it = std::lower_bound(bodies_.begin(), bodies_.end(), object,
                                   [](const Body& n, uint32_t o) { return n.object < o; });
  if (it == bodies_.end() || it->object != object) {
    return false;
  }
  *start = it->start;
  *length = it->length;
  return true;
}
