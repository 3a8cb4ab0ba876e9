#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The options of argv = {"Quillturn", "in.pdf", "out.pdf", extra...}.
SelectionOptions Parsed(std::vector<std::string> extra) {
  std::vector<std::string> args = {"Quillturn", "in.pdf", "out.pdf"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  argv.reserve(args.size());
  for (std::string& a : args) {
    argv.push_back(&a[0]);
  }
  const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ("in.pdf", line.input_path);
  EXPECT_EQ("out.pdf", line.output_path);
  return line.options;
}

TEST(CommandLineTest, OptionsAndTheirLastValue) {
  const SelectionOptions p = Parsed({"/p1", "/p3", "/r90", "/r180", "-landscape"});
  EXPECT_EQ("3", p.page_list);
  EXPECT_EQ(180, p.angle);
  EXPECT_TRUE(p.landscape);
  EXPECT_FALSE(p.portrait);
  const SelectionOptions odd =
      Parsed({"/r-90", "/p/r90", "-Portrait", "-portraits", "/x", "/P1", "/rx", "/r"});
  EXPECT_EQ(-90, odd.angle);
  EXPECT_EQ(90, Parsed({"/r+90"}).angle);
  EXPECT_EQ("/r90", odd.page_list);
  EXPECT_FALSE(odd.portrait);
  const SelectionOptions spaced = Parsed({"/r 90x", "-portrait", "/p"});
  EXPECT_EQ(90, spaced.angle);
  EXPECT_TRUE(spaced.portrait);
  EXPECT_EQ("", spaced.page_list);
}

TEST(CommandLineTest, HugeAnglesSaturate) {
  EXPECT_EQ(2147483647, Parsed({"/r" + std::string(40, '9')}).angle);
  EXPECT_EQ(-2147483647 - 1, Parsed({"/r-" + std::string(40, '9')}).angle);
  EXPECT_EQ(-2147483647 - 1, Parsed({"/r-2147483648"}).angle);
}

}  // namespace
