#include "app/page_selection.h"

#include <gtest/gtest.h>

#include "objects/cpdf_exception.h"
#include "param_name.h"

namespace {

struct ListCase {
  const char* list;
  const char* expected;  // the selected pages as "1,3,", or the message
};

// The chosen records as "1,3,", each checked for the angle.
std::string Selected(const std::vector<PageRecord>& pages, int32_t angle) {
  std::string out;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].selected) {
      EXPECT_EQ(angle, pages[i].rotation);
      out += std::to_string(i + 1) + ",";
    }
  }
  return out;
}

// Runs a list against ten records (rotation 0) and a page count of ten.
std::string Select(const std::string& list) {
  std::vector<PageRecord> pages(10);
  try {
    ParsePageList(list, 10, 90, pages);
  } catch (const CPdfException& e) {
    return e.GetMessage();
  }
  return Selected(pages, 90);
}

class PageListTest : public testing::TestWithParam<ListCase> {};

TEST_P(PageListTest, Selects) {
  EXPECT_EQ(GetParam().expected, Select(GetParam().list)) << GetParam().list;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar,
    PageListTest,
    testing::Values(ListCase{"1,3,5-7", "1,3,5,6,7,"},
                    ListCase{"12", "Page number 12 greater than 10 pages in file"},
                    ListCase{"8-12", "Wrong page ranges, 12 greater than 10 pages in file"},
                    ListCase{"12-8", "Wrong page ranges, start page 12 > end page 8"},
                    ListCase{"1-3-5", "Invalid parameter"},
                    ListCase{"/r90", "Invalid parameter"},
                    ListCase{"0", "Invalid page number 0"},
                    ListCase{"99999999999999999999999999999999999999",
                             "Page number 2147483647 greater than 10 pages in file"},
                    ListCase{"1-99999999999999999999",
                             "Wrong page ranges, 2147483647 greater than 10 pages in file"}),
    [](const testing::TestParamInfo<ListCase>& p) { return ParamName(p.index, p.param.list); });

TEST(PageSelectionTest, ModesAndOrientationFilters) {
  // A filter takes the pages it names and ignores the list.
  const std::pair<SelectionOptions, const char*> cases[] = {{{180, false, true, "x"}, "1,3,"},
                                                            {{0, true, false, ""}, "2,4,"},
                                                            {{0, true, true, ""}, "1,2,3,4,"},
                                                            {{-90, false, false, "2,8"}, "2,8,"},
                                                            {{}, "1,2,3,4,5,6,7,8,"}};
  for (const auto& [options, expected] : cases) {
    std::vector<PageRecord> pages;
    for (int32_t rotation : {0, 90, 180, 270, -90, 360, 45, 450}) {
      pages.emplace_back();
      pages.back().rotation = rotation;
    }
    SelectPages(options, 8, pages);
    EXPECT_EQ(expected, Selected(pages, options.angle));
  }
}

}  // namespace
