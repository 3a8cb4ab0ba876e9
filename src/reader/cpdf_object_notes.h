#ifndef QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_
#define QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/page_facts.h"
#include "reader/rotate_spots.h"
#include "streams/pdf_offset.h"

// What the object map's pass noted of the objects it found, kept by each object's start (its
// header's first byte), in file order: a stream's body, a dictionary's /Rotate values, a page's
// facts. Memory: 24 bytes per stream, 16 per /Rotate value, 32 per page.
class CPdfObjectNotes {
 public:
  void AddBody(PdfOffset object, PdfOffset start, PdfOffset length) {
    bodies_.push_back(Body{object, start, length});
  }
  // The values as positions in the file, taken modulo 2^32: exact from the object's start for
  // a dictionary shorter than 4 GiB, the only ones noted.
  void AddSpots(PdfOffset object, const RotateSpots& spots);
  size_t SpotCount() const { return spots_.size(); }
  void AddFacts(PdfOffset object, uint32_t open_end, const PageFacts& facts) {
    facts_.push_back(Facts{object, open_end, facts});
  }
  // Back in file order, after objects were noted out of it; notes of one object keep theirs.
  void Sort();

  bool BodyOf(PdfOffset object, PdfOffset* start, PdfOffset* length) const;
  // The /Rotate values from the object's start, and past its "<<" when it is a page.
  void SpotsOf(PdfOffset object, RotateSpots* spots) const;
  bool FactsOf(PdfOffset object, PageFacts* facts) const;

 private:
  struct Body {
    PdfOffset object;
    PdfOffset start;
    PdfOffset length;
  };
  // A top-level /Rotate value: its key's and its value's ends, from the object's start.
  struct Spot {
    PdfOffset object;
    uint32_t key_end;
    uint32_t value_end;
  };
  struct Facts {
    PdfOffset object;
    uint32_t open_end;  // past its "<<", from its start
    PageFacts facts;
  };

  std::vector<Body> bodies_;
  std::vector<Spot> spots_;
  std::vector<Facts> facts_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_
