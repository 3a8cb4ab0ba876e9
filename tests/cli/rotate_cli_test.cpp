// What the user sees first: the banner, and the one line for too few arguments.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "test_files.h"

namespace {

const char* kBanner =
    "Quillturn version 1.1\nweb site: https://quillturn.example\n"
    "email: support@quillturn.example\n\nUsage:\nQuillturn in.pdf out.pdf [params]\n"
    "possible params:\n-portrait - rotate portrait pages only\n"
    "-landscape - rotate landscape pages only\n"
    "/p<list> - pages list for rotation (ex. /p1,4,5,10-20)\n"
    "/r<degree> - rotation degree (ex. /r90\nNotes:\n"
    "If the name of file contains space character itself,\nit must be enclosed in quotes.\n";

TEST(RotateCliTest, BannerAndMissingArguments) {
  CommandResult banner = RunQuillturn("");
  EXPECT_EQ(0, banner.exit_code);
  EXPECT_EQ(kBanner, banner.output);
  CommandResult one = RunQuillturn("only.pdf");
  EXPECT_EQ(0, one.exit_code);
  EXPECT_EQ("Error parameter", one.output);
}

// The help is the banner and a line for each option it lacks, wherever it is asked for; no
// file is read or written then.
TEST(RotateCliTest, HelpAndVersion) {
  const std::string help = RunQuillturn("--help").output;
  ASSERT_EQ(0u, help.rfind(kBanner, 0)) << help;
  ASSERT_GT(help.size(), std::string(kBanner).size());
  for (const char* args : {"-h", "'/?'", "missing.pdf out.pdf /r90 -h", "in.pdf out.pdf /? x"}) {
    EXPECT_EQ(help, RunQuillturn(args).output) << args;
  }
  EXPECT_FALSE(FileExists("out.pdf"));
  EXPECT_EQ("Quillturn version 1.1\n", RunQuillturn("--version").output);
  EXPECT_EQ("Quillturn version 1.1\n", RunQuillturn("missing.pdf out.pdf --version").output);
}

// Each line the help adds stands in the manual as it is printed.
TEST(RotateCliTest, ManualListsTheHelpsLines) {
  std::string manual;
  std::istringstream text(ReadFile(MANUAL_TEXT));
  for (std::string line; std::getline(text, line);) {
    const size_t begin = line.find_first_not_of(" ");
    const size_t end = line.find_last_not_of(" \r");
    manual += "\n" + (begin == std::string::npos ? "" : line.substr(begin, end - begin + 1));
  }
  manual += "\n";
  std::istringstream added(RunQuillturn("--help").output.substr(std::string(kBanner).size()));
  int lines = 0;
  for (std::string line; std::getline(added, line); ++lines) {
    EXPECT_NE(std::string::npos, manual.find("\n" + line + "\n")) << line;
  }
  EXPECT_EQ(9, lines);
}

}  // namespace
