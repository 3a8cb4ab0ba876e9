#include "app/rotate_patch.h"

#include <gtest/gtest.h>

namespace {

// The patched text, as the copy writes it: the key kept and its value replaced by " 90 ", or
// "/Rotate 90\n" inserted after the dictionary's "<<".
std::string Patch(const std::string& object) {
  const RotateSpot spot =
      FindRotate(reinterpret_cast<const uint8_t*>(object.data()), object.size());
  if (!spot.has_dict) {
    return "no dictionary";
  }
  if (spot.has_rotate) {
    return object.substr(0, spot.key_end) + " 90 " + object.substr(spot.value_end);
  }
  return object.substr(0, spot.dict_open) + "/Rotate 90\n" + object.substr(spot.dict_open);
}

struct PatchCase {
  const char* input;
  const char* expected;
};

class RotatePatchTest : public testing::TestWithParam<PatchCase> {};

TEST_P(RotatePatchTest, PatchesOnlyTheTopLevelKey) {
  EXPECT_EQ(GetParam().expected, Patch(GetParam().input));
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RotatePatchTest,
    testing::Values(
        PatchCase{"3 0 obj\n<< /Type /Page /Rotate 90 /A 1 >>\nendobj\n",
                  "3 0 obj\n<< /Type /Page /Rotate 90  /A 1 >>\nendobj\n"},
        PatchCase{"3 0 obj<</Rotate   -270>>endobj", "3 0 obj<</Rotate 90 >>endobj"},
        PatchCase{"3 0 obj<</Rotate\r\n%c\n 180.5/B 2>>endobj", "3 0 obj<</Rotate 90 /B 2>>endobj"},
        PatchCase{"3 0 obj<</Rotate 5 0 R /B 2>>endobj", "3 0 obj<</Rotate 90  /B 2>>endobj"},
        PatchCase{"3 0 obj<</Rot#61te 0>>endobj", "3 0 obj<</Rot#61te 90 >>endobj"},
        PatchCase{"3 0 obj<</Rotate>>endobj", "3 0 obj<</Rotate 90 >>endobj"},
        // Lookalikes are left alone and the key is inserted.
        PatchCase{"3 0 obj<</RotateFoo 1 /X (/Rotate 9) /D <</Rotate 7>> /E [/Rotate]>>endobj",
                  "3 0 obj<</Rotate 90\n/RotateFoo 1 /X (/Rotate 9) /D <</Rotate 7>> /E "
                  "[/Rotate]>>endobj"},
        PatchCase{"3 0 obj<</S (a\\) /Rotate 1 \\(()) /Rotate 180>>endobj",
                  "3 0 obj<</S (a\\) /Rotate 1 \\(()) /Rotate 90 >>endobj"},
        PatchCase{"3 0 obj %<<\n<</A<ab>/Rotate 0>>", "3 0 obj %<<\n<</A<ab>/Rotate 90 >>"},
        PatchCase{"3 0 obj\r<</Type/Page>>endobj\r", "3 0 obj\r<</Rotate 90\n/Type/Page>>endobj\r"},
        PatchCase{"3 0 obj (no dict) endobj", "no dictionary"},
        PatchCase{"", "no dictionary"}));

TEST(RotatePatchTest2, UnterminatedInputStaysInBounds) {
  for (const char* text : {"1 0 obj << /Rotate", "1 0 obj << /A (((", "1 0 obj << /A [ [ <<",
                           "1 0 obj << /A <", "1 0 obj << /#", "<<"}) {
    std::string s(text);
    RotateSpot spot = FindRotate(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    EXPECT_LE(spot.value_end, s.size());
    EXPECT_LE(spot.dict_open, s.size());
  }
}

}  // namespace
