// The output's own bytes: header, cross-reference table and trailer, as readers expect them.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "test_files.h"
#include "writer/cpdf_output.h"

namespace {

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
