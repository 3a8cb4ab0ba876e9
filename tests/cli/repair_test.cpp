// -repair: files whose cross-reference data is damaged in the ways producers and transfers
// damage it, each copied through the table made again from the scan and judged against qpdf's
// own reconstruction of the input (the one check), with qpdf --check and pdfinfo's page count;
// a file whose table is fine comes out byte for byte as the full copy writes it.
#include <gtest/gtest.h>

#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "objects/pdf_messages.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// bytes with the first `from` at or after `after` replaced by `to`.
std::string Replaced(std::string bytes,
                     const std::string& from,
                     const std::string& to,
                     size_t after = 0) {
  const size_t at = bytes.find(from, after);
  EXPECT_NE(std::string::npos, at) << from;
  return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

// Catalog 1, pages 2, page 3 with content 4 and font 5.
PdfBuilder TextFile() {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kPages).Object(3, kTextPage);
  return b.Stream(4, "", kText).Object(5, kFont);
}

std::string StartXRefLeadsToAnObject() {
  PdfBuilder b = TextFile();
  const std::string bytes = b.XRefTable("/Root 1 0 R").Bytes();
  return Replaced(bytes, "startxref\n" + std::to_string(b.LastXRefOffset()),
                  "startxref\n" + std::to_string(b.Offset(4)));
}

std::string NoStartXRef() {
  const std::string bytes = Finish(TextFile());
  return bytes.substr(0, bytes.rfind("startxref"));
}

std::string TableCutShort() {
  PdfBuilder b = TextFile();
  const std::string bytes = b.XRefTable("/Root 1 0 R").Bytes();
  // Of the six lines the subsection promises, three stand before "trailer".
  const size_t lines = bytes.find("\n", static_cast<size_t>(b.LastXRefOffset()) + 5) + 1;
  return bytes.substr(0, lines + 3 * 20) + bytes.substr(bytes.find("trailer", lines));
}

// A byte more (inserted: every offset one early, at the line end before its header) or one
// less (removed: every offset one late, inside its header) in the header's comment line.
std::string OneByteInserted() {
  std::string bytes = Finish(TextFile());
  return bytes.insert(bytes.find('\n') + 2, "x");
}
std::string OneByteRemoved() {
  std::string bytes = Finish(TextFile());
  return bytes.erase(bytes.find('\n') + 2, 1);
}

// An update kept in an object stream (page 3 turned again, which the older plain page 3
// outranks: a scan finds headers, and members only for numbers no header defines), listed by a
// cross-reference stream whose data is garbage.
std::string XRefStreamGarbled() {
  PdfBuilder b = TextFile();
  b.XRefTable("/Root 1 0 R");
  b.ObjectStream(6, {{3, PageWith("/Resources << >> /Rotate 270")}});
  b.XRefStream(7, "/Root 1 0 R");
  std::string bytes = b.Bytes();
  const size_t data = bytes.find("stream\n", bytes.find("/XRef", b.LastXRefOffset())) + 7;
  const size_t end = bytes.find("\nendstream", data);
  return bytes.replace(data, end - data, std::string(end - data, 'x'));
}

// An update whose /Prev leads to the first section, whose own /Prev leads back to it.
std::string PrevLoops() {
  PdfBuilder b = TextFile();
  b.XRefTable("/Root 1 0 R /Prev 0000000000");
  b.Object(3, PageWith("/Resources << >> /Rotate 90")).XRefTable("/Root 1 0 R");
  char update[16];
  std::snprintf(update, sizeof(update), "%010lld", static_cast<long long>(b.LastXRefOffset()));
  return Replaced(b.Bytes(), "/Prev 0000000000", std::string("/Prev ") + update);
}

// An update that turns page 3, whose section is blanked out: startxref leads to white space.
std::string UpdateSectionLost() {
  PdfBuilder b = TextFile();
  b.XRefTable("/Root 1 0 R");
  b.Object(3, PageWith("/Resources << >> /Rotate 180")).XRefTable("/Root 1 0 R");
  std::string bytes = b.Bytes();
  const size_t at = static_cast<size_t>(b.LastXRefOffset());
  const size_t end = bytes.rfind("startxref");
  return bytes.replace(at, end - at, std::string(end - at, ' '));
}

struct RepairCase {
  std::string name;
  std::string input;
  std::string options;
  std::string plain;  // what the run without -repair prints
  bool same = false;  // -repair writes the full copy's bytes
};
PRINT_CASE_BY_NAME(RepairCase)

class RepairTest : public testing::TestWithParam<RepairCase> {};

TEST_P(RepairTest, CopiedAsReadersRebuildIt) {
  const RepairCase& c = GetParam();
  Scratch plain;
  ASSERT_EQ(c.plain, plain.Run(c.input, c.options));
  Scratch s;
  ASSERT_EQ("", s.Run(c.input, c.options + " -repair"));
  ExpectFaithfulRepair(s.in, s.out, c.options);
  EXPECT_EQ(0, RunCommand("qpdf --check '" + s.out + "' >/dev/null 2>&1").exit_code);
  const std::string pages = RunCommand("qpdf --show-npages '" + s.in + "' 2>/dev/null").output;
  EXPECT_NE(std::string::npos,
            RunCommand("pdfinfo '" + s.out + "'").output.find("Pages:           " + pages))
      << pages;
  if (c.same) {
    EXPECT_EQ(ReadFile(plain.out), ReadFile(s.out));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damage,
    RepairTest,
    testing::Values(RepairCase{"TableFine", Finish(TextFile()), "/p1 /t90", "", true},
                    RepairCase{"OneByteInserted", OneByteInserted(), "/r180", "", true},
                    RepairCase{"StartXRefWrong", StartXRefLeadsToAnObject(), "/r90", kMsgXRefSize},
                    RepairCase{"StartXRefMissing", NoStartXRef(), "/r90", kDamaged},
                    RepairCase{"TableCutShort", TableCutShort(), "/r270", kMsgXRefTable},
                    RepairCase{"OneByteRemoved", OneByteRemoved(), "/r90", kMsgXRef},
                    RepairCase{"XRefStreamGarbled", XRefStreamGarbled(), "/r90", kMsgXRefEof},
                    RepairCase{"PrevLoops", PrevLoops(), "/t90", ""},
                    RepairCase{"UpdateSectionLost", UpdateSectionLost(), "/t90", kMsgXRef},
                    RepairCase{"PageWithoutResources", Finish(OnePage(PageWith(""))), "/r90",
                               kMsgResources}),
    CaseName<RepairCase>);

// An update keeps the input's sections, which -repair would replace: refused before any file
// is read or written.
TEST(RepairCliTest, RefusedWithIncremental) {
  Scratch s;
  EXPECT_EQ(kMsgRepairIncremental, s.Run(Finish(TextFile()), "-incremental -repair /r90"));
  EXPECT_FALSE(FileExists(s.out));
}

}  // namespace
