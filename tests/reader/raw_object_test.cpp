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

TEST_F(ExtractTest, WrongOffsetFindsTheObjectByItsHeader) {
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
  EXPECT_EQ("4 0 obj\n(four)\nendobj\n", Extract(4));
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
  // A member's value is copied and always parted from "endobj" by a line feed.
  EXPECT_EQ("6 0 obj\r12\nendobj\n", Extract(6, &info));
  EXPECT_TRUE(info.compressed);
  EXPECT_EQ("7 0 obj\r/Name\nendobj\n", Extract(7));
  EXPECT_EQ("3 0 obj\r" + std::string(kPageBody) + "\nendobj\n", Extract(3));
  EXPECT_FALSE(Extract(4).empty());
}

struct BodyCase {
  const char* name;
  const char* body;      // object 4's, written by the builder with "endobj" after it
  const char* expected;  // object 4 as the copy writes it
};

class StreamEndTest : public ExtractTest, public testing::WithParamInterface<BodyCase> {};

TEST_P(StreamEndTest, EndsWhereReadersEndIt) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>").Object(2, kPagesBody);
  b.Object(3, kPageBody).Object(4, GetParam().body).Object(5, "20");
  b.XRefTable("/Root 1 0 R");
  Open(b);
  EXPECT_EQ(GetParam().expected, Extract(4));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies,
    StreamEndTest,
    testing::Values(
        // /Length (here through a reference) steps over "endstream" bytes inside the data.
        BodyCase{"LengthByReference",
                 "<< /Length 5 0 R >>\nstream\nx endstream endobj y\nendstream",
                 "4 0 obj\n<< /Length 5 0 R >>\nstream\nx endstream endobj y\nendstream\nendobj\n"},
        // A wrong /Length: the first "endstream" ends the body.
        BodyCase{"WrongLength", "<< /Length 99 >>\nstream\na)b(\nendstream",
                 "4 0 obj\n<< /Length 99 >>\nstream\na)b(\nendstream\nendobj\n"},
        // No "endstream" at all: the body ends where /Length says and the copy closes it.
        BodyCase{"NoEndstream", "<< /Length 3 >>\nstream\nabc",
                 "4 0 obj\n<< /Length 3 >>\nstream\nabc\nendstream\nendobj\n"}),
    [](const testing::TestParamInfo<BodyCase>& p) { return p.param.name; });

}  // namespace
