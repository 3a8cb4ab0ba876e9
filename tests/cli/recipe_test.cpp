// The jobs the added options are for, on one mixed stack of pages in two forms (classic and
// object stream): each must give exactly the pages and angles it promises, as readers show
// them, and leave every other byte as it was.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "faithful_copy.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

std::string Page(const std::string& parent, const std::string& entries = "") {
  return "<< /Type /Page /Parent " + parent + " 0 R /Resources << >> " + entries + " >>";
}

// Nine pages under two nodes of root 2, which gives /Rotate 90 and both boxes (a crop box
// wider than its tall media box) to pages 1 to 3 through node 3. Node 20 sets the rotation 0,
// a media box by reference whose width is a reference too, and a crop box larger than any
// page. As shown: page 1 tall (90), 2 wide, 3 wide (-90), 4 tall (reals), 5 wide (corners
// reversed), 6 tall, 7 square (90), 8 tall (270, a wide crop box in a tall media box), 9 tall
// (180, its own box unusable).
std::vector<std::pair<int, std::string>> MixedStack() {
  return {{1, "<< /Type /Catalog /Pages 2 0 R >>"},
          {2,
           "<< /Type /Pages /Kids [3 0 R 20 0 R] /Count 9 /Rotate 90 /MediaBox [0 0 612 792] "
           "/CropBox [0 0 612 500] >>"},
          {3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 5 0 R 6 0 R] /Count 3 >>"},
          {4, Page("3")},
          {5, Page("3", "/Rotate 0")},
          {6, Page("3", "/Rotate -90 /CropBox [0 0 300 792]")},
          {7, Page("20", "/MediaBox [0.5 0 612.25 792.75]")},
          {8, Page("20", "/MediaBox [842 595 0 0]")},
          {9, Page("20")},
          {10, Page("20", "/Rotate 90 /MediaBox [0 0 500 500]")},
          {11, Page("20", "/Rotate 270 /MediaBox [0 0 612 792] /CropBox [0 0 612 300]")},
          {12, Page("20", "/Rotate 180 /MediaBox [0 0 100]")},
          {20,
           "<< /Type /Pages /Parent 2 0 R /Kids [7 0 R 8 0 R 9 0 R 10 0 R 11 0 R 12 0 R] "
           "/Count 6 /Rotate 0 /MediaBox 31 0 R /CropBox [0 0 2000 2000] >>"},
          {31, "[0 0 32 0 R 792]"},
          {32, "612"}};
}

std::string MixedStackFile(bool in_stream) {
  PdfBuilder b;
  if (in_stream) {
    b.Header("1.5").ObjectStream(40, MixedStack());
    return b.XRefStream(41, "/Root 1 0 R").Bytes();
  }
  b.Header("1.4");
  for (const auto& [num, body] : MixedStack()) {
    b.Object(num, body);
  }
  return b.XRefTable("/Root 1 0 R").Bytes();
}

struct Recipe {
  std::string name;
  std::string options;
  PageAngles turned;  // page -> the angle it shows after the run
};
PRINT_CASE_BY_NAME(Recipe)

class RecipeTest : public testing::TestWithParam<std::tuple<Recipe, bool>> {};

TEST_P(RecipeTest, TurnsThePagesItPromises) {
  const auto& [recipe, in_stream] = GetParam();
  Scratch s;
  ASSERT_EQ("", s.Run(MixedStackFile(in_stream), recipe.options));
  ExpectFaithfulCopy(s.in, s.out, recipe.turned);
}

// Rotations before: 90 0 -90 0 0 0 90 270 180; shapes: T W W T W T N T T.
INSTANTIATE_TEST_SUITE_P(
    Recipes,
    RecipeTest,
    testing::Combine(
        testing::Values(
            Recipe{"DuplexBackPages", "/p1-z:even /t180", {{2, 180}, {4, 180}, {6, 180}, {8, 90}}},
            Recipe{"SidewaysPagesOfAStack", "-wide /t90", {{2, 90}, {3, 0}, {5, 90}}},
            Recipe{"LastPage", "/pz /r90", {{9, 90}}},
            Recipe{"LastTwoPages", "/pr2-z /t90", {{8, 0}, {9, 270}}},
            Recipe{"OddOfTheFirstFiveAndTheLast",
                   "/p1-r5:odd,z /t-90",
                   {{1, 0}, {3, 180}, {5, 270}, {9, 90}}},
            Recipe{"TallPagesUpright", "-tall /r0", {{1, 0}, {4, 0}, {6, 0}, {8, 0}, {9, 0}}},
            Recipe{"WideAmongTheListed", "/p1-5 -wide /r180", {{2, 180}, {3, 180}, {5, 180}}},
            Recipe{"LandscapeRotatedAndTall", "-landscape -tall /t90", {{1, 180}, {8, 0}}},
            Recipe{"EveryShape",
                   "-wide -tall /t90",
                   {{1, 180}, {2, 90}, {3, 0}, {4, 90}, {5, 90}, {6, 90}, {8, 0}, {9, 270}}}),
        testing::Bool()),
    NameAndForm<Recipe>);

}  // namespace
