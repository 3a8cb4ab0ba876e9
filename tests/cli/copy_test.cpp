// The tables of inputs built by the tests of tests/cli, each run through the binary: a clear
// refusal, or a copy that the one check finds faithful.
#include <gtest/gtest.h>

#include <string>

#include "copy_case.h"
#include "faithful_copy.h"
#include "test_files.h"

TEST_P(CopyTest, CopiedFaithfullyOrRefused) {
  const CopyCase& c = GetParam();
  const std::string input = c.make ? c.make() : c.input;
  ASSERT_FALSE(input.empty());
  Scratch s;
  ASSERT_EQ(c.message, s.Run(input, c.options));
  if (!c.message.empty()) {
    EXPECT_FALSE(FileExists(s.out));
    return;
  }
  if (c.rotated) {
    ExpectFaithfulCopy(s.in, s.out, *c.rotated);
  } else {
    ExpectFaithfulCopy(s.in, s.out, c.options);
  }
  EXPECT_NE(std::string::npos, ReadFile(s.out).find(c.holds)) << c.holds;
}
