#ifndef QUILLTURN_SRC_PLATFORM_TEMP_NAME_H_
#define QUILLTURN_SRC_PLATFORM_TEMP_NAME_H_

#include <cstddef>
#include <cstdint>

// The name of the temporary file an output is written to, beside it, on every system: ".qt"
// and eight letters or digits, short enough for any folder that takes the output's name.
constexpr size_t kTempNameLength = 11;
// Names tried in a row while each one is taken.
constexpr int kTempNameTries = 100;

// Writes a fresh name and its terminating zero to name, which holds kTempNameLength + 1 chars.
void MakeTempName(char* name);

// Where the names of this process start: differs between processes and between runs. Each
// system's source defines it.
uint64_t TempNameSeed();

#endif  // QUILLTURN_SRC_PLATFORM_TEMP_NAME_H_
