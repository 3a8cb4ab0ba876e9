// Inputs past 2 GiB, 4 GiB and the ten digits of a table line. Their big objects are holes of
// sparse files (stream data the file system never stores), so each input costs kilobytes of
// disk, and the copy keeps the holes. Outputs are judged without reading them whole: every line
// of the table leads to its object's header, and pdfinfo (which reads what it needs) reads the
// turned pages.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

#include "fixtures.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

constexpr int64_t k2GiB = int64_t{1} << 31;
constexpr int64_t k4GiB = int64_t{1} << 32;
constexpr int64_t kTenDigits = 9999999999;
// More than this on the disk for a file of gigabytes: its holes were not kept.
constexpr int64_t kMostStored = int64_t{64} << 20;

const char* const kTwoPages = "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>";
const char* const kImage =
    "/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
    "/BitsPerComponent 8";

// Pages 3 and 5 after stream 4, which no object names, of 2 GiB and a few bytes (a direct
// /Length); listed by a cross-reference stream of 8-byte offsets.
PdfBuilder StreamSectionPastTwoGiB() {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kTwoPages);
  b.HoleStream(4, "", k2GiB + 4097);
  b.Object(3, kPage).Object(5, kPage);
  PdfBuilder::XRefLayout layout;
  layout.widths[1] = 8;
  return b.XRefStream(7, "/Root 1 0 R", layout);
}

// Page 3 shows image 4 of length bytes, whose /Length is object 6; page 5 after it; a classic
// table.
PdfBuilder TableAfterImage(int64_t length) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog).Object(2, kTwoPages);
  b.Object(3, PageWith("/Resources << /XObject << /Im 4 0 R >> >>"));
  b.HoleStream(4, kImage, length, "6 0 R");
  b.Object(5, kPage).Object(6, std::to_string(length));
  return b.XRefTable("/Root 1 0 R");
}
PdfBuilder TablePastFourGiB() {
  return TableAfterImage(k4GiB + 4097);
}
// An update of a few bytes fits however near the limit the input's own objects stand.
PdfBuilder TableNearTenDigits() {
  return TableAfterImage(kTenDigits - 1000000);
}

// One page and a stream that takes the file past ten digits.
PdfBuilder PastTenDigits() {
  PdfBuilder b = OnePage();
  b.HoleStream(4, "", kTenDigits);
  return b.XRefTable("/Root 1 0 R");
}

// Exactly ten digits of bytes: a hundred pages without /Rotate, then a stream that fills the
// file. Each page turned grows by its inserted /Rotate: the copy cannot be listed.
PdfBuilder FullToTenDigits() {
  const auto build = [](int64_t hole) {
    std::string kids;
    for (int k = 0; k < 100; ++k) {
      kids += std::to_string(3 + k) + " 0 R ";
    }
    PdfBuilder b;
    b.Header().Object(1, kCatalog).Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count 100 >>");
    for (int k = 0; k < 100; ++k) {
      b.Object(3 + k, kPage);
    }
    return b.HoleStream(103, "", hole).XRefTable("/Root 1 0 R");
  };
  // The hole's digits change the file's length by a few bytes: built again until it is exact.
  int64_t hole = kTenDigits - build(0).Here();
  for (int i = 0; i < 4 && build(hole).Here() != kTenDigits; ++i) {
    hole += kTenDigits - build(hole).Here();
  }
  PdfBuilder b = build(hole);
  EXPECT_EQ(kTenDigits, b.Here());
  return b;
}

// The file's length, or with stored the bytes the disk holds of it.
int64_t FileSize(const std::string& path, bool stored = false) {
  struct stat st {};
  return stat(path.c_str(), &st) != 0 ? -1
         : stored                     ? static_cast<int64_t>(st.st_blocks) * 512
                                      : static_cast<int64_t>(st.st_size);
}

std::string ReadAt(std::FILE* f, int64_t at, size_t count) {
  std::string bytes(count, '\0');
  if (fseeko(f, static_cast<off_t>(at), SEEK_SET) != 0) {
    return "";
  }
  bytes.resize(std::fread(&bytes[0], 1, count, f));
  return bytes;
}

// The newest section of a file that ends with a classic table: every in-use line's offset by
// number, each checked to lead to "num gen obj"; the trailer's /Prev in *prev (-1 without).
std::map<int, int64_t> ReadTable(const std::string& path, int64_t* prev) {
  std::map<int, int64_t> offsets;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    ADD_FAILURE() << "cannot open " << path;
    return offsets;
  }
  const int64_t size = FileSize(path);
  const std::string tail = ReadAt(f, size > 1024 ? size - 1024 : 0, 1024);
  const size_t keyword = tail.rfind("startxref");
  const int64_t at = keyword == std::string::npos ? -1 : std::stoll(tail.substr(keyword + 9));
  std::istringstream table(ReadAt(f, at, size_t{1} << 20));
  std::string word;
  table >> word;
  EXPECT_EQ("xref", word) << "at " << at;
  for (int64_t first = 0, count = 0; table >> word && word != "trailer";) {
    first = std::stoll(word);
    table >> count;
    for (int64_t n = first; n < first + count; ++n) {
      int64_t offset = 0;
      std::string gen;
      std::string kind;
      table >> offset >> gen >> kind;
      if (kind != "n") {
        continue;
      }
      offsets[static_cast<int>(n)] = offset;
      const std::string header = std::to_string(n) + " " + std::to_string(std::stoi(gen)) + " obj";
      EXPECT_EQ(header, ReadAt(f, offset, header.size())) << "object " << n << " at " << offset;
    }
  }
  std::fclose(f);
  std::string rest((std::istreambuf_iterator<char>(table)), std::istreambuf_iterator<char>());
  const size_t key = rest.find("/Prev ");
  *prev = key == std::string::npos ? -1 : std::stoll(rest.substr(key + 6));
  return offsets;
}

std::string Rotations(const std::string& path) {
  return RunCommand("pdfinfo -l 2 '" + path + "' | grep rot: | tr -s ' '").output;
}

struct LargeCase {
  std::string name;
  PdfBuilder (*build)();
  std::string options;
  std::string message;    // "" for a copy
  std::string rotations;  // what pdfinfo says of the output's pages
  int64_t far_object;     // a number the output's table lists past this offset
  int64_t far_offset;
};
PRINT_CASE_BY_NAME(LargeCase)

class LargeFileTest : public testing::TestWithParam<LargeCase> {};

TEST_P(LargeFileTest, CopiedWithItsTableOrRefusedAtOnce) {
  const LargeCase& c = GetParam();
  const PdfBuilder b = c.build();
  TempDir dir;  // removed with everything in it, also when a check fails
  const std::string in = dir.Path("in.pdf");
  const std::string out = dir.Path("out.pdf");
  if (!b.Save(in) || FileSize(in) != b.Here()) {
    GTEST_SKIP() << "the scratch folder's file system cannot hold a file of " << b.Here()
                 << " bytes";
  }
  if (FileSize(in, true) > kMostStored) {
    GTEST_SKIP() << "the scratch folder's file system keeps no holes: this test would write "
                 << b.Here() << " bytes";
  }
  EXPECT_EQ(c.message, RunQuillturn("'" + in + "' '" + out + "' " + c.options).output);
  if (!c.message.empty()) {
    EXPECT_FALSE(FileExists(out));
    return;
  }
  EXPECT_LT(FileSize(out, true), kMostStored) << "the copy wrote the input's holes";
  int64_t prev = 0;
  const std::map<int, int64_t> offsets = ReadTable(out, &prev);
  ASSERT_EQ(1u, offsets.count(static_cast<int>(c.far_object)));
  EXPECT_GT(offsets.at(static_cast<int>(c.far_object)), c.far_offset);
  const bool update = c.options.find("-incremental") != std::string::npos;
  // An update keeps the input and lists only the turned page; a copy lists every object.
  EXPECT_EQ(update ? b.LastXRefOffset() : -1, prev);
  for (int n = 1; n <= 5; ++n) {
    EXPECT_EQ(update ? n == 5 : true, offsets.count(n) == 1) << "object " << n;
  }
  EXPECT_EQ(c.rotations, Rotations(out));
}

const std::string kTurnedSecond = "Page 1 rot: 0\nPage 2 rot: 90\n";

INSTANTIATE_TEST_SUITE_P(
    Sizes,
    LargeFileTest,
    testing::Values(LargeCase{"StreamSectionPastTwoGiB", StreamSectionPastTwoGiB, "/p2 /r90", "",
                              kTurnedSecond, 5, k2GiB},
                    LargeCase{"TablePastFourGiB", TablePastFourGiB, "/r180", "",
                              "Page 1 rot: 180\nPage 2 rot: 180\n", 6, k4GiB},
                    LargeCase{"UpdatePastFourGiB", TablePastFourGiB, "-incremental /p2 /r90", "",
                              kTurnedSecond, 5, k4GiB},
                    LargeCase{"UpdateNearTenDigits", TableNearTenDigits, "-incremental /p2 /r90",
                              "", kTurnedSecond, 5, kTenDigits - 1000000},
                    LargeCase{"PastTenDigits", PastTenDigits, "/r90", "Input file is too large", "",
                              0, 0},
                    LargeCase{"UpdatePastTenDigits", PastTenDigits, "-incremental /r90",
                              "Input file is too large", "", 0, 0},
                    LargeCase{"PatchesPastTenDigits", FullToTenDigits, "/r90",
                              "Output file is too large", "", 0, 0}),
    testing::PrintToStringParamName());

}  // namespace
