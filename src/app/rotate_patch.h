#ifndef QUILLTURN_SRC_APP_ROTATE_PATCH_H_
#define QUILLTURN_SRC_APP_ROTATE_PATCH_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// Where a page object's own /Rotate stands in its raw bytes.
struct RotateSpot {
  bool has_dict = false;    // a dictionary was found
  size_t dict_open = 0;     // index one past its opening "<<"
  bool has_rotate = false;  // the dictionary has a top-level /Rotate key
  size_t key_end = 0;       // index one past the key's name
  size_t value_end = 0;     // index one past its value (a number, a real or N G R)
};

// Scans raw object bytes ("n g obj << ... >> ...") with the lexer for the first dictionary and
// its first top-level /Rotate key, also when written with # escapes. Nested dictionaries, arrays,
// strings and comments are stepped over, so their contents never match.
RotateSpot FindRotate(const uint8_t* bytes, size_t length);

#endif  // QUILLTURN_SRC_APP_ROTATE_PATCH_H_
