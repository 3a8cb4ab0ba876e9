// The temporary name an output is written under before it takes the output's place.
#include "platform/temp_name.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Every name fills the handlers' buffer exactly (".qt" and eight letters or digits, then the
// zero) and no name comes twice in a row of tries: a taken name is followed by a free one.
TEST(TempNameTest, FixedFormAndNeverRepeated) {
  std::set<std::string> seen;
  for (int i = 0; i < kTempNameTries; ++i) {
    char name[kTempNameLength + 2];
    name[kTempNameLength + 1] = '#';  // nothing is written past the zero
    MakeTempName(name);
    ASSERT_EQ('#', name[kTempNameLength + 1]);
    const std::string text(name);
    ASSERT_EQ(kTempNameLength, text.size());
    EXPECT_EQ(0u, text.rfind(".qt", 0)) << text;
    EXPECT_EQ(std::string::npos, text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", 3))
        << text;
    seen.insert(text);
  }
  EXPECT_EQ(static_cast<size_t>(kTempNameTries), seen.size());
}

}  // namespace
