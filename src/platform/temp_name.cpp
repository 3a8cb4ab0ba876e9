#include "platform/temp_name.h"

void MakeTempName(char* name) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static uint64_t state = 0;
  if (state == 0) {
    state = TempNameSeed() ^ 0x9E3779B97F4A7C15ull;
  }
  name[0] = '.';
  name[1] = 'q';
  name[2] = 't';
  for (size_t i = 3; i < kTempNameLength; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    name[i] = kLetters[state % (sizeof(kLetters) - 1)];
  }
  name[kTempNameLength] = '\0';
}
