// End-to-end: the real binary on files the tests build, its outputs judged by real readers.
#include <gtest/gtest.h>

#include "faithful_copy.h"
#include "fixtures.h"
#include "pdf_builder.h"
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

TEST(RotateCliTest, DirectKidPageCannotBeSelected) {
  Scratch s;
  PdfBuilder b;
  b.Header().Object(1, kCatalog);
  b.Object(2, "<< /Type /Pages /Count 2 /Kids [3 0 R << /Type /Page /Resources << >> >>] >>");
  b.Object(3, "<< /Type /Page /Resources << >> /MediaBox [0 0 10 10] >>");
  b.XRefTable("/Root 1 0 R");
  EXPECT_EQ(kDamaged, s.Run(b.Bytes(), "/p2 /r90"));
  EXPECT_FALSE(FileExists(s.out));
  EXPECT_EQ("", s.Run(b.Bytes(), "/p1 /r90"));
  ExpectFaithfulCopy(s.in, s.out, Pages({1}, 90));
}

}  // namespace
