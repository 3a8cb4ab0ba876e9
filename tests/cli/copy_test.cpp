// The tables of inputs built by the tests of tests/cli, each run through the binary: a clear
// refusal, or a copy that the one check finds faithful.
#include <gtest/gtest.h>

#include <string>

#include "copy_case.h"
#include "faithful_copy.h"
#include "test_files.h"

TEST_P(CopyTest, CopiedFaithfullyOrRefused) {
  const CopyCase& c = GetParam();
  ASSERT_FALSE(c.input.empty());
  Scratch s;
  ASSERT_EQ(c.message, s.Run(c.input, c.options));
  if (!c.message.empty()) {
    EXPECT_FALSE(FileExists(s.out));
    return;
  }
  ExpectFaithfulCopy(s.in, s.out, c.rotated ? *c.rotated : ChosenPages(s.in, c.options));
  EXPECT_NE(std::string::npos, ReadFile(s.out).find(c.holds)) << c.holds;
}
