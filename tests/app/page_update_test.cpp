// Which chosen pages an update writes: those whose shown angle changes.
#include <gtest/gtest.h>

#include <string>

#include "app/cpdf_page_update.h"
#include "param_name.h"

namespace {

struct AngleCase {
  std::string name;
  int32_t from;
  int32_t to;
  bool alike;
};
PRINT_CASE_BY_NAME(AngleCase)

const AngleCase kAngles[] = {
    {"same", 90, 90, true},
    {"a_whole_turn_on", 90, 450, true},
    {"negative_the_same_way", 270, -90, true},
    {"zero_and_a_turn", 0, -360, true},
    {"a_quarter_apart", 0, 90, false},
    {"half_a_turn", 90, 270, false},
    {"no_multiple_of_90_counts_as_written", 45, 405, false},
    {"extremes_do_not_wrap", INT32_MIN, INT32_MAX, false},
};

class ShowsAlikeTest : public testing::TestWithParam<AngleCase> {};

TEST_P(ShowsAlikeTest, AsReadersShowIt) {
  EXPECT_EQ(GetParam().alike, CPdfPageUpdate::ShowsAlike(GetParam().from, GetParam().to));
}

INSTANTIATE_TEST_SUITE_P(Angles, ShowsAlikeTest, testing::ValuesIn(kAngles), CaseName<AngleCase>);

}  // namespace
