// How an object-stream member is framed: where its value ends, whether a copy framed as an
// object of its own would keep it whole, and what it tells of its dictionary: its /Rotate
// values and a page's facts.
#include <gtest/gtest.h>

#include <string>

#include "param_name.h"
#include "reader/cpdf_dictionary_notes.h"
#include "reader/cpdf_member_frames.h"

namespace {

struct FrameCase {
  std::string name;
  std::string member;
  int after;  // the byte after the member in its stream, -1 at the end of the data
  std::string expected;
};
PRINT_CASE_BY_NAME(FrameCase)

// What the frames tell of a member's dictionary: each /Rotate value's bytes after its key and
// what the walk reads of a page.
class Told : public CPdfNotesObserver {
 public:
  explicit Told(const std::string& member) : member_(member) {}
  void Begin(uint64_t, size_t) override {}
  void FilePassDone() override {}
  void Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) override {
    text += place.IsMember() ? " dict" : " file?";
    for (const auto& [key_end, value_end] : notes.Spots().values) {
      text += " rotate'" + member_.substr(key_end, value_end - key_end) + "'";
    }
    PageFacts facts;
    if (!stream && notes.Facts(&facts)) {
      text += " page";
      text += facts.has_rotate ? " " + std::to_string(facts.rotate) : "";
      text += facts.resources == PageFacts::Resources::kDictionary ? " resources" : "";
    }
  }
  std::string text;

 private:
  const std::string& member_;
};

// The value's bytes, the frame's flags and what was told.
std::string Describe(const CPdfMemberFrames::Frame& f, const std::string& member, Told* told) {
  std::string out = "'" + member.substr(0, f.end) + "'";
  out += f.Empty() ? " empty" : "";
  out += f.Damaged() ? " damaged" : "";
  out += told->text;
  told->text.clear();
  return out;
}

class MemberFramesTest : public testing::TestWithParam<FrameCase> {};

TEST_P(MemberFramesTest, FramesTheMember) {
  const FrameCase& c = GetParam();
  const auto* bytes = reinterpret_cast<const uint8_t*>(c.member.data());
  Told told(c.member);
  CPdfMemberFrames frames(4, &told);
  // For the copy alone: not kept.
  const CPdfMemberFrames::Frame* passing = frames.Add(2, bytes, c.member.size(), c.after, false);
  ASSERT_NE(nullptr, passing);
  const std::string copy = Describe(*passing, c.member, &told);
  EXPECT_EQ(nullptr, frames.Find(2));
  // For the walk: kept by entry.
  const CPdfMemberFrames::Frame* kept = frames.Add(2, bytes, c.member.size(), c.after, true);
  ASSERT_EQ(kept, frames.Find(2));
  const std::string walk = Describe(*kept, c.member, &told);
  EXPECT_EQ(c.expected, walk);
  EXPECT_EQ(walk, copy);
}

INSTANTIATE_TEST_SUITE_P(
    Members,
    MemberFramesTest,
    testing::Values(
        FrameCase{"Page", "<< /Type /Page /Rotate 90 /Resources << >> >> ", -1,
                  "'<< /Type /Page /Rotate 90 /Resources << >> >>' dict rotate' 90' page 90 "
                  "resources"},
        FrameCase{"RotatesInOrder", "<< /Rotate 90 /Rot#61te 180 /A << /Rotate 0 >> >>", -1,
                  "'<< /Rotate 90 /Rot#61te 180 /A << /Rotate 0 >> >>' dict rotate' 90' "
                  "rotate' 180'"},
        FrameCase{"FollowedByStreamIsNoPage", "<< /Type /Page /Resources << >> >> stream", -1,
                  "'<< /Type /Page /Resources << >> >>' dict"},
        FrameCase{"Reference", "5 0 R", ' ', "'5 0 R'"},
        FrameCase{"JunkAfterTheValueLeftOut", "[1 2] (", -1, "'[1 2]'"},
        FrameCase{"Blank", "  ", '1', "'' empty"},
        FrameCase{"NumberTheNextMemberContinues", "12", '3', "'12' damaged"},
        FrameCase{"NumberThenAPoint", "12", '.', "'12' damaged"},
        FrameCase{"NumberThenABlank", "12", ' ', "'12'"},
        FrameCase{"NumberAtTheEnd", "12", -1, "'12'"},
        FrameCase{"NumberThenAName", "12", '/', "'12'"},
        FrameCase{"NameContinued", "/Name", 'x', "'/Name' damaged"},
        FrameCase{"NameEndedInItsBytes", "/Name ", 'x', "'/Name'"},
        FrameCase{"KeywordContinued", "true", 'x', "'true' damaged"},
        FrameCase{"StringOpen", "(abc", -1, "'(abc' damaged"},
        FrameCase{"HexStringOpenInsideValue", "<< /A <4", -1, "'<< /A <4' damaged dict"},
        FrameCase{"DictionaryOpen", "<< /A [1] /B 2", -1, "'<< /A [1] /B 2' damaged dict"},
        // Framed as an object, readers may take ">>" for the key's value and read on.
        FrameCase{"KeyWithoutValue", "<< /A 1 /B >>", -1, "'<< /A 1 /B >>' damaged dict"},
        FrameCase{"NestedKeyWithoutValue", "[<< /B >>]", -1, "'[<< /B >>]' damaged"},
        FrameCase{"NameWithAStrayHash", "<< /Rotate#4 90 >>", -1,
                  "'<< /Rotate#4 90 >>' damaged dict"},
        FrameCase{"NameEndingInAHash", "/A#", -1, "'/A#' damaged"},
        FrameCase{"HashInAStringIsNoEscape", "(#4) ", -1, "'(#4)'"}),
    CaseName<FrameCase>);

TEST(MemberFramesEntryTest, NoFrameForAnEntryPastTheTable) {
  Told told("1");
  CPdfMemberFrames frames(2, &told);
  EXPECT_EQ(nullptr, frames.Add(2, reinterpret_cast<const uint8_t*>("1"), 1, -1, true));
  EXPECT_EQ(nullptr, frames.Find(2));
}

}  // namespace
