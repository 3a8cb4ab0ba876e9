#ifndef QUILLTURN_SRC_READER_ROTATE_SPOTS_H_
#define QUILLTURN_SRC_READER_ROTATE_SPOTS_H_

#include <cstdint>
#include <utility>
#include <vector>

// Where a dictionary object's top-level /Rotate values stand (a key spelled with # escapes too),
// from the object's first byte: each key's end and its value's end, in order. And whether a
// number written after the "<<", or after one of those values, would join the tokens that
// follow into "n g R" or "n g obj": a patch cannot go there.
struct RotateSpots {
  std::vector<std::pair<uint32_t, uint32_t>> values;
  bool open_joins = false;
  bool value_joins = false;  // after one of the values (the ones after it are not listed)
};

#endif  // QUILLTURN_SRC_READER_ROTATE_SPOTS_H_
