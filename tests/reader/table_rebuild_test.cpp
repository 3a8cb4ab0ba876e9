// The table -repair makes from the scan: which definition of a number counts, which members an
// object stream gives, what is left out, and which trailer the copy carries over.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fixtures.h"
#include "objects/pdf_messages.h"
#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "reader/cpdf_fetcher.h"

namespace {

// Catalog 1, pages 2, page 3, and two information dictionaries, 6 and 7.
PdfBuilder Objects() {
  PdfBuilder b = OnePage();
  return b.Object(6, "<< /Title (six) >>").Object(7, "<< /Title (seven) >>");
}

// The file with every startxref misspelt: no section can be found, the table is made again.
std::string Lost(std::string bytes) {
  for (size_t at = bytes.find("startxref"); at != std::string::npos;
       at = bytes.find("startxref", at)) {
    bytes.replace(at, 9, "startxxxx");
  }
  return bytes;
}

std::string TwoTrailers(const std::string& newest) {
  PdfBuilder b = Objects();
  b.XRefTable("/Root 1 0 R /Info 6 0 R");
  return Lost(b.Object(3, kPage).XRefTable(newest).Bytes());
}

std::string XRefStreamOnly() {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).ObjectStream(8, {{2, kPages}, {3, kPage}});
  return Lost(b.Object(6, "<< >>").XRefStream(9, "/Root 1 0 R /Info 6 0 R").Bytes());
}

std::string MemberOutranked() {
  PdfBuilder b = Objects();
  b.ObjectStream(8, {{3, PageWith("/Resources << >> /Rotate 90")}, {10, "<< >>"}});
  return Lost(Finish(b, "/Root 1 0 R"));
}

// Objects after the trailer, and a last one, ten.
std::string After(const std::string& objects) {
  PdfBuilder b = Objects();
  return Lost(b.XRefTable("/Root 1 0 R").Raw(objects).Object(10, "(ten)").Bytes());
}

struct RebuildCase {
  std::string name;
  std::string bytes;
  std::map<std::string, std::string> trailer;  // what the copy's trailer carries over
  std::vector<int> members = {};               // numbers given by object streams
  std::vector<int> absent = {};                // numbers the table does not hold
  std::vector<int> present = {};
};
PRINT_CASE_BY_NAME(RebuildCase)

class TableRebuildTest : public testing::TestWithParam<RebuildCase> {};

TEST_P(TableRebuildTest, MadeFromTheScan) {
  const RebuildCase& c = GetParam();
  OpenPdf pdf(c.bytes);
  ASSERT_EQ("", pdf.TryOpen(false, true));
  EXPECT_EQ(c.trailer, pdf.doc.ReadTrailer({"Encrypt", "ID", "Info", "Root"}));
  const CPdfXRefTable& table = pdf.doc.GetFetcher()->GetTable();
  for (const int num : c.members) {
    ASSERT_NE(nullptr, table.Find(num)) << num;
    EXPECT_EQ(XRefEntry::kInStream, table.Find(num)->type) << num;
  }
  for (const int num : c.absent) {
    EXPECT_EQ(nullptr, table.Find(num)) << num;
  }
  std::vector<int> present = c.present;
  present.insert(present.end(), {1, 2, 3});
  for (const int num : present) {
    EXPECT_NE(nullptr, table.Find(num)) << num;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules,
    TableRebuildTest,
    testing::Values(
        RebuildCase{"LastTrailerWins",
                    TwoTrailers("/Root 1 0 R /Info 7 0 R"),
                    {{"Root", "1 0 R"}, {"Info", "7 0 R"}}},
        RebuildCase{"TrailerWithoutUsableRootPassedOver",
                    TwoTrailers("/Root 9 0 R /Info 7 0 R"),
                    {{"Root", "1 0 R"}, {"Info", "6 0 R"}}},
        RebuildCase{"XRefStreamDictionary",
                    XRefStreamOnly(),
                    {{"Root", "1 0 R"}, {"Info", "6 0 R"}},
                    {2, 3}},
        RebuildCase{"MadeFromTheCatalog", Lost(OnePage().Bytes()), {{"Root", "1 0 R"}}},
        RebuildCase{"MadeFromTheCatalogWithTheInfoNamed",
                    Lost(Objects().XRefTable("/Root 5 0 R /Info 7 0 R").Bytes()),
                    {{"Root", "1 0 R"}, {"Info", "7 0 R"}}},
        RebuildCase{
            "MembersWithoutEndOrValueLeftOut",
            Lost(Finish(Objects().ObjectStream(8,
                                               {{11, "(open ( string"}, {12, " "}, {13, "<< /A"}}),
                        "/Root 1 0 R")),
            {{"Root", "1 0 R"}},
            {},
            {11, 12, 13}},
        RebuildCase{"PlainObjectOutranksMember", MemberOutranked(), {{"Root", "1 0 R"}}, {10}},
        // What follows them is read from the next header that begins a line.
        RebuildCase{"StreamWithoutEndLeftOut",
                    After("9 0 obj\n<< /Length 99 >>\nstream\nabc\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9},
                    {10}},
        RebuildCase{"StreamWithoutEndTakesNoLaterStreamsEnd",
                    After("9 0 obj\n<< >>\nstream\nabc\nendobj\n"
                          "11 0 obj\n<< /Length 3 >>\nstream\nabc\nendstream\nendobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9},
                    {10, 11}},
        RebuildCase{"BodyOfABrokenHeaderTakesNoLaterStreamsEnd",
                    After("9 0 obx\n<< >>\nstream\nabc\nendobj\n"
                          "11 0 obj\n<< /Length 3 >>\nstream\nabc\nendstream\nendobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9},
                    {10, 11}},
        RebuildCase{"StringWithoutEndLeftOut",
                    After("9 0 obj\n<< /A (abc\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9},
                    {10}},
        RebuildCase{"HeadersAfterTheStringTakenWhereTheyBeginALine",
                    After("9 0 obj\n(abc 11 0 obj (eleven) endobj\n  12 0 obj (twelve) endobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9, 11},
                    {10, 12}},
        // A header a string holds counts, as readers that rebuild a table by lines take it: the
        // hex string a stray "<" opens is left open, a literal string stays whole (a stray ")"
        // may close it much later).
        RebuildCase{"HeaderInAHexStringTaken",
                    After("9 0 obj\n<< /A <ab\n11 0 obj\n<< /B 1 >>\nendobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {9},
                    {10, 11}},
        RebuildCase{"HeaderInALiteralStringTakenAndTheStringKept",
                    After("9 0 obj\n(ab\n11 0 obj (eleven) endobj\n12 0 obj (x))\nendobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {},
                    {9, 10, 11, 12}},
        // Readers that rebuild a table pass over these; a header with neither value nor end
        // defines nothing, an empty object with its "endobj" is null as they read it.
        RebuildCase{"HeadersRunIntoTheirNeighboursPassedOver",
                    After("11 0obj\n(eleven)\nendobj\n(x)12 0 obj\n(twelve)\nendobj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {11, 12}},
        RebuildCase{"HeaderWithoutValueOrEndDefinesNothing",
                    After("11 0 obj\n12 0 obj\nendobj\n3 0 obj\n"),
                    {{"Root", "1 0 R"}},
                    {},
                    {11},
                    {12}}),
    CaseName<RebuildCase>);

// Later object streams that spend the decoding budget leave an earlier one unlisted: its members
// would be lost without a word, so the file is refused.
TEST(TableRebuildBudgetTest, StreamsLeftUnlistedRefuseTheFile) {
  PdfBuilder b = Objects();
  b.ObjectStream(8, {{11, "<< >>"}});
  for (const int num : {20, 22, 24}) {
    b.ObjectStream(num, {{num + 1, "1"}}, true, "", size_t{30} << 20);
  }
  OpenPdf pdf(Lost(Finish(b, "/Root 1 0 R")));
  EXPECT_EQ(kMsgDamaged, pdf.TryOpen(false, true));
}

}  // namespace
