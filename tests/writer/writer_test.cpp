// The output's own bytes: header, cross-reference table and trailer, as readers expect them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "objects/cpdf_exception.h"
#include "test_files.h"
#include "writer/cpdf_file.h"

namespace {

// The writer's steps without a rotation job around them.
class WriterProbe : public CPdfFile {
 public:
  bool ParseParams(int, char**) override { return true; }
  bool Run() override { return true; }

  // The whole output: header, one "N G obj" per entry at the offset the entry gets, the table
  // for /Size size and the trailer.
  std::string Write(const std::string& version,
                    const std::vector<OutputEntry>& objects,
                    int32_t size,
                    const std::map<std::string, std::string>& trailer) {
    TempDir dir;
    input_path_ = dir.Write("in.pdf", "%PDF-1.4\n");
    output_path_ = dir.Path("out.pdf");
    OpenInput();
    CreateOutput();
    WriteHeader(version);
    output_entries_.clear();
    for (OutputEntry entry : objects) {
      entry.offset = OutputPosition();
      const std::string body = std::to_string(entry.num) + " " + std::to_string(entry.generation) +
                               " obj\nnull\nendobj\n";
      WriteBytes(body.data(), body.size());
      output_entries_.push_back(entry);
    }
    output_size_ = size;
    const int32_t xref = OutputPosition();
    WriteXRefTable();
    WriteTrailer(xref, trailer);
    FinishOutput();
    return ReadFile(output_path_);
  }

  // The message of a failed Write, or "" when it succeeded.
  std::string Refusal(const std::vector<OutputEntry>& objects) {
    try {
      Write("PDF-1.4", objects, 2, {});
      return "";
    } catch (const CPdfException& e) {
      DiscardOutput();
      return e.GetMessage();
    }
  }
};

std::string TableOf(const std::string& bytes) {
  const size_t xref = bytes.find("xref\n");
  return bytes.substr(xref, bytes.find("trailer") - xref);
}

TEST(WriterTest, HeaderLine) {
  for (const std::string version : {"PDF-1.4", "PDF-2.0", ""}) {
    WriterProbe probe;
    EXPECT_EQ("%" + version + "\r%\xE2\xE3\xCF\xD3\r\n",
              probe.Write(version, {}, 1, {}).substr(0, version.size() + 9));
  }
}

struct TableCase {
  const char* name;
  std::vector<int> numbers;  // objects written, generation 0 unless listed below
  std::vector<int> generations;
  int32_t size;
  std::string table;
};

// The objects "N G obj\nnull\nendobj\n" (20 bytes for one-digit numbers and generations) follow
// the 16-byte header.
const TableCase kTables[] = {
    {"Dense",
     {1, 2, 3},
     {0, 0, 0},
     4,
     "xref\n0 4\r0000000000 65535 f \r0000000016 00000 n \r0000000036 00000 n \r"
     "0000000056 00000 n \r"},
    {"GenerationsFiveDigits",
     {1, 2},
     {7, 65535},
     3,
     "xref\n0 3\r0000000000 65535 f \r0000000016 00007 n \r0000000036 65535 n \r"},
    {"GapsAreFreeLinesOfZeros",
     {2, 4},
     {0, 0},
     6,
     "xref\n0 6\r0000000000 65535 f \r0000000000 00000 f \r0000000016 00000 n \r"
     "0000000000 00000 f \r0000000036 00000 n \r0000000000 00000 f \r"},
    {"SixteenFreeNumbersBridged",
     {1, 18},
     {0, 0},
     19,
     "xref\n0 19\r0000000000 65535 f \r0000000016 00000 n \r" +
         [] {
           std::string lines;
           for (int k = 0; k < 16; ++k) {
             lines += "0000000000 00000 f \r";
           }
           return lines;
         }() +
         "0000000036 00000 n \r"},
    {"SeventeenFreeNumbersSplit",
     {1, 19},
     {0, 0},
     20,
     "xref\n0 2\r0000000000 65535 f \r0000000016 00000 n \r19 1\r0000000036 00000 n \r"},
    {"SizeFarBeyondTheLastObject",
     {1},
     {0},
     100,
     "xref\n0 2\r0000000000 65535 f \r0000000016 00000 n \r"},
};

void PrintTo(const TableCase& c, std::ostream* os) {
  *os << c.name;
}

class WriterTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(WriterTableTest, EntriesAndSubsections) {
  std::vector<OutputEntry> objects;
  for (size_t k = 0; k < GetParam().numbers.size(); ++k) {
    objects.push_back(OutputEntry{GetParam().numbers[k], 0, GetParam().generations[k]});
  }
  WriterProbe probe;
  const std::string bytes = probe.Write("PDF-1.4", objects, GetParam().size, {{"Root", "1 0 R"}});
  EXPECT_EQ(GetParam().table, TableOf(bytes));
  EXPECT_NE(std::string::npos, bytes.find("/Size " + std::to_string(GetParam().size) + "\n"));
}

INSTANTIATE_TEST_SUITE_P(Tables,
                         WriterTableTest,
                         testing::ValuesIn(kTables),
                         [](const testing::TestParamInfo<TableCase>& param) {
                           return std::string(param.param.name);
                         });

TEST(WriterTest, GenerationBeyondFiveDigitsIsNoLine) {
  for (int32_t generation : {100000, -1}) {
    WriterProbe probe;
    EXPECT_EQ("PDF file was damaged", probe.Refusal({{1, 0, generation}})) << generation;
  }
}

TEST(WriterTest, TrailerKeysInByteOrderThenStartxref) {
  const std::map<std::string, std::string> none;
  const std::map<std::string, std::string> all = {{"Root", "1 0 R"},
                                                  {"ID", "[<0a1B> (ab)]"},
                                                  {"Info", "<< /Title (t) >>"},
                                                  {"Encrypt", "5 0 R"}};
  for (const auto* entries : {&none, &all}) {
    WriterProbe probe;
    const std::string bytes = probe.Write("PDF-1.4", {{1, 0, 0}}, 2, *entries);
    const std::string carried =
        entries->empty()
            ? ""
            : "/Encrypt 5 0 R\n/ID [<0a1B> (ab)]\n/Info << /Title (t) >>\n/Root 1 0 R\n";
    EXPECT_EQ("trailer\n<<\n/Size 2\n" + carried + ">>\nstartxref\n" +
                  std::to_string(bytes.find("xref\n")) + "\n%%EOF",
              bytes.substr(bytes.find("trailer")));
  }
}

}  // namespace
