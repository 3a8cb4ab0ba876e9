#ifndef QUILLTURN_TESTS_SUPPORT_COPY_CASE_H_
#define QUILLTURN_TESTS_SUPPORT_COPY_CASE_H_

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "faithful_copy.h"

// One run of the binary on bytes built by a test (tests/cli/copy_test.cpp runs them): a refusal
// prints its one line and leaves no output; a copy prints nothing and is judged by
// ExpectFaithfulCopy.
struct CopyCase {
  std::string name;
  std::string input;
  std::string options = "/r90";
  std::string message;  // what a refused run prints
  // The pages turned, with their angle; by default those the options choose as readers see the
  // pages.
  std::optional<PageAngles> rotated;
  std::string holds;  // bytes the output holds as the input has them
  // Builds the input when the case runs, for one too large to build whenever the tests start.
  std::string (*make)() = nullptr;
};
inline void PrintTo(const CopyCase& c, std::ostream* os) {
  *os << c.name;
}
inline std::string CopyCaseName(const testing::TestParamInfo<CopyCase>& p) {
  return p.param.name;
}

inline CopyCase Refused(std::string name, std::string input, std::string message) {
  return {std::move(name), std::move(input), "/r90", std::move(message), std::nullopt, "", nullptr};
}
inline CopyCase Copied(std::string name,
                       std::string input,
                       std::string options = "/r90",
                       std::optional<PageAngles> rotated = std::nullopt,
                       std::string holds = "") {
  return {std::move(name),  std::move(input), std::move(options), "", std::move(rotated),
          std::move(holds), nullptr};
}
inline CopyCase CopiedLarge(std::string name,
                            std::string (*make)(),
                            std::string options = "/r90",
                            std::optional<PageAngles> rotated = std::nullopt) {
  return {std::move(name), "", std::move(options), "", std::move(rotated), "", make};
}

class CopyTest : public testing::TestWithParam<CopyCase> {};

#endif  // QUILLTURN_TESTS_SUPPORT_COPY_CASE_H_
