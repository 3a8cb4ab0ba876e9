// The output's own bytes: header, cross-reference table and trailer, as readers expect them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

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
};

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
  WriterProbe probe;
  const std::string bridged =
      probe.Write("PDF-1.4", {{1, 0, 0}, {18, 0, 0}}, 19, {{"Root", "1 0 R"}});
  EXPECT_EQ(0u, bridged.rfind("%PDF-1.4\r%\xE2\xE3\xCF\xD3\r\n", 0));
  EXPECT_EQ("xref\n0 19\r0000000000 65535 f \r0000000016 00000 n \r" + FreeLines(16) +
                "0000000036 00000 n \r",
            TableOf(bridged));
  EXPECT_NE(std::string::npos, bridged.find("/Size 19\n"));
  EXPECT_EQ("xref\n0 2\r0000000000 65535 f \r0000000016 00000 n \r19 1\r0000000036 00000 n \r",
            TableOf(probe.Write("PDF-1.4", {{1, 0, 0}, {19, 0, 0}}, 20, {})));
}

}  // namespace
