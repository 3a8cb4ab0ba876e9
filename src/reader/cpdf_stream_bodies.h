#ifndef QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_
#define QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// Where the object map's pass found each stream object's data, kept by the object's start (its
// header's first byte), in file order. Memory: 12 bytes per stream.
class CPdfStreamBodies {
 public:
  void Add(uint32_t object, uint32_t start, uint32_t length) {
    bodies_.push_back(Body{object, start, length});
  }
  // Back in file order, after objects were noted out of it.
  void Sort();
  bool Find(uint32_t object, uint32_t* start, uint32_t* length) const;

 private:
  struct Body {
    uint32_t object;
    uint32_t start;
    uint32_t length;
  };

  std::vector<Body> bodies_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_STREAM_BODIES_H_
