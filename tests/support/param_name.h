#ifndef QUILLTURN_TESTS_SUPPORT_PARAM_NAME_H_
#define QUILLTURN_TESTS_SUPPORT_PARAM_NAME_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

// A case of a table named by its name field, in test names and in failure messages alike.
template <class Case>
std::string CaseName(const testing::TestParamInfo<Case>& p) {
  return p.param.name;
}
// A named case run on objects in the file (false) or in an object stream (true).
template <class Case>
std::string NameAndForm(const testing::TestParamInfo<std::tuple<Case, bool>>& p) {
  return std::get<0>(p.param).name + (std::get<1>(p.param) ? "_InObjectStream" : "_InFile");
}
#define PRINT_CASE_BY_NAME(Case)                                   \
  [[maybe_unused]] void PrintTo(const Case& c, std::ostream* os) { \
    *os << c.name;                                                 \
  }

// A parameterised case's name from its place in the table and the text it runs on: "07_1_3_5_7"
// for case 7 on "1,3,5-7". Letters and digits are kept, every run of anything else becomes
// one underscore; the number keeps names unique and the text says what the case is.
inline std::string ParamName(size_t index, const std::string& text) {
  std::string name = (index < 10 ? "0" : "") + std::to_string(index) + "_";
  constexpr size_t kMaxText = 40;
  for (size_t i = 0; i < text.size() && name.size() < kMaxText; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (std::isalnum(c)) {
      name += static_cast<char>(c);
    } else if (name.back() != '_') {
      name += '_';
    }
  }
  while (name.back() == '_') {
    name.pop_back();
  }
  return name;
}

// The PDF files of folder, in name order.
inline std::vector<std::string> PdfFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".pdf") {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}
// A case run on a file, named after it, letters and digits kept: "tree-cycle.pdf" runs as
// tree_cycle.
inline std::string FileName(const testing::TestParamInfo<std::string>& p) {
  std::string name = p.param.substr(0, p.param.size() - 4);
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
      '_');
  return name;
}

#endif  // QUILLTURN_TESTS_SUPPORT_PARAM_NAME_H_
