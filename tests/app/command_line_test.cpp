#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cpdf_rotate.h"

namespace {

// Parses argv = {"Quillturn", "in.pdf", "out.pdf", extra...}.
struct Parsed {
  explicit Parsed(std::vector<std::string> extra) {
    args = {"Quillturn", "in.pdf", "out.pdf"};
    args.insert(args.end(), extra.begin(), extra.end());
    for (std::string& a : args) {
      argv.push_back(&a[0]);
    }
    job.ParseParams(static_cast<int>(argv.size()), argv.data());
  }
  std::vector<std::string> args;
  std::vector<char*> argv;
  CPdfRotate job;
};

TEST(CommandLineTest, OptionsAndTheirLastValue) {
  Parsed p({"/p1", "/p3", "/r90", "/r180", "-landscape"});
  EXPECT_EQ("3", p.job.GetPageList());
  EXPECT_EQ(180, p.job.GetAngle());
  EXPECT_TRUE(p.job.IsLandscape());
  EXPECT_FALSE(p.job.IsPortrait());
  Parsed odd({"/r-90", "/p/r90", "-Portrait", "-portraits", "/x", "/P1", "/rx", "/r"});
  EXPECT_EQ(-90, odd.job.GetAngle());
  EXPECT_EQ(90, Parsed({"/r+90"}).job.GetAngle());
  EXPECT_EQ("/r90", odd.job.GetPageList());
  EXPECT_FALSE(odd.job.IsPortrait());
  Parsed spaced({"/r 90x", "-portrait", "/p"});
  EXPECT_EQ(90, spaced.job.GetAngle());
  EXPECT_TRUE(spaced.job.IsPortrait());
  EXPECT_EQ("", spaced.job.GetPageList());
}

TEST(CommandLineTest, HugeAnglesSaturate) {
  EXPECT_EQ(2147483647, Parsed({"/r" + std::string(40, '9')}).job.GetAngle());
  EXPECT_EQ(-2147483647 - 1, Parsed({"/r-" + std::string(40, '9')}).job.GetAngle());
  EXPECT_EQ(-2147483647 - 1, Parsed({"/r-2147483648"}).job.GetAngle());
}

}  // namespace
