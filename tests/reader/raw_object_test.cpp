// Where a stream object ends as the copy writes it: the copy's own framing of the body.
#include "reader/raw_object.h"

#include <gtest/gtest.h>

#include "fixtures.h"
#include "open_pdf.h"
#include "pdf_builder.h"
#include "reader/cpdf_fetcher.h"

namespace {

struct BodyCase {
  const char* name;
  const char* body;      // object 4's, written by the builder with "endobj" after it
  const char* expected;  // object 4 as the copy writes it
};

class StreamEndTest : public testing::TestWithParam<BodyCase> {};

TEST_P(StreamEndTest, EndsWhereReadersEndIt) {
  PdfBuilder b = OnePage();
  b.Object(4, GetParam().body).Object(5, "20");
  b.XRefTable("/Root 1 0 R");
  OpenPdf pdf(b.Bytes());
  ASSERT_EQ("", pdf.TryOpen());
  const std::vector<uint8_t> object = ExtractObject(*pdf.doc.GetFetcher(), 4);
  EXPECT_EQ(GetParam().expected, std::string(object.begin(), object.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Bodies,
    StreamEndTest,
    testing::Values(
        // /Length (here through a reference) steps over "endstream" bytes inside the data.
        BodyCase{"LengthByReference",
                 "<< /Length 5 0 R >>\nstream\nx endstream endobj y\nendstream",
                 "4 0 obj\n<< /Length 5 0 R >>\nstream\nx endstream endobj y\nendstream\nendobj\n"},
        // Every spelling of /Length that readers take: a comment before "endstream", leading
        // zeros, runs of white space inside a reference.
        BodyCase{
            "CommentBeforeEndstream",
            "<< /Length 20 >>\nstream\nx endstream endobj y\n% note\nendstream",
            "4 0 obj\n<< /Length 20 >>\nstream\nx endstream endobj y\n% note\nendstream\nendobj\n"},
        BodyCase{"LengthWithLeadingZeros",
                 "<< /Length 0000000000000000000000000000000000000000000000000000000000000000020 >>"
                 "\nstream\nx endstream endobj y\nendstream",
                 "4 0 obj\n<< /Length "
                 "0000000000000000000000000000000000000000000000000000000000000000020"
                 " >>\nstream\nx endstream endobj y\nendstream\nendobj\n"},
        BodyCase{
            "ReferenceWithLongSpaces",
            "<< /Length 5                                                                0   R >>"
            "\nstream\nx endstream endobj y\nendstream",
            "4 0 obj\n<< /Length 5                                                                "
            "0   R"
            " >>\nstream\nx endstream endobj y\nendstream\nendobj\n"},
        // A wrong /Length: the first "endstream" ends the body.
        BodyCase{"WrongLength", "<< /Length 99 >>\nstream\na)b(\nendstream",
                 "4 0 obj\n<< /Length 99 >>\nstream\na)b(\nendstream\nendobj\n"},
        // No "endstream" at all: the body ends where /Length says and the copy closes it.
        BodyCase{"NoEndstream", "<< /Length 3 >>\nstream\nabc",
                 "4 0 obj\n<< /Length 3 >>\nstream\nabc\nendstream\nendobj\n"}),
    [](const testing::TestParamInfo<BodyCase>& p) { return p.param.name; });

}  // namespace
