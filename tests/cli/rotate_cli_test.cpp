// What the user sees first: the banner, and the one line for too few arguments.
#include <gtest/gtest.h>

#include "test_files.h"

namespace {

const char* kBanner =
    "Quillturn version 1.1\nweb site: https://quillturn.example\n"
    "email: support@quillturn.example\n\nUsage:\nQuillturn in.pdf out.pdf [params]\n"
    "possible params:\n-portrait - rotate portrait pages only\n"
    "-landscape - rotate landscape pages only\n"
    "-incremental - keep the input as it is, append the turned pages\n"
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

}  // namespace
