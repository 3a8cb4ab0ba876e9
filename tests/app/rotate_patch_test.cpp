#include "app/rotate_patch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/cpdf_rotate_spots_store.h"
#include "objects/cpdf_lexer.h"
#include "param_name.h"
#include "reader/cpdf_object_map.h"
#include "reader/rotate_spots.h"
#include "streams/cpdf_input_file.h"
#include "streams/pdf_span_source.h"

namespace {

// The bytes the copy writes for a chosen page turned to 90.
std::string Patch(const std::string& object) {
  std::vector<uint8_t> out{'x'};
  if (!PatchRotate(reinterpret_cast<const uint8_t*>(object.data()), object.size(), 90, &out)) {
    return "refused";
  }
  return std::string(out.begin(), out.end());
}

struct PatchCase {
  const char* input;
  const char* expected;
};

#define LONG_TAIL "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz"

class RotatePatchTest : public testing::TestWithParam<PatchCase> {};

TEST_P(RotatePatchTest, PatchesEveryTopLevelKeyOnly) {
  EXPECT_EQ(GetParam().expected, Patch(GetParam().input));
}

// Noting /Rotate values on the way steps over a dictionary exactly as stepping over its value
// does: a member of an object stream is framed by where the noting ends.
TEST_P(RotatePatchTest, NotingEndsWhereSteppingOverEnds) {
  const std::string input = GetParam().input;
  const auto* bytes = reinterpret_cast<const uint8_t*>(input.data());
  const auto at_open = [&](CPdfLexer<PdfSpanSource>& lexer) {
    for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
      if (t.kind == PdfTokenKind::kDictOpen) {
        return t;
      }
    }
    return PdfToken{};
  };
  CPdfLexer<PdfSpanSource> stepping{PdfSpanSource(bytes, input.size())};
  CPdfLexer<PdfSpanSource> noting{PdfSpanSource(bytes, input.size())};
  const PdfToken open = at_open(stepping);
  if (at_open(noting).kind != PdfTokenKind::kDictOpen) {
    return;
  }
  bool stepped_whole = true;
  bool noted_whole = true;
  RotateSpots spots;
  const PdfToken stepped = stepping.StepOverValue(open, &stepped_whole);
  const PdfToken noted = NoteRotateSpots(noting, bytes, &noted_whole, &spots);
  EXPECT_EQ(stepped_whole, noted_whole);
  if (stepped_whole) {
    EXPECT_EQ(stepped.end, noted.end);
  }
}

// Where the store keeps a page's /Rotate values from the object map's pass, the patch made from
// them is the one made by reading the object again.
TEST_P(RotatePatchTest, MapNotesGiveTheSamePatch) {
  const std::string input = GetParam().input;
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fwrite(input.data(), 1, input.size(), file);
  CPdfInputFile in(file);
  CPdfXRefTable table;
  table.Finish();
  CPdfRotateSpotsStore store;
  store.Begin(input.size(), 0);
  CPdfObjectMap map;
  map.Build(
      &in, 0, table, [](int32_t, int32_t) { return int64_t{-1}; }, &store);
  for (size_t k = 0; k < map.Count(); ++k) {
    RotateSpots spots;
    if (!store.Find(CPdfObjectPlace::InFile(map.At(k).start), 0, &spots)) {
      continue;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(input.data()) + map.At(k).start;
    std::vector<uint8_t> noted;
    std::vector<uint8_t> read;
    EXPECT_EQ(PatchRotate(bytes, map.At(k).length, 90, &read),
              PatchRotate(bytes, map.At(k).length, 90, &noted, &spots));
    EXPECT_EQ(std::string(read.begin(), read.end()), std::string(noted.begin(), noted.end()));
  }
  std::fclose(file);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    RotatePatchTest,
    testing::Values(
        PatchCase{"3 0 obj\n<< /Type /Page /Rotate 90 /A 1 >>\nendobj\n",
                  "3 0 obj\n<< /Type /Page /Rotate 90  /A 1 >>\nendobj\n"},
        PatchCase{"3 0 obj<</Rotate   -270>>endobj", "3 0 obj<</Rotate 90 >>endobj"},
        PatchCase{"3 0 obj<</Rotate\r\n%c\n 180.5/B 2>>endobj", "3 0 obj<</Rotate 90 /B 2>>endobj"},
        PatchCase{"3 0 obj<</Rotate>>endobj", "3 0 obj<</Rotate 90 >>endobj"},
        // Lookalikes are left alone and the key is inserted.
        PatchCase{"3 0 obj<</RotateFoo 1 /X (/Rotate 9) /D <</Rotate 7>> /E [/Rotate]>>endobj",
                  "3 0 obj<</Rotate 90\n/RotateFoo 1 /X (/Rotate 9) /D <</Rotate 7>> /E "
                  "[/Rotate]>>endobj"},
        PatchCase{"3 0 obj<</S (a\\) /Rotate 1 \\(()) /Rotate 180>>endobj",
                  "3 0 obj<</S (a\\) /Rotate 1 \\(()) /Rotate 90 >>endobj"},
        PatchCase{"3 0 obj %<<\n<</A<ab>/Rotate 0>>", "3 0 obj %<<\n<</A<ab>/Rotate 90 >>"},
        PatchCase{"3 0 obj\r<</Type/Page>>endobj\r", "3 0 obj\r<</Rotate 90\n/Type/Page>>endobj\r"},
        // Readers differ in which of repeated keys they take: every one gets the angle.
        PatchCase{"3 0 obj<</Rotate 90 /A [/Rotate 1] /Rotate 0 /Rot#61te 5 0 R>>endobj",
                  "3 0 obj<</Rotate 90  /A [/Rotate 1] /Rotate 90  /Rot#61te 90 >>endobj"},
        // A stray "]" where a key belongs stands alone: it closes nothing.
        PatchCase{"3 0 obj<</A 1 ] /Rotate 0>>endobj", "3 0 obj<</A 1 ] /Rotate 90 >>endobj"},
        // A value that spells the key is no key.
        PatchCase{"3 0 obj<</Rotate/Rotate>>endobj", "3 0 obj<</Rotate 90 >>endobj"},
        // An escaped zero ends the name: a long key can still be the one.
        PatchCase{"3 0 obj<</Rotate#00" LONG_TAIL " 1>>endobj",
                  "3 0 obj<</Rotate#00" LONG_TAIL " 90 >>endobj"},
        PatchCase{"3 0 obj (no dict) endobj", "refused"},
        PatchCase{"3 0 obj <0a> <<>> endobj", "refused"},
        PatchCase{"3 0 obj [<<>>] endobj", "refused"},
        PatchCase{"3 0 obj<</Rotate <5a> /B [1]>>endobj", "3 0 obj<</Rotate 90  /B [1]>>endobj"},
        PatchCase{"", "refused"},
        // Unterminated bytes stay in bounds.
        PatchCase{"1 0 obj << /Rotate", "1 0 obj << /Rotate 90 "},
        PatchCase{"1 0 obj << /A (((", "1 0 obj <</Rotate 90\n /A ((("},
        PatchCase{"1 0 obj << /A [ [ <<", "1 0 obj <</Rotate 90\n /A [ [ <<"},
        PatchCase{"1 0 obj << /A <", "1 0 obj <</Rotate 90\n /A <"},
        PatchCase{"<</#", "<</Rotate 90\n/#"},
        PatchCase{"3 0 obj<</Rotate \xb5 0 R>>endobj", "refused"},
        // The angle before "g obj" or "g R" would read as another object's header or a reference.
        PatchCase{"3 0 obj<</Rotate 5 0 R  0 obj<</A 1>>endobj", "refused"},
        PatchCase{"3 0 obj<</Rotate 5 0 R 0 /A 1>>endobj", "3 0 obj<</Rotate 90  0 /A 1>>endobj"},
        PatchCase{"3 0 obj<< 0 obj /Type /Page>>endobj", "refused"},
        PatchCase{"3 0 obj<<0 R /Type /Page>>endobj", "refused"}),
    [](const testing::TestParamInfo<PatchCase>& p) { return ParamName(p.index, p.param.input); });

}  // namespace
