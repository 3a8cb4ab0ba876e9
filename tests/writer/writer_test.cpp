// The output's own bytes, as readers expect them: a copy's header, table and trailer, and an
// update's own section read back by this program's reader (each entry where the object was
// appended, /Prev to the section before, /Size past every number, the trailer's other keys kept).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "objects/cpdf_dictionary.h"
#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "reader/cpdf_fetcher.h"
#include "test_files.h"
#include "writer/cpdf_output.h"
#include "writer/cpdf_update_section.h"

namespace {

struct SectionCase {
  std::string name;
  bool stream;
  size_t padding;          // bytes of comment before the input's objects: wider offsets
  std::vector<int> pages;  // numbers appended (3 is the page, the others plain objects)
  int generation;          // of page 3
  std::string widths;      // the stream's /W, as written
};
PRINT_CASE_BY_NAME(SectionCase)

const SectionCase kCases[] = {
    {"table_one_object", false, 0, {3}, 0, ""},
    {"table_two_runs_and_a_generation", false, 0, {3, 4, 9}, 6, ""},
    {"stream_short_offsets", true, 0, {3}, 0, "/W [1 2 1]"},
    {"stream_offsets_of_three_bytes", true, 70000, {3, 9}, 0, "/W [1 3 1]"},
    {"stream_generation_of_two_bytes", true, 0, {3}, 300, "/W [1 2 2]"},
};

class UpdateSectionTest : public testing::TestWithParam<SectionCase> {};

TEST_P(UpdateSectionTest, ReadBackByTheReader) {
  const SectionCase& c = GetParam();
  PdfBuilder b;
  b.Header("1.5").Raw("%" + std::string(c.padding, 'x') + "\n");
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 " + std::to_string(c.generation) + " R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> >>", c.generation);
  const std::string trailer = "/Root 1 0 R /Info 2 0 R /Custom (kept)";
  c.stream ? b.XRefStream(10, trailer) : b.XRefTable(trailer);
  std::string file = b.Bytes() + "\n";
  CPdfUpdateSection::Trailer t;
  t.entries = {{"Size", "/Size 1"},
               {"Root", "/Root 1 0 R"},
               {"Prev", "/Prev 1"},
               {"Custom", "/Custom (kept)"},
               {"Length", "/Length 5"}};
  t.size = b.Size();
  t.prev = b.LastXRefOffset();
  std::vector<CPdfUpdateSection::Entry> entries;
  for (const int num : c.pages) {
    const int gen = num == 3 ? c.generation : 0;
    entries.push_back({num, static_cast<int64_t>(file.size()), gen});
    file += std::to_string(num) + " " + std::to_string(gen) + " obj\n" +
            (num == 3 ? "<< /Type /Page /Parent 2 0 R /Rotate 90 /Resources << >> >>" : "null") +
            "\nendobj\n";
  }
  const int64_t at = static_cast<int64_t>(file.size());
  const std::string section = c.stream ? CPdfUpdateSection::Stream(entries, t, at)
                                       : CPdfUpdateSection::Table(entries, t, at);
  EXPECT_NE(std::string::npos, section.find(c.widths));
  OpenPdf pdf(file + section);
  ASSERT_EQ("", pdf.TryOpen());
  const CPdfXRef& xref = pdf.doc.GetFetcher()->GetXRef();
  EXPECT_FALSE(xref.ReadAround());
  for (const CPdfUpdateSection::Entry& e : entries) {
    const XRefEntry* found = xref.GetTable().Find(e.num);
    ASSERT_NE(nullptr, found) << e.num;
    EXPECT_EQ(e.offset, found->offset);
    EXPECT_EQ(e.generation, found->generation);
  }
  // The input's own objects are still found through /Prev.
  ASSERT_NE(nullptr, xref.GetTable().Find(1));
  EXPECT_EQ(b.Offset(1), xref.GetTable().Find(1)->offset);
  CPdfObject value;
  xref.GetTrailer().GetDict()->LookupRaw("Prev", value);
  EXPECT_EQ(b.LastXRefOffset(), value.GetInt());
  xref.GetTrailer().GetDict()->LookupRaw("Size", value);
  EXPECT_EQ(xref.GetTable().GetSize(), value.GetInt());
  EXPECT_NE(nullptr, xref.GetTrailer().GetDict()->Find("Custom"));
}

INSTANTIATE_TEST_SUITE_P(Layouts,
                         UpdateSectionTest,
                         testing::ValuesIn(kCases),
                         CaseName<SectionCase>);

// The whole output: header, one "N G obj" per (number, generation) at the offset its entry
// gets, the table for /Size size and the trailer.
std::string Write(const std::string& version,
                  const std::vector<std::pair<int32_t, int32_t>>& objects,
                  int32_t size,
                  const std::map<std::string, std::string>& trailer) {
  TempDir dir;
  CPdfOutput output;
  output.Create(dir.Path("out.pdf"));
  output.WriteHeader(version);
  for (const auto& [num, generation] : objects) {
    output.AddEntry(num, generation);
    const std::string body =
        std::to_string(num) + " " + std::to_string(generation) + " obj\nnull\nendobj\n";
    output.WriteBytes(body.data(), body.size());
  }
  const int32_t xref = output.OutputPosition();
  output.WriteTrailer(output.WriteXRefTable(size), xref, trailer);
  output.Finish();
  return ReadFile(dir.Path("out.pdf"));
}

std::string TableOf(const std::string& bytes) {
  const size_t xref = bytes.find("xref\n");
  return bytes.substr(xref, bytes.find("trailer") - xref);
}

std::string FreeLines(int count) {
  std::string lines;
  while (count-- > 0) {
    lines += "0000000000 00000 f \r";
  }
  return lines;
}

// The objects "N 0 obj\nnull\nendobj\n" (20 bytes for one-digit numbers) follow the 16-byte
// header, whose binary comment tells transfer programs the file is not text. Sixteen free numbers
// stay free lines; seventeen cost a subsection instead.
TEST(WriterTest, HeaderAndTable) {
  const std::string bridged = Write("PDF-1.4", {{1, 0}, {18, 0}}, 19, {{"Root", "1 0 R"}});
  EXPECT_EQ(0u, bridged.rfind("%PDF-1.4\r%\xE2\xE3\xCF\xD3\r\n", 0));
  EXPECT_EQ("xref\n0 19\r0000000000 65535 f \r0000000016 00000 n \r" + FreeLines(16) +
                "0000000036 00000 n \r",
            TableOf(bridged));
  EXPECT_NE(std::string::npos, bridged.find("/Size 19\n"));
  EXPECT_EQ("xref\n0 2\r0000000000 65535 f \r0000000016 00000 n \r19 1\r0000000036 00000 n \r",
            TableOf(Write("PDF-1.4", {{1, 0}, {19, 0}}, 20, {})));
}

}  // namespace
