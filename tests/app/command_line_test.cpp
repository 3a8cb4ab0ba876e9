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

// What a command line asks for, as options: "/p3 /r180 -landscape", then "help" or "version".
std::string Read(const CommandLine& line) {
  const SelectionOptions& o = line.options;
  std::string out = "/p" + o.page_list + (o.turn ? " /t" : " /r") + std::to_string(o.angle);
  out += std::string(o.landscape ? " -landscape" : "") + (o.portrait ? " -portrait" : "") +
         (o.wide ? " -wide" : "") + (o.tall ? " -tall" : "") +
         (line.incremental ? " -incremental" : "");
  return out + (line.request == CommandLine::Request::kHelp      ? " help"
                : line.request == CommandLine::Request::kVersion ? " version"
                                                                 : "");
}

struct OptionCase {
  std::vector<std::string> extra;  // after "in.pdf out.pdf"
  std::string read;
};
std::string Joined(const OptionCase& c) {
  std::string text;
  for (const std::string& arg : c.extra) {
    text += arg + " ";
  }
  return text;
}
[[maybe_unused]] void PrintTo(const OptionCase& c, std::ostream* os) {
  *os << Joined(c);
}

class OptionTest : public testing::TestWithParam<OptionCase> {};

TEST_P(OptionTest, Reads) {
  std::vector<std::string> args = {"in.pdf", "out.pdf"};
  args.insert(args.end(), GetParam().extra.begin(), GetParam().extra.end());
  const CommandLine line = Parse(args);
  EXPECT_EQ("in.pdf", line.input_path);
  EXPECT_EQ("out.pdf", line.output_path);
  EXPECT_EQ(GetParam().read, Read(line));
}

std::string JoinedName(const testing::TestParamInfo<OptionCase>& p) {
  return ParamName(p.index, Joined(p.param));
}

const std::string k40Nines(40, '9');

// Of an option given twice the last counts; /t and /r are one setting, read alike; what is no
// option is passed over; help and version among the options.
INSTANTIATE_TEST_SUITE_P(Options,
                         OptionTest,
                         testing::Values(OptionCase{{"/p1", "/p3", "/r90", "/r180", "-landscape"},
                                                    "/p3 /r180 -landscape"},
                                         OptionCase{{"/r-90", "/p/r90", "-Portrait", "-portraits",
                                                     "/x", "/P1", "/rx", "/r"},
                                                    "/p/r90 /r-90"},
                                         OptionCase{{"/r+90"}, "/p /r90"},
                                         OptionCase{{"/r 90x", "-portrait", "/p"},
                                                    "/p /r90 -portrait"},
                                         OptionCase{{"/r" + k40Nines}, "/p /r2147483647"},
                                         OptionCase{{"/r-" + k40Nines}, "/p /r-2147483648"},
                                         OptionCase{{"/r-2147483648"}, "/p /r-2147483648"},
                                         OptionCase{{"/t-" + k40Nines}, "/p /t-2147483648"},
                                         OptionCase{{"/t90"}, "/p /t90"},
                                         OptionCase{{"/t-90", "/r180"}, "/p /r180"},
                                         OptionCase{{"/r180", "/t 45x"}, "/p /t45"},
                                         OptionCase{{"/r180", "/t", "/tx", "/T90"}, "/p /r180"},
                                         OptionCase{{"/t+270", "-wide", "-tall", "-incremental"},
                                                    "/p /t270 -wide -tall -incremental"},
                                         OptionCase{{"-Wide", "-wider", "-tall "}, "/p /r0"},
                                         OptionCase{{"/r90", "--help", "/t180"}, "/p /t180 help"},
                                         OptionCase{{"--version", "-h"}, "/p /r0 version"},
                                         OptionCase{{"--versions", "-help", "/??"}, "/p /r0"}),
                         JoinedName);

// Either file name keeps its meaning, whatever option it looks like.
TEST(CommandLineTest, FileNamesThatLookLikeOptions) {
  for (const char* name : {"/p1", "/r90", "/t90", "-wide", "-tall", "-portrait", "/pdfs/out.pdf",
                           "/proc/self/fd/1", "--help", "-h", "/?", "--version", "-incremental"}) {
    for (const bool as_input : {false, true}) {
      const CommandLine line = Parse(as_input ? std::vector<std::string>{name, "out.pdf"}
                                              : std::vector<std::string>{"in.pdf", name});
      EXPECT_EQ(as_input ? name : "in.pdf", line.input_path);
      EXPECT_EQ(as_input ? "out.pdf" : name, line.output_path);
      EXPECT_EQ("/p /r0", Read(line)) << name;
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
