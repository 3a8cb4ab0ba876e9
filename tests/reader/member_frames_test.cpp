// How an object-stream member is framed: where its value ends, whether a copy framed as an
// object of its own would keep it whole, its dictionary's /Rotate values and a page's facts.
#include <gtest/gtest.h>

#include <string>

#include "param_name.h"
#include "reader/cpdf_member_frames.h"

namespace {

struct FrameCase {
  std::string name;
  std::string member;
  int after;  // the byte after the member in its stream, -1 at the end of the data
  std::string expected;
};
PRINT_CASE_BY_NAME(FrameCase)

// The value's bytes, the frame's flags, each /Rotate value's bytes after its key and, when the
// walk asks, what it reads of a page.
std::string Describe(const CPdfMemberFrames& frames,
                     const CPdfMemberFrames::Frame& f,
                     const std::string& member) {
  std::string out = "'" + member.substr(0, f.end) + "'";
  out += f.Empty() ? " empty" : "";
  out += f.Damaged() ? " damaged" : "";
  out += f.Dictionary() ? " dict" : "";
  RotateSpots spots;
  if (frames.SpotsOf(f, &spots)) {
    for (const auto& [key_end, value_end] : spots.values) {
      out += " rotate'" + member.substr(key_end, value_end - key_end) + "'";
    }
  }
  PageFacts facts;
  if (frames.FactsOf(f, &facts)) {
    out += " page";
    out += facts.has_rotate ? " " + std::to_string(facts.rotate) : "";
    out += facts.resources == PageFacts::Resources::kDictionary ? " resources" : "";
  }
  return out;
}

class MemberFramesTest : public testing::TestWithParam<FrameCase> {};

TEST_P(MemberFramesTest, FramesTheMember) {
  const FrameCase& c = GetParam();
  const auto* bytes = reinterpret_cast<const uint8_t*>(c.member.data());
  CPdfMemberFrames frames(4);
  // For the copy alone: not kept.
  PageFacts facts;
  bool page = true;
  const CPdfMemberFrames::Frame* passing =
      frames.Add(2, bytes, c.member.size(), c.after, nullptr, &page);
  ASSERT_NE(nullptr, passing);
  EXPECT_FALSE(page);
  const std::string copy = Describe(frames, *passing, c.member);
  EXPECT_EQ(nullptr, frames.Find(2));
  // For the walk: kept by entry, with the page's facts.
  const CPdfMemberFrames::Frame* kept =
      frames.Add(2, bytes, c.member.size(), c.after, &facts, &page);
  ASSERT_EQ(kept, frames.Find(2));
  const std::string walk = Describe(frames, *kept, c.member);
  EXPECT_EQ(c.expected, walk);
  EXPECT_EQ(page, walk.find(" page") != std::string::npos);
  EXPECT_EQ(walk.substr(0, walk.find(" page")), copy);
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
        FrameCase{"DictionaryOpen", "<< /A [1] /B 2", -1, "'<< /A [1] /B 2' damaged dict"}),
    CaseName<FrameCase>);

TEST(MemberFramesEntryTest, NoFrameForAnEntryPastTheTable) {
  CPdfMemberFrames frames(2);
  bool page = false;
  PageFacts facts;
  EXPECT_EQ(nullptr, frames.Add(2, reinterpret_cast<const uint8_t*>("1"), 1, -1, &facts, &page));
  EXPECT_EQ(nullptr, frames.Find(2));
}

}  // namespace
