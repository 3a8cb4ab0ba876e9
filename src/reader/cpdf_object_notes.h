#ifndef QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_
#define QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/page_facts.h"
#include "reader/rotate_spots.h"

// What the object map's pass noted of the objects it found, kept by each object's start (its
// header's first byte), in file order: a stream's body, a dictionary's /Rotate values, a page's
// facts. Memory: 12 bytes per stream and per /Rotate value, 24 per page.
class CPdfObjectNotes {
 public:
  void AddBody(uint32_t object, uint32_t start, uint32_t length) {
    bodies_.push_back(Body{object, start, length});
  }
  // The values as positions in the file.
  void AddSpots(uint32_t object, const RotateSpots& spots);
  size_t SpotCount() const { return spots_.size(); }
  void AddFacts(uint32_t object, uint32_t open_end, const PageFacts& facts) {
    facts_.push_back(Facts{object, open_end, facts});
  }
  // Back in file order, after objects were noted out of it; notes of one object keep theirs.
  void Sort();

  bool BodyOf(uint32_t object, uint32_t* start, uint32_t* length) const;
  // The /Rotate values from the object's start, and past its "<<" when it is a page.
  void SpotsOf(uint32_t object, RotateSpots* spots) const;
  bool FactsOf(uint32_t object, PageFacts* facts) const;

 private:
  struct Body {
    uint32_t object;
    uint32_t start;
    uint32_t length;
  };
  // A top-level /Rotate value: its key's and its value's ends, from the object's start.
  struct Spot {
    uint32_t object;
    uint32_t key_end;
    uint32_t value_end;
  };
  struct Facts {
    uint32_t object;
    uint32_t open_end;  // past its "<<", from its start
    PageFacts facts;
  };

  std::vector<Body> bodies_;
  std::vector<Spot> spots_;
  std::vector<Facts> facts_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJECT_NOTES_H_
