#ifndef QUILLTURN_SRC_APP_ROTATE_PATCH_H_
#define QUILLTURN_SRC_APP_ROTATE_PATCH_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/rotate_spots.h"

// A chosen page object's raw bytes ("n g obj << ... >> ...") with its rotation set to angle, in
// out. The value of every top-level /Rotate key of the first dictionary (also one written with #
// escapes) becomes " angle ", so that every reader sees the angle whichever key it takes; a
// dictionary without the key gets "/Rotate angle\n" right after its "<<". Nested dictionaries,
// arrays, strings and comments are stepped over by the lexer, so their contents never match.
// False when the bytes hold no dictionary, or when "g R" or "g obj" follows where the angle
// goes (the angle would make a reference or another object's header of it).
// With spots, where the object map found the dictionary's /Rotate values (positions from the
// first byte), the bytes are not read again for them.
bool PatchRotate(const uint8_t* bytes,
                 size_t length,
                 int32_t angle,
                 std::vector<uint8_t>* out,
                 const RotateSpots* spots = nullptr);

#endif  // QUILLTURN_SRC_APP_ROTATE_PATCH_H_
