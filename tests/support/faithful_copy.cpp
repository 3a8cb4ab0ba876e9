#include "faithful_copy.h"

#include <gtest/gtest.h>

#include "document/cpdf_catalog.h"
#include "document/cpdf_document.h"
#include "objects/cpdf_exception.h"
#include "open_pdf.h"
#include "test_files.h"

namespace {

// Runs the check with the page objects this program's reader finds, in order, and the pages
// turned (turned: the expectation's second line).
void Judge(const std::string& input,
           const std::string& output,
           const std::string& turned,
           const char* script = COMPARE_PDF_SCRIPT,
           bool repair = false) {
  InputPdf opened;
  try {
    opened.Open(input, repair);
  } catch (const CPdfException& e) {
    FAIL() << "the input does not open: " << e.GetMessage();
  }
  std::string objects;
  for (const PageRef& page : opened.doc.GetCatalog()->GetPageRefs()) {
    objects += std::to_string(page.object_number) + " ";
  }
  TempDir dir;
  const std::string expectation = dir.Write("expectation", objects + "\n" + turned);
  const CommandResult r = RunCommand("python3 '" + std::string(script) + "' '" + input + "' '" +
                                     output + "' '" + expectation + "'");
  EXPECT_EQ(0, r.exit_code);
  EXPECT_EQ("", r.output) << "what the output's check found";
}

}  // namespace

PageAngles Pages(const std::vector<int>& pages, int angle) {
  PageAngles angles;
  for (int page : pages) {
    angles[page] = angle;
  }
  return angles;
}

void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated) {
  std::string pairs;
  for (const auto& [page, angle] : rotated) {
    pairs += std::to_string(page) + ":" + std::to_string(angle) + " ";
  }
  Judge(input, output, pairs);
}

void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const std::string& options) {
  Judge(input, output, "options " + options);
}

void ExpectFaithfulRepair(const std::string& input,
                          const std::string& output,
                          const std::string& options) {
  Judge(input, output, "options " + options, COMPARE_PDF_SCRIPT, true);
}

void ExpectFaithfulUpdate(const std::string& input,
                          const std::string& output,
                          const std::string& options) {
  Judge(input, output, "options " + options, COMPARE_UPDATE_SCRIPT);
}
