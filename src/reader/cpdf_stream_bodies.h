#ifndef QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_
#define QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "streams/pdf_offset.h"

// Where the object map's pass found each stream object's data, kept by the object's start (its
// header's first byte), in file order. Memory: 24 bytes per stream.
class CPdfStreamBodies {
 public:
  void Add(PdfOffset object, PdfOffset start, PdfOffset length) {
    bodies_.push_back(Body{object, start, length});
  }
  // Back in file order, after objects were noted out of it.
  void Sort();
  bool Find(PdfOffset object, PdfOffset* start, PdfOffset* length) const;

 private:
  struct Body {
    PdfOffset object;
    PdfOffset start;
    PdfOffset length;
  };

  std::vector<Body> bodies_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_
