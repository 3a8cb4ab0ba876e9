#include <gtest/gtest.h>

#include "fixtures.h"
#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_xref.h"

namespace {

struct MessageCase {
  const char* name;
  std::string bytes;
  const char* message;
};

// A file whose one section is table.
std::string WithTable(const std::string& table) {
  PdfBuilder b;
  b.Header();
  const int64_t at = b.Here();
  b.Raw(table).StartXRef(at);
  return b.Bytes();
}

// A table of the free-list head alone, then a trailer.
std::string HeadOnly(const std::string& trailer) {
  return WithTable("xref\n0 1\n0000000000 65535 f \ntrailer\n" + trailer + "\n");
}

std::string WithXRefStream(const std::string& dict, const std::string& data = "") {
  PdfBuilder b;
  b.Header();
  const int64_t at = b.Here();
  b.Raw("9 0 obj\n<< " + dict + " /Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
        "\nendstream\nendobj\n");
  b.StartXRef(at);
  return b.Bytes();
}

const char* kTable = "Couldn't parse an xref table";
const char* kSize = "Size of xref Stream is wrong type";
const char* kW = "W item of xref Stream is wrong type";
const char* kIndex = "Index item of xref Stream is wrong type";
const char* kEof = "Unexpected EOF while reading xref stream section";
const char* kXRefStream = "Couldn't parse an xref stream";
const char* kCatalogType = "Catalog CPdfObject is wrong type";

std::vector<MessageCase> MessageCases() {
  return {
      {"NoStartxref", "%PDF-1.4\nnothing here", kDamaged},
      {"Startxref0", WithTable("") + "startxref\n0\n", kDamaged},
      {"NoRoot", HeadOnly("<< /Size 1 >>"), kDamaged},
      {"DirectRoot", HeadOnly("<< /Root << >> >>"), kDamaged},
      {"SectionWord", WithTable("hello\n"), "Couldn't parse an xref"},
      {"NotAStream", WithTable("1 0 obj << /Size 1 >> endobj\n"), "Couldn't parse an xref stream"},
      {"BadEntry", WithTable("xref\n0 1\n0000000000 65535 x \ntrailer\n<< >>\n"), kTable},
      {"NegativeCount", WithTable("xref\n0 -1\ntrailer\n<< >>\n"), kTable},
      {"HugeSubsection", WithTable("xref\n8388600 100\ntrailer\n<< >>\n"), kTable},
      {"TruncatedTable", WithTable("xref\n0 3\n0000000000 65535 f \n"), kTable},
      {"TrailerArray", WithTable("xref\n0 0\ntrailer\n[ ]\n"), "Trailer dictionary is wrong type"},
      // A root the table does not define is null, as every missing object is.
      {"RootOutside", HeadOnly("<< /Root 7 0 R >>"), kCatalogType},
      {"Size", WithXRefStream("/Size /X /W [1 1 1]"), kSize},
      {"SizeHuge", WithXRefStream("/Size 2147483647 /W [1 1 1]"), kSize},
      {"WKind", WithXRefStream("/Size 1 /W 3"), kW},
      {"WElement", WithXRefStream("/Size 1 /W [1 /A 1]"), kW},
      {"WHuge", WithXRefStream("/Size 1 /W [1 2147483647 1]"), kW},
      {"WShort", WithXRefStream("/Size 1 /W [1 2]"), "W item of xref Stream is wrong length"},
      {"WZero", WithXRefStream("/Size 8388607 /W [0 0 0] /Index [0 8388607]"), kW},
      {"Index", WithXRefStream("/Size 1 /W [1 1 1] /Index [0 (a)]"), kIndex},
      {"IndexHuge", WithXRefStream("/Size 1 /W [1 1 1] /Index [2147483000 1000]"), kIndex},
      {"Eof", WithXRefStream("/Size 2 /W [1 1 1]", std::string("\x01\x00\x00\x01", 4)), kEof},
      // Each /Index pair is checked when its records are read: a short first
      // subsection is what the file is refused for, not the bad pair after it.
      {"EofBeforeBadPair",
       WithXRefStream("/Size 2 /W [1 1 1] /Index [0 2 (a) 1]", std::string("\x01\x00\x00", 3)),
       kEof},
      {"EntryType", WithXRefStream("/Size 1 /W [1 1 1]", std::string("\x03\x00\x00", 3)),
       "Wrong type of xref XRefEntry while reading xref stream section"},
      // ASCII data a filter refuses, past the records or before their end: none of it counts.
      {"RefusedPastTheRecords",
       WithXRefStream("/Size 1 /W [1 1 1] /Filter /AHx", "000000" + std::string(4000, ' ') + "g>"),
       kXRefStream},
      {"RefusedBeforeTheRecordsEnd", WithXRefStream("/Size 2 /W [1 1 1] /Filter /A85", "!!!!z~>"),
       kXRefStream},
      {"PredictorOnAsciiFilter",
       WithXRefStream("/Size 1 /W [1 1 1] /Filter /AHx /DecodeParms << /Predictor 12 >>",
                      "000000>"),
       kXRefStream},
  };
}

PRINT_CASE_BY_NAME(MessageCase)

class XRefTest : public testing::TestWithParam<MessageCase> {};

TEST_P(XRefTest, EveryOpeningMessageIsReachable) {
  OpenPdf pdf(GetParam().bytes);
  EXPECT_EQ(GetParam().message, pdf.TryOpen());
  EXPECT_EQ(nullptr, pdf.doc.GetCatalog());
}

INSTANTIATE_TEST_SUITE_P(Messages,
                         XRefTest,
                         testing::ValuesIn(MessageCases()),
                         testing::PrintToStringParamName());

// Offsets at and past 2^32 and ten digits (2^31: tests/cli/large_file_test.cpp), as a table or a
// stream's record gives them for object 9, which nothing names: kept whole, never wrapped; past any
// file, held there.
struct OffsetCase {
  const char* name;
  std::string bytes;
  int64_t offset;
};
PRINT_CASE_BY_NAME(OffsetCase)

// The one page, object 9 listed at offset by a classic table.
std::string TableListing(int64_t offset) {
  return Finish(OnePage().Entry(9, offset));
}

// Object 9 at offset in a cross-reference stream of offset_width-byte offsets.
std::string StreamListing(int64_t offset, int offset_width) {
  PdfBuilder b = OnePage("<< /Type /Page /Parent 2 0 R /Resources << >> >>", kPages, "1.5");
  b.Entry(9, offset);
  PdfBuilder::XRefLayout layout;
  layout.widths[1] = offset_width;
  return b.XRefStream(10, "/Root 1 0 R", layout).Bytes();
}

// A record whose offset field is nine bytes: a leading one past 64 bits.
std::string NineByteOffset() {
  PdfBuilder b = OnePage("<< /Type /Page /Parent 2 0 R /Resources << >> >>", kPages, "1.5");
  std::string records;
  const auto record = [&records](int type, int64_t offset, bool over) {
    records += static_cast<char>(type);
    records += static_cast<char>(over ? 1 : 0);
    for (int s = 56; s >= 0; s -= 8) {
      records += static_cast<char>((offset >> s) & 0xFF);
    }
    records += '\0';
  };
  const int64_t at = b.Here();
  record(0, 0, false);
  for (int n = 1; n <= 3; ++n) {
    record(1, b.Offset(n), false);
  }
  record(1, 5, true);  // object 4
  record(1, at, false);
  b.Raw("5 0 obj\n<< /Type /XRef /Size 6 /W [1 9 1] /Root 1 0 R /Length " +
        std::to_string(records.size()) + " >>\nstream\n" + records + "\nendstream\nendobj\n");
  return b.StartXRef(at).Bytes();
}

class EntryOffsetTest : public testing::TestWithParam<OffsetCase> {};

TEST_P(EntryOffsetTest, KeptWholeOrHeldPastAnyFile) {
  OpenPdf pdf(GetParam().bytes);
  ASSERT_EQ("", pdf.TryOpen());
  const int num = std::string(GetParam().name) == "NineByteFieldPast64Bits" ? 4 : 9;
  const XRefEntry* entry = pdf.doc.GetFetcher()->GetTable().Find(num);
  ASSERT_NE(nullptr, entry);
  EXPECT_EQ(XRefEntry::kInFile, entry->type);
  EXPECT_EQ(GetParam().offset, entry->offset);
}

constexpr int64_t k4G = int64_t{1} << 32;
constexpr int64_t kPast = XRefEntry::kPastAnyFile;

INSTANTIATE_TEST_SUITE_P(
    Boundaries,
    EntryOffsetTest,
    testing::Values(OffsetCase{"TableAt4GiB", TableListing(k4G), k4G},
                    OffsetCase{"TableAtTenDigits", TableListing(9999999999), 9999999999},
                    OffsetCase{"TablePastTenDigits", TableListing(10000000000), 10000000000},
                    OffsetCase{"TablePastAnyFile", TableListing(99999999999999999), kPast},
                    OffsetCase{"StreamFourBytesTop", StreamListing(k4G - 1, 4), k4G - 1},
                    OffsetCase{"StreamAt4GiB", StreamListing(k4G, 8), k4G},
                    OffsetCase{"StreamPastTenDigits", StreamListing(10000000000, 8), 10000000000},
                    OffsetCase{"StreamPastAnyFile", StreamListing(INT64_MAX, 8), kPast},
                    OffsetCase{"NineByteFieldPast64Bits", NineByteOffset(), kPast}),
    testing::PrintToStringParamName());

}  // namespace
