#include "reader/cpdf_stream_bodies.h"

#include <algorithm>

void CPdfStreamBodies::Sort() {
  std::stable_sort(bodies_.begin(), bodies_.end(),
                   [](const Body& a, const Body& b) { return a.object < b.object; });
}

bool CPdfStreamBodies::Find(PdfOffset object, PdfOffset* start, PdfOffset* length) const {
  const auto it = std::lower_bound(bodies_.begin(), bodies_.end(), object,
                                   [](const Body& n, PdfOffset o) { return n.object < o; });
  if (it == bodies_.end() || it->object != object) {
    return false;
  }
  *start = it->start;
  *length = it->length;
  return true;
}
