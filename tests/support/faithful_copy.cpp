#include "faithful_copy.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "document/cpdf_catalog.h"
#include "document/cpdf_document.h"
#include "objects/cpdf_exception.h"
#include "open_pdf.h"
#include "raw_copy.h"
#include "test_files.h"

namespace {

std::string Key(int num, int gen) {
  return "obj:" + std::to_string(num) + " " + std::to_string(gen) + " R";
}

// Runs scripts/compare_pdf.py (qpdf's view of both files); a failure for each difference it
// finds, and the keys the output must hold.
std::set<std::string> ExpectQpdfAgrees(const std::string& input,
                                       const std::string& output,
                                       const std::map<int, int>& angle_of_object,
                                       long long size,
                                       std::set<std::string>* allowed) {
  std::string params;
  for (const auto& [num, angle] : angle_of_object) {
    params += std::to_string(num) + ":" + std::to_string(angle) + " ";
  }
  TempDir dir;
  const CommandResult r =
      RunCommand("python3 '" COMPARE_PDF_SCRIPT "' '" + input + "' '" + output + "' '" +
                 dir.Write("expectation", params + "\n" + std::to_string(size)) + "'");
  EXPECT_EQ(0, r.exit_code) << r.output;
  std::set<std::string> expected;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("expect ", 0) == 0) {
      expected.insert(line.substr(7));
      allowed->insert(line.substr(7));
    } else if (line.rfind("allow ", 0) == 0) {
      allowed->insert(line.substr(6));
    } else {
      ADD_FAILURE() << line;
    }
  }
  return expected;
}

}  // namespace

PageAngles Pages(const std::vector<int>& pages, int angle) {
  PageAngles angles;
  for (int page : pages) {
    angles[page] = angle;
  }
  return angles;
}

std::string PdfinfoRotations(const std::string& path) {
  CommandResult r = RunCommand("pdfinfo -l 100000 '" + path + "' 2>/dev/null");
  std::istringstream lines(r.output);
  std::string line;
  std::string out;
  while (std::getline(lines, line)) {
    const size_t at = line.find(" rot:");
    if (line.rfind("Page", 0) == 0 && at != std::string::npos) {
      out += std::to_string(std::stoi(line.substr(at + 5))) + ",";
    }
  }
  return out;
}

PageAngles ChosenPages(const std::string& input, const std::string& options) {
  // The pages and their rotations as other readers find them: qpdf, which keeps a rotation as
  // written, or where it finds no page, pdfinfo, which walks a tree whose nodes qpdf misreads.
  std::string shown =
      RunCommand("python3 '" COMPARE_PDF_SCRIPT "' --rotations '" + input + "'").output;
  if (shown.find_first_of("0123456789") == std::string::npos) {
    shown = PdfinfoRotations(input);
  }
  std::vector<int> rotations;
  std::istringstream angles(shown);
  for (std::string angle; std::getline(angles, angle, ',');) {
    rotations.push_back(std::stoi(angle));
  }
  int angle = 0;
  bool portrait = false;
  bool landscape = false;
  std::set<int> listed;
  std::istringstream words(options);
  for (std::string word; words >> word;) {
    if (word.rfind("/r", 0) == 0) {
      angle = std::stoi(word.substr(2));
    } else if (word == "-portrait" || word == "-landscape") {
      (word == "-portrait" ? portrait : landscape) = true;
    } else if (word.rfind("/p", 0) == 0) {
      std::istringstream ranges(word.substr(2));
      for (std::string range; std::getline(ranges, range, ',');) {
        const size_t dash = range.find('-');
        const int from = std::stoi(range);
        const int to = dash == std::string::npos ? from : std::stoi(range.substr(dash + 1));
        for (int page = from; page <= to; ++page) {
          listed.insert(page);
        }
      }
    }
  }
  PageAngles chosen;
  for (size_t k = 0; k < rotations.size(); ++k) {
    const int page = static_cast<int>(k + 1);
    const bool upright = rotations[k] == 0 || rotations[k] == 180;
    const bool sideways = rotations[k] == 90 || rotations[k] == 270;
    if (portrait || landscape ? (portrait && upright) || (landscape && sideways)
                              : listed.empty() || listed.count(page)) {
      chosen[page] = angle;
    }
  }
  return chosen;
}

void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated,
                        std::string* skeleton) {
  InputPdf opened;
  try {
    opened.Open(input);
  } catch (const CPdfException& e) {
    FAIL() << "the input does not open: " << e.GetMessage();
  }
  const CPdfDocument& in = opened.doc;
  std::map<int, int> angle_of_object;
  const auto& pages = in.GetCatalog()->GetPageRefs();
  for (const auto& [page, angle] : rotated) {
    ASSERT_TRUE(page >= 1 && static_cast<size_t>(page) <= pages.size()) << "page " << page;
    angle_of_object[pages[static_cast<size_t>(page) - 1].object_number] = angle;
  }

  // /Size: one past the highest number the output's table lists (qpdf's rule).
  const std::string bytes = ReadFile(output);
  OutputTable table;
  ReadOutputTable(bytes, &table);
  std::set<std::string> listed;
  for (const OutputTable::Line& line : table.in_use) {
    listed.insert(Key(line.num, line.gen));
  }
  std::set<std::string> allowed;
  const std::set<std::string> expected =
      ExpectQpdfAgrees(input, output, angle_of_object, table.end, &allowed);
  for (const std::string& key : expected) {
    EXPECT_TRUE(listed.count(key)) << key << " is not in use with that generation in the table";
  }
  for (const std::string& key : listed) {
    EXPECT_TRUE(allowed.count(key)) << key << " is in use in the table but not in the input";
  }
  std::set<int> patched;
  for (const auto& [num, angle] : angle_of_object) {
    patched.insert(num);
  }
  ExpectRawCopy(input, bytes, table, patched, skeleton);
  // Another reader's view of the pages: the chosen ones at their angle, the rest as before
  // (where it finds the pages this program finds).
  std::istringstream before(PdfinfoRotations(input));
  std::string want;
  size_t page = 0;
  for (std::string angle; std::getline(before, angle, ',');) {
    auto turned = rotated.find(static_cast<int>(++page));
    want += (turned == rotated.end() ? angle : std::to_string((turned->second % 360 + 360) % 360));
    want += ",";
  }
  if (page == pages.size()) {
    EXPECT_EQ(want, PdfinfoRotations(output)) << "the pages' rotations as pdfinfo shows them";
  }
}
