#include "app/page_selection.h"

#include <gtest/gtest.h>

#include "objects/cpdf_exception.h"
#include "param_name.h"

namespace {

struct ListCase {
  const char* list;
  const char* expected;  // the selected pages as "1,3,", or the message
};

// Runs a list against ten records (rotation 0) and a page count of ten.
std::string Select(const std::string& list, int32_t count = 10, size_t records = 10) {
  std::vector<PageRecord> pages(records);
  try {
    ParsePageList(list, count, 90, pages);
  } catch (const CPdfException& e) {
    return e.GetMessage();
  }
  std::string out;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].selected) {
      EXPECT_EQ(90, pages[i].rotation);
      out += std::to_string(i + 1) + ",";
    }
  }
  return out;
}

class PageListTest : public testing::TestWithParam<ListCase> {};

TEST_P(PageListTest, Selects) {
  EXPECT_EQ(GetParam().expected, Select(GetParam().list)) << GetParam().list;
}

INSTANTIATE_TEST_SUITE_P(
    Grammar,
    PageListTest,
    testing::Values(ListCase{"1,3,5-7", "1,3,5,6,7,"},
                    ListCase{"5-5", "5,"},
                    ListCase{"007", "7,"},
                    ListCase{"3,1,3", "1,3,"},
                    ListCase{"1-10", "1,2,3,4,5,6,7,8,9,10,"},
                    ListCase{"12", "Page number 12 greater than 10 pages in file"},
                    ListCase{"8-12", "Wrong page ranges, 12 greater than 10 pages in file"},
                    ListCase{"12-15", "Wrong page ranges, 15 greater than 10 pages in file"},
                    ListCase{"12-8", "Wrong page ranges, start page 12 > end page 8"},
                    ListCase{"1-3-5", "Invalid parameter"},
                    ListCase{"1,,2", "Invalid parameter"},
                    ListCase{",1", "Invalid parameter"},
                    ListCase{"1,", "Invalid parameter"},
                    ListCase{"1-", "Invalid parameter"},
                    ListCase{"-3", "Invalid parameter"},
                    ListCase{"a1", "Invalid parameter"},
                    ListCase{"1a", "Invalid parameter"},
                    ListCase{"/r90", "Invalid parameter"},
                    ListCase{"0", "Invalid page number 0"},
                    ListCase{"0-3", "Invalid page number 0"},
                    ListCase{"99999999999999999999999999999999999999",
                             "Page number 2147483647 greater than 10 pages in file"},
                    ListCase{"1-99999999999999999999",
                             "Wrong page ranges, 2147483647 greater than 10 pages in file"}),
    [](const testing::TestParamInfo<ListCase>& p) { return ParamName(p.index, p.param.list); });

TEST(PageSelectionTest, CountAboveTheRecordsNeverReachesPastThem) {
  // /Count says 10 but the walk found 4 pages.
  EXPECT_EQ("Page number 7 greater than 4 pages in file", Select("7", 10, 4));
  EXPECT_EQ("Wrong page ranges, 6 greater than 4 pages in file", Select("2-6", 10, 4));
  EXPECT_EQ("2,", Select("2", 10, 4));
  // With no /Count every page is above the count of 0.
  EXPECT_EQ("Page number 1 greater than 0 pages in file", Select("1", 0, 4));
}

TEST(PageSelectionTest, ModesAndOrientationFilters) {
  const int32_t rotations[] = {0, 90, 180, 270, -90, 360, 45, 450};
  auto run = [&](SelectionOptions options) {
    std::vector<PageRecord> pages;
    for (int32_t r : rotations) {
      PageRecord rec;
      rec.rotation = r;
      pages.push_back(rec);
    }
    bool counted = false;
    SelectPages(
        options,
        [&] {
          counted = true;
          return 8;
        },
        pages);
    std::string out;
    for (size_t i = 0; i < pages.size(); ++i) {
      if (pages[i].selected) {
        EXPECT_EQ(options.angle, pages[i].rotation);
        out += std::to_string(i + 1) + ",";
      }
    }
    return out + (counted ? "counted" : "");
  };
  SelectionOptions portrait;
  portrait.portrait = true;
  portrait.angle = 180;
  portrait.page_list = "x";  // ignored with a filter
  EXPECT_EQ("1,3,", run(portrait));
  SelectionOptions landscape;
  landscape.landscape = true;
  EXPECT_EQ("2,4,", run(landscape));
  landscape.portrait = true;
  EXPECT_EQ("1,2,3,4,", run(landscape));
  SelectionOptions list;
  list.page_list = "2,8";
  list.angle = -90;
  EXPECT_EQ("2,8,counted", run(list));
  SelectionOptions all;
  EXPECT_EQ("1,2,3,4,5,6,7,8,", run(all));
}

}  // namespace
