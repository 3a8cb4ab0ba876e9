#include "faithful_copy.h"

#include <gtest/gtest.h>

#include <sstream>

#include "document/cpdf_catalog.h"
#include "document/cpdf_document.h"
#include "objects/cpdf_exception.h"
#include "open_pdf.h"
#include "test_files.h"

namespace {

// "a:b" pairs, as the check script reads and writes them.
std::string Text(const std::map<int, int>& pairs) {
  std::string text;
  for (const auto& [a, b] : pairs) {
    text += std::to_string(a) + ":" + std::to_string(b) + " ";
  }
  return text;
}

}  // namespace

PageAngles Pages(const std::vector<int>& pages, int angle) {
  PageAngles angles;
  for (int page : pages) {
    angles[page] = angle;
  }
  return angles;
}

PageAngles ChosenPages(const std::string& input, const std::string& options) {
  std::string quoted;
  for (const char c : options) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  std::istringstream pairs(
      RunCommand("python3 '" COMPARE_PDF_SCRIPT "' --chosen '" + input + "' '" + quoted + "'")
          .output);
  PageAngles chosen;
  for (std::string pair; pairs >> pair;) {
    chosen[std::stoi(pair)] = std::stoi(pair.substr(pair.find(':') + 1));
  }
  return chosen;
}

void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated) {
  InputPdf opened;
  try {
    opened.Open(input);
  } catch (const CPdfException& e) {
    FAIL() << "the input does not open: " << e.GetMessage();
  }
  const auto& pages = opened.doc.GetCatalog()->GetPageRefs();
  std::map<int, int> angle_of_object;
  for (const auto& [page, angle] : rotated) {
    ASSERT_TRUE(page >= 1 && static_cast<size_t>(page) <= pages.size()) << "page " << page;
    angle_of_object[pages[static_cast<size_t>(page) - 1].object_number] = angle;
  }
  TempDir dir;
  const std::string expectation =
      dir.Write("expectation",
                Text(angle_of_object) + "\n" + std::to_string(pages.size()) + " " + Text(rotated));
  const CommandResult r = RunCommand("python3 '" COMPARE_PDF_SCRIPT "' '" + input + "' '" + output +
                                     "' '" + expectation + "'");
  EXPECT_EQ(0, r.exit_code);
  EXPECT_EQ("", r.output) << "what the output's check found";
}
