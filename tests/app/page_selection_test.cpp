#include "app/page_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cpdf_page_update.h"
#include "objects/cpdf_exception.h"
#include "param_name.h"

namespace {

struct ListCase {
  const char* list;
  const char* expected;  // the selected pages as "1,3,", or the message
  int32_t count = 10;    // the page count the list is checked against (ten records)
};
[[maybe_unused]] void PrintTo(const ListCase& c, std::ostream* os) {
  *os << c.list << " of " << c.count;
}

// The chosen records as "1,3,".
std::string Selected(const std::vector<PageRecord>& pages) {
  std::string out;
  for (size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].selected) {
      out += std::to_string(i + 1) + ",";
    }
  }
  return out;
}

// Runs a list against ten records.
std::string Select(const std::string& list, int32_t count) {
  std::vector<PageRecord> pages(10);
  try {
    ParsePageList(list, count, pages);
  } catch (const CPdfException& e) {
    return e.GetMessage();
  }
  return Selected(pages);
}

class PageListTest : public testing::TestWithParam<ListCase> {};

TEST_P(PageListTest, Selects) {
  EXPECT_EQ(GetParam().expected, Select(GetParam().list, GetParam().count)) << GetParam().list;
}

const char kInvalid[] = "Invalid parameter";

INSTANTIATE_TEST_SUITE_P(
    Grammar,
    PageListTest,
    testing::Values(ListCase{"1,3,5-7", "1,3,5,6,7,"},
                    ListCase{"10", "10,"},
                    ListCase{"11", "Page number 11 greater than 10 pages in file"},
                    ListCase{"8-12", "Wrong page ranges, 12 greater than 10 pages in file"},
                    ListCase{"12-8", "Wrong page ranges, start page 12 > end page 8"},
                    ListCase{"1-3-5", kInvalid},
                    ListCase{"0", "Invalid page number 0"},
                    ListCase{"99999999999999999999999999999999999999",
                             "Page number 2147483647 greater than 10 pages in file"},
                    ListCase{"1-99999999999999999999",
                             "Wrong page ranges, 2147483647 greater than 10 pages in file"},
                    // The last page, and pages counted from the end, alone and as range ends.
                    ListCase{"z", "10,"},
                    ListCase{"5-z", "5,6,7,8,9,10,"},
                    ListCase{"r1,r010", "1,10,"},
                    ListCase{"2-r2", "2,3,4,5,6,7,8,9,"},
                    ListCase{"r3-z", "8,9,10,"},
                    ListCase{"z-1", "Wrong page ranges, start page 10 > end page 1"},
                    ListCase{"r11", "Page number 11 greater than 10 pages in file"},
                    ListCase{"r11-3", "Wrong page ranges, 11 greater than 10 pages in file"},
                    ListCase{"r0", "Invalid page number 0"},
                    ListCase{"r99999999999",
                             "Page number 2147483647 greater than 10 pages in file"},
                    // The count is what the file promises; records past the walk's are not reached.
                    ListCase{"z", "Page number 12 greater than 10 pages in file", 12},
                    ListCase{"r1", "Page number 1 greater than 0 pages in file", 0},
                    ListCase{"1-z", "Invalid page number 0", 0},
                    ListCase{"r1", "Page number 1 greater than -3 pages in file", -3},
                    ListCase{"z", "8,", 8},
                    // Odd and even page numbers of an item, not positions within it.
                    ListCase{"2-6:odd", "3,5,"},
                    ListCase{"1-z:even", "2,4,6,8,10,"},
                    ListCase{"3:odd,4:odd,r1:even", "3,10,"},
                    ListCase{"12:even", "Page number 12 greater than 10 pages in file"},
                    // Malformed tokens and suffixes.
                    ListCase{"1:od", kInvalid},
                    ListCase{"1:", kInvalid},
                    ListCase{":odd", kInvalid},
                    ListCase{"2:odd-6", kInvalid},
                    ListCase{"1-:odd", kInvalid},
                    ListCase{"1:ODD", kInvalid},
                    ListCase{"zz", kInvalid},
                    ListCase{"r", kInvalid},
                    ListCase{"1, 2", kInvalid},
                    // Checked item by item, as before: a bad item after a page above the count.
                    ListCase{"12,1:od", "Page number 12 greater than 10 pages in file"}),
    [](const testing::TestParamInfo<ListCase>& p) { return ParamName(p.index, p.param.list); });

// Eight pages: their rotation and shape.
struct Page {
  int32_t rotation;
  PageShape shape;
};
const Page kPages[] = {{0, PageShape::kTall},   {90, PageShape::kWide},  {180, PageShape::kWide},
                       {270, PageShape::kTall}, {-90, PageShape::kNone}, {360, PageShape::kTall},
                       {45, PageShape::kWide},  {450, PageShape::kTall}};

struct ModeCase {
  const char* name;
  SelectionOptions options;
  const char* expected;  // "page:angle " for each chosen page
};
PRINT_CASE_BY_NAME(ModeCase)

class SelectionModeTest : public testing::TestWithParam<ModeCase> {};

TEST_P(SelectionModeTest, ChoosesAndTurns) {
  std::vector<PageRecord> records;
  for (const Page& page : kPages) {
    records.emplace_back();
    records.back().rotation = page.rotation;
    records.back().shape = page.shape;
  }
  SelectPages(GetParam().options, 8, records);
  std::string chosen;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].selected) {
      chosen += std::to_string(i + 1) + ":" + std::to_string(records[i].angle) + " ";
    }
  }
  EXPECT_EQ(GetParam().expected, chosen);
}

SelectionOptions Options(int32_t angle, bool turn, const char* list = "") {
  SelectionOptions options;
  options.angle = angle;
  options.turn = turn;
  options.page_list = list;
  return options;
}
SelectionOptions Filtered(SelectionOptions options, bool landscape, bool portrait) {
  options.landscape = landscape;
  options.portrait = portrait;
  return options;
}
SelectionOptions Shaped(SelectionOptions options, bool wide, bool tall) {
  options.wide = wide;
  options.tall = tall;
  return options;
}

INSTANTIATE_TEST_SUITE_P(
    Modes,
    SelectionModeTest,
    testing::Values(
        // A filter takes the pages it names and ignores the list.
        ModeCase{"PortraitIgnoresTheList", Filtered(Options(180, false, "x"), false, true),
                 "1:180 3:180 "},
        ModeCase{"Landscape", Filtered(Options(0, false), true, false), "2:0 4:0 "},
        ModeCase{"BothFilters", Filtered(Options(0, false), true, true), "1:0 2:0 3:0 4:0 "},
        ModeCase{"List", Options(-90, false, "2,8"), "2:-90 8:-90 "},
        ModeCase{"EveryPage", Options(0, false), "1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0 "},
        ModeCase{"TurnEveryPage", Options(90, true), "1:90 2:180 3:270 4:0 5:0 6:90 7:135 8:180 "},
        ModeCase{"TurnBack", Options(-90, true, "1,4,5"), "1:270 4:180 5:180 "},
        ModeCase{"TurnByManyTurns", Options(-2147483647 - 1, true, "4"), "4:142 "},
        ModeCase{"PageListedTwiceTurnsOnce", Options(90, true, "2,2,1-2"), "1:90 2:180 "},
        ModeCase{"Wide", Shaped(Options(90, false), true, false), "2:90 3:90 7:90 "},
        ModeCase{"Tall", Shaped(Options(90, true), false, true), "1:90 4:0 6:90 8:180 "},
        ModeCase{"WideAndTallTakeEveryShape", Shaped(Options(0, false), true, true),
                 "1:0 2:0 3:0 4:0 6:0 7:0 8:0 "},
        ModeCase{"WideWithinTheList", Shaped(Options(0, false, "1-3,8"), true, false), "2:0 3:0 "},
        ModeCase{"LandscapeAndWide", Shaped(Filtered(Options(0, false), true, false), true, false),
                 "2:0 "}),
    CaseName<ModeCase>);

struct ShapeCase {
  double width;
  double height;
  int32_t rotation;
  PageShape shape;
};

TEST(ShownShapeTest, SidesSwapAtAQuarterTurnOfAnySign) {
  const ShapeCase cases[] = {
      {200, 300, 0, PageShape::kTall},    {200, 300, 90, PageShape::kWide},
      {200, 300, -90, PageShape::kWide},  {200, 300, 450, PageShape::kWide},
      {200, 300, -180, PageShape::kTall}, {200, 300, 45, PageShape::kTall},
      {300, 200, 180, PageShape::kWide},  {300, 300, 90, PageShape::kNone},
      {0, 0, 0, PageShape::kNone},        {200, 300, -2147483647 - 1, PageShape::kTall}};
  for (const ShapeCase& c : cases) {
    EXPECT_EQ(c.shape, ShownShape(c.width, c.height, c.rotation))
        << c.width << "x" << c.height << " at " << c.rotation;
  }
}

// Which chosen pages an update writes: those whose shown angle changes.
struct AngleCase {
  std::string name;
  int32_t from;
  int32_t to;
  bool alike;
};
PRINT_CASE_BY_NAME(AngleCase)

class ShowsAlikeTest : public testing::TestWithParam<AngleCase> {};

TEST_P(ShowsAlikeTest, AsReadersShowIt) {
  EXPECT_EQ(GetParam().alike, CPdfPageUpdate::ShowsAlike(GetParam().from, GetParam().to));
}

INSTANTIATE_TEST_SUITE_P(
    Angles,
    ShowsAlikeTest,
    testing::Values(AngleCase{"same", 90, 90, true},
                    AngleCase{"a_whole_turn_on", 90, 450, true},
                    AngleCase{"negative_the_same_way", 270, -90, true},
                    AngleCase{"zero_and_a_turn", 0, -360, true},
                    AngleCase{"a_quarter_apart", 0, 90, false},
                    AngleCase{"half_a_turn", 90, 270, false},
                    AngleCase{"no_multiple_of_90_counts_as_written", 45, 405, false},
                    AngleCase{"extremes_do_not_wrap", INT32_MIN, INT32_MAX, false}),
    CaseName<AngleCase>);

}  // namespace
