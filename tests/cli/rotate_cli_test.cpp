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

PdfBuilder FourPages(bool object_streams) {
  PdfBuilder b;
  b.Header(object_streams ? "1.5" : "1.4");
  b.Object(1, kCatalog);
  const std::string font = "/Resources << /Font << /F1 9 0 R >> >>";
  std::vector<std::pair<int, std::string>> objs = {
      {2, "<< /Type /Pages /Kids [3 0 R 4 0 R 10 0 R] /Count 4 /MediaBox [0 0 200 300] >>"},
      {3, "<< /Type /Page /Parent 2 0 R " + font + " /Contents 8 0 R >>"},
      {4, "<< /Type /Page /Parent 2 0 R /Rotate 90 " + font + " /Contents 8 0 R >>"},
      {10, "<< /Type /Pages /Parent 2 0 R /Rotate 180 /Kids [5 0 R 6 0 R] /Count 2 >>"},
      {5, "<< /Type /Page /Parent 10 0 R " + font + " /Contents 8 0 R >>"},
      {6, "<< /Type /Page /Parent 10 0 R /Rotate 270 " + font + " /Contents 8 0 R >>"},
      {9, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"}};
  if (object_streams) {
    b.ObjectStream(7, objs);
  } else {
    for (const auto& [num, body] : objs) {
      b.Object(num, body);
    }
  }
  // The content holds the bytes "ObjStm" and "endobj" and must still be copied whole.
  b.Stream(8, "", "BT /F1 40 Tf 20 100 Td (ObjStm endobj) Tj ET\n0 0 1 rg 50 200 60 60 re f");
  if (object_streams) {
    b.XRefStream(11, "/Root 1 0 R");
  } else {
    b.XRefTable("/Root 1 0 R /ID [<00ff> (lit)]");
  }
  return b;
}

class RotateCliTest : public testing::Test {
 protected:
  // Runs the binary on bytes as in.pdf, into out.pdf; what it printed.
  std::string Run(const std::string& bytes, const std::string& options) {
    dir_.Write("in.pdf", bytes);
    return RunQuillturn("'" + in_ + "' '" + out_ + "' " + options).output;
  }
  TempDir dir_;
  const std::string in_ = dir_.Path("in.pdf");
  const std::string out_ = dir_.Path("out.pdf");
};

TEST_F(RotateCliTest, BannerAndMissingArguments) {
  CommandResult banner = RunQuillturn("");
  EXPECT_EQ(0, banner.exit_code);
  EXPECT_EQ(kBanner, banner.output);
  CommandResult one = RunQuillturn("only.pdf");
  EXPECT_EQ(0, one.exit_code);
  EXPECT_EQ("Error parameter", one.output);
}

TEST_F(RotateCliTest, SelectionModesOnClassicAndObjectStreamFiles) {
  for (bool objstm : {false, true}) {
    // Pages at 0, 90, 180 (inherited) and 270.
    const std::pair<std::string, PageAngles> runs[] = {{"-landscape /r0", Pages({2, 4}, 0)},
                                                       {"-portrait /r-90", Pages({1, 3}, -90)},
                                                       {"", Pages({1, 2, 3, 4}, 0)}};
    for (const auto& [args, rotated] : runs) {
      SCOPED_TRACE(args + (objstm ? " objstm" : " classic"));
      EXPECT_EQ("", Run(FourPages(objstm).Bytes(), args));
      ExpectFaithfulCopy(in_, out_, rotated);
    }
  }
}

TEST_F(RotateCliTest, DirectKidPageCannotBeSelected) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog);
  b.Object(2, "<< /Type /Pages /Count 2 /Kids [3 0 R << /Type /Page /Resources << >> >>] >>");
  b.Object(3, "<< /Type /Page /Resources << >> /MediaBox [0 0 10 10] >>");
  b.XRefTable("/Root 1 0 R");
  EXPECT_EQ(kDamaged, Run(b.Bytes(), "/p2 /r90"));
  EXPECT_FALSE(FileExists(out_));
  EXPECT_EQ("", Run(b.Bytes(), "/p1 /r90"));
  ExpectFaithfulCopy(in_, out_, Pages({1}, 90));
}

}  // namespace
