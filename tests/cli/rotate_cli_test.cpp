// End-to-end: the real binary on files the tests build, its outputs judged by real readers.
#include <gtest/gtest.h>

#include "faithful_copy.h"
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

std::string Quote(const std::string& s) {
  return "'" + s + "'";
}

PdfBuilder FourPages(bool object_streams) {
  PdfBuilder b;
  b.Header(object_streams ? "1.5" : "1.4");
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
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
  std::string Run(const std::string& args) { return RunQuillturn(args).output; }
  std::string In(const std::string& bytes) { return dir_.Write("in.pdf", bytes); }
  TempDir dir_;
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
    const std::string in = In(FourPages(objstm).Bytes());
    const std::string out = dir_.Path("out.pdf");
    // Pages at 0, 90, 180 (inherited) and 270.
    const std::pair<std::string, PageAngles> runs[] = {{"/p2 /r180", Pages({2}, 180)},
                                                       {"/p1,3 /r90", Pages({1, 3}, 90)},
                                                       {"-landscape /r0", Pages({2, 4}, 0)},
                                                       {"-portrait /r-90", Pages({1, 3}, -90)},
                                                       {"", Pages({1, 2, 3, 4}, 0)}};
    for (const auto& [args, rotated] : runs) {
      SCOPED_TRACE(args + (objstm ? " objstm" : " classic"));
      EXPECT_EQ("", Run(Quote(in) + " " + Quote(out) + " " + args));
      ExpectFaithfulCopy(in, out, rotated);
    }
  }
}

TEST_F(RotateCliTest, SparseNumbersGetSubsections) {
  // Numbers far apart cost a subsection each, not a line per number between them; short gaps
  // stay free lines of one subsection.
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R /Extra 40 0 R /Far 8388607 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> >>");
  b.Object(10, "(ten)").Object(40, "(forty)").Object(8388607, "(far)");
  b.XRefTable("/Root 1 0 R");
  const std::string in = In(b.Bytes());
  const std::string out = dir_.Path("out.pdf");
  ASSERT_EQ("", Run(Quote(in) + " " + Quote(out) + " /r90"));
  const std::string bytes = ReadFile(out);
  const size_t xref = bytes.find("xref\n0 11\r");
  ASSERT_NE(std::string::npos, xref);
  EXPECT_NE(std::string::npos, bytes.find("\r40 1\r", xref));
  EXPECT_NE(std::string::npos, bytes.find("\r8388607 1\r", xref));
  EXPECT_NE(std::string::npos, bytes.find("/Size 8388608\n", xref));
  EXPECT_LT(bytes.size() - xref, 600u);
  ExpectFaithfulCopy(in, out, Pages({1}, 90));
}

TEST_F(RotateCliTest, FailuresLeaveNoOutputAndKeepAnExistingOne) {
  const std::string bytes = FourPages(false).Bytes();
  const std::string in = In(bytes);
  const std::string out = dir_.Write("out.pdf", "precious");
  EXPECT_EQ("Page number 12 greater than 4 pages in file",
            Run(Quote(in) + " " + Quote(out) + " /p12"));
  EXPECT_EQ("precious", ReadFile(out));
  EXPECT_EQ("Invalid parameter", Run(Quote(in) + " " + Quote(out) + " /p1-2-3"));
  EXPECT_EQ("Input file open error", Run(Quote(dir_.Path("none.pdf")) + " " + Quote(out)));
  EXPECT_EQ("Output file create error", Run(Quote(in) + " " + Quote(dir_.Path("no/such/dir.pdf"))));
  EXPECT_EQ("Output file is the input file", Run(Quote(in) + " " + Quote(in)));
  ASSERT_EQ(0, RunCommand("ln -s in.pdf " + Quote(dir_.Path("link.pdf"))).exit_code);
  EXPECT_EQ("Output file is the input file", Run(Quote(in) + " " + Quote(dir_.Path("link.pdf"))));
  EXPECT_EQ(bytes, ReadFile(in));
  // Only the input, the kept output and the link remain: no temporary file is left behind.
  EXPECT_EQ("in.pdf\nlink.pdf\nout.pdf\n", RunCommand("ls -A " + Quote(dir_.Dir())).output);
}

TEST_F(RotateCliTest, WriteErrorIsReportedAndNothingIsLeft) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Resources << >> /Contents 4 0 R >>");
  b.Stream(4, "", std::string(size_t{64} * 1024, 'x'));
  b.XRefTable("/Root 1 0 R");
  const std::string in = In(b.Bytes());
  // A file size limit of 16 KiB: the program must not die of SIGXFSZ without a word, and its
  // temporary file goes, unnamed or (where the file system has no unnamed ones) named.
  for (const std::string env :
       {"", "LD_PRELOAD=" NO_TMPFILE_PRELOAD " ASAN_OPTIONS=verify_asan_link_order=0 "}) {
    CommandResult r = RunCommand("ulimit -f 16; " + env + QUILLTURN_BINARY + " " + Quote(in) + " " +
                                 Quote(dir_.Path("big.pdf")));
    EXPECT_EQ(0, r.exit_code);
    EXPECT_EQ("Output file write error", r.output) << env;
    EXPECT_EQ("in.pdf\n", RunCommand("ls -A " + Quote(dir_.Dir())).output) << env;
  }
}

TEST_F(RotateCliTest, DirectKidPageCannotBeSelected) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Count 2 /Kids [3 0 R << /Type /Page /Resources << >> >>] >>");
  b.Object(3, "<< /Type /Page /Resources << >> /MediaBox [0 0 10 10] >>");
  b.XRefTable("/Root 1 0 R");
  const std::string in = In(b.Bytes());
  const std::string out = dir_.Path("out.pdf");
  EXPECT_EQ("PDF file was damaged", Run(Quote(in) + " " + Quote(out) + " /p2 /r90"));
  EXPECT_FALSE(FileExists(out));
  EXPECT_EQ("", Run(Quote(in) + " " + Quote(out) + " /p1 /r90"));
  ExpectFaithfulCopy(in, out, Pages({1}, 90));
}

}  // namespace
