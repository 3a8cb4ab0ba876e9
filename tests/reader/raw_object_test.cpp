#include "reader/raw_object.h"

#include <gtest/gtest.h>

#include <cstring>

#include "open_pdf.h"
#include "pdf_builder.h"
#include "streams/cpdf_input_file.h"

namespace {

std::string AsText(const std::vector<uint8_t>& v) {
  return std::string(v.begin(), v.end());
}

TEST(RawObjectTest, FindBytes) {
  const uint8_t buf[] = "<<ab endobj";
  const size_t n = sizeof(buf) - 1;
  EXPECT_EQ(1u, FindBytes(buf, 0, n, "<<", 2));
  EXPECT_EQ(n - 1, FindBytes(buf, 0, n, "endobj", 6));
  EXPECT_EQ(0u, FindBytes(buf, 0, n - 1, "endobj", 6));  // must lie wholly inside
  EXPECT_EQ(0u, FindBytes(buf, 0, n, "xyz", 3));
  EXPECT_EQ(0u, FindBytes(buf, 0, 1, "<<", 2));
}

TEST(RawObjectTest, FindInFileAcrossPieces) {
  TempDir dir;
  for (size_t at : {0u, 1020u, 4093u, 4094u, 12000u, 70000u}) {
    std::string data(at + 100, 'x');
    std::memcpy(&data[at], "endobj", 6);
    auto f = CPdfInputFile::Open(dir.Write("f" + std::to_string(at), data).c_str());
    EXPECT_EQ(static_cast<int64_t>(at + 5), FindInFile(*f, 0, "endobj", 6)) << at;
    EXPECT_EQ(0, FindInFile(*f, static_cast<int64_t>(at + 1), "endobj", 6)) << at;
  }
}

class ExtractTest : public testing::Test {
 protected:
  void Open(const PdfBuilder& b) {
    pdf_ = std::make_unique<OpenPdf>(b.Bytes());
    ASSERT_EQ("", pdf_->TryOpen());
    file_ = CPdfInputFile::Open(pdf_->path.c_str());
  }
  std::string Extract(int num, RawObjectInfo* info = nullptr) {
    CPdfXRef* xref = pdf_->doc.GetXRef();
    return AsText(ExtractObject(*file_, num, *xref, xref->GetTable(), info));
  }

  std::unique_ptr<OpenPdf> pdf_;
  std::unique_ptr<CPdfInputFile> file_;
};

TEST_F(ExtractTest, StreamDataHoldingEndobjIsNotCutShort) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>").Object(2, kPagesBody);
  b.Object(3, kPageBody).Stream(4, "", "data endobj more");
  b.XRefTable("/Root 1 0 R");
  Open(b);
  const std::string stream = Extract(4);
  EXPECT_EQ(0u, stream.rfind("4 0 obj\n", 0));
  EXPECT_NE(std::string::npos, stream.find("data endobj more\nendstream\nendobj\n"));
  EXPECT_EQ("3 0 obj\n" + std::string(kPageBody) + "\nendobj\n", Extract(3));
}

TEST_F(ExtractTest, WrongNumberAtOffsetGivesNoBytes) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>").Object(2, kPagesBody);
  b.Object(3, kPageBody).Object(4, "(four)").XRefTable("/Root 1 0 R");
  std::string bytes = b.Bytes();
  // Point entry 4 at object 3.
  const std::string row4 = "0000000" + std::to_string(b.Offset(4)) + " 00000 n";
  const std::string row3 = "0000000" + std::to_string(b.Offset(3)) + " 00000 n";
  bytes.replace(bytes.find(row4), row4.size(), row3);
  pdf_ = std::make_unique<OpenPdf>(bytes);
  ASSERT_EQ("", pdf_->TryOpen());
  file_ = CPdfInputFile::Open(pdf_->path.c_str());
  EXPECT_EQ("", Extract(4));
  EXPECT_EQ("", Extract(0));
  EXPECT_EQ("", Extract(99));
}

TEST_F(ExtractTest, CompressedObjectsAreFramedAndNeverGlued) {
  PdfBuilder b;
  b.Header("1.5").Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.ObjectStream(4, {{2, kPagesBody}, {3, kPageBody}, {6, "12"}, {7, "/Name"}}, false);
  b.XRefStream(5, "/Root 1 0 R");
  Open(b);
  RawObjectInfo info;
  // A member that ends in a blank is copied byte for byte; the last, which ends in a regular
  // character, gets a line feed so that "endobj" stays a token of its own.
  EXPECT_EQ("6 0 obj\r12 endobj\r", Extract(6, &info));
  EXPECT_TRUE(info.compressed);
  EXPECT_EQ("7 0 obj\r/Name\nendobj\r", Extract(7));
  EXPECT_EQ("3 0 obj\r" + std::string(kPageBody) + " endobj\r", Extract(3));
  RawObjectInfo stm;
  EXPECT_FALSE(Extract(4, &stm).empty());
  EXPECT_TRUE(stm.object_stream);
}

}  // namespace
