#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/cpdf_exception.h"
#include "param_name.h"

namespace {

// argv = {"Quillturn", args...}.
CommandLine Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "Quillturn");
  std::vector<char*> argv;
  argv.reserve(args.size());
  for (std::string& a : args) {
    argv.push_back(&a[0]);
  }
  return ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// The options of argv = {"Quillturn", "in.pdf", "out.pdf", extra...}.
SelectionOptions Parsed(std::vector<std::string> extra) {
  extra.insert(extra.begin(), {"in.pdf", "out.pdf"});
  const CommandLine line = Parse(extra);
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
  EXPECT_EQ(-2147483647 - 1, Parsed({"/t-" + std::string(40, '9')}).angle);
}

// /t and /r are one setting, read alike; the shape options; help and version among options.
struct OptionCase {
  std::vector<std::string> extra;
  int32_t angle;
  bool turn;
  bool wide;
  bool tall;
  CommandLine::Request request = CommandLine::Request::kRun;
};
[[maybe_unused]] void PrintTo(const OptionCase& c, std::ostream* os) {
  for (const std::string& arg : c.extra) {
    *os << arg << " ";
  }
}

class OptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTest, Reads) {
  const OptionCase& c = GetParam();
  std::vector<std::string> args = {"in.pdf", "out.pdf"};
  args.insert(args.end(), c.extra.begin(), c.extra.end());
  const CommandLine line = Parse(args);
  EXPECT_EQ(c.angle, line.options.angle);
  EXPECT_EQ(c.turn, line.options.turn);
  EXPECT_EQ(c.wide, line.options.wide);
  EXPECT_EQ(c.tall, line.options.tall);
  EXPECT_EQ(c.request, line.request);
}

using Request = CommandLine::Request;
std::string JoinedName(const testing::TestParamInfo<OptionCase>& p) {
  std::string text;
  for (const std::string& arg : p.param.extra) {
    text += arg + " ";
  }
  return ParamName(p.index, text);
}

INSTANTIATE_TEST_SUITE_P(
    Options,
    OptionTest,
    testing::Values(
        OptionCase{{"/t90"}, 90, true, false, false},
        OptionCase{{"/t-90", "/r180"}, 180, false, false, false},
        OptionCase{{"/r180", "/t 45x"}, 45, true, false, false},
        OptionCase{{"/r180", "/t", "/tx", "/T90"}, 180, false, false, false},
        OptionCase{{"/t+270", "-wide", "-tall"}, 270, true, true, true},
        OptionCase{{"-Wide", "-wider", "-tall "}, 0, false, false, false},
        OptionCase{{"/r90", "--help", "/t180"}, 180, true, false, false, Request::kHelp},
        OptionCase{{"--version", "-h"}, 0, false, false, false, Request::kVersion},
        OptionCase{{"--versions", "-help", "/??"}, 0, false, false, false}),
    JoinedName);

// Either file name keeps its meaning, whatever option it looks like.
TEST(CommandLineTest, FileNamesThatLookLikeOptions) {
  for (const char* name : {"/p1", "/r90", "/t90", "-wide", "-tall", "-portrait", "/pdfs/out.pdf",
                           "/proc/self/fd/1", "--help", "-h", "/?", "--version"}) {
    for (const bool as_input : {false, true}) {
      const CommandLine line = Parse(as_input ? std::vector<std::string>{name, "out.pdf"}
                                              : std::vector<std::string>{"in.pdf", name});
      EXPECT_EQ(as_input ? name : "in.pdf", line.input_path);
      EXPECT_EQ(as_input ? "out.pdf" : name, line.output_path);
      EXPECT_EQ(Request::kRun, line.request) << name;
      EXPECT_EQ("", line.options.page_list) << name;
      EXPECT_EQ(0, line.options.angle) << name;
      EXPECT_FALSE(line.options.turn || line.options.wide || line.options.tall ||
                   line.options.portrait)
          << name;
    }
  }
}

TEST(CommandLineTest, OneArgumentThatAsksNothingIsRefused) {
  for (const char* one : {"only.pdf", "--Help", "-help", "/p1"}) {
    try {
      Parse({one});
      ADD_FAILURE() << one;
    } catch (const CPdfException& e) {
      EXPECT_STREQ("Error parameter", e.GetMessage()) << one;
    }
  }
}

}  // namespace
