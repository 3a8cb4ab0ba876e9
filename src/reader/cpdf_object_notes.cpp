#include "reader/cpdf_object_notes.h"

#include <algorithm>

namespace {

// The first of the notes kept for the object at start, or the end.
template <typename Note>
typename std::vector<Note>::const_iterator FirstNoteOf(const std::vector<Note>& notes,
                                                       PdfOffset start) {
  const auto it = std::lower_bound(notes.begin(), notes.end(), start,
                                   [](const Note& n, PdfOffset o) { return n.object < o; });
  return it != notes.end() && it->object == start ? it : notes.end();
}

template <typename Note>
void SortByObject(std::vector<Note>* notes) {
  std::stable_sort(notes->begin(), notes->end(),
                   [](const Note& a, const Note& b) { return a.object < b.object; });
}

}  // namespace

void CPdfObjectNotes::AddSpots(PdfOffset object, const RotateSpots& spots) {
  const auto from = static_cast<uint32_t>(object);
  for (const auto& [key_end, value_end] : spots.values) {
    spots_.push_back(Spot{object, key_end - from, value_end - from});
  }
}

void CPdfObjectNotes::Sort() {
  SortByObject(&bodies_);
  SortByObject(&spots_);
  SortByObject(&facts_);
}

bool CPdfObjectNotes::BodyOf(PdfOffset object, PdfOffset* start, PdfOffset* length) const {
  const auto it = FirstNoteOf(bodies_, object);
  if (it == bodies_.end()) {
    return false;
  }
  *start = it->start;
  *length = it->length;
  return true;
}

void CPdfObjectNotes::SpotsOf(PdfOffset object, RotateSpots* spots) const {
  spots->values.clear();
  for (auto it = FirstNoteOf(spots_, object); it != spots_.end() && it->object == object; ++it) {
    spots->values.emplace_back(it->key_end, it->value_end);
  }
  const auto page = FirstNoteOf(facts_, object);
  spots->open_end = page != facts_.end() ? page->open_end : 0;
}

bool CPdfObjectNotes::FactsOf(PdfOffset object, PageFacts* facts) const {
  const auto it = FirstNoteOf(facts_, object);
  if (it == facts_.end()) {
    return false;
  }
  *facts = it->facts;
  return true;
}
