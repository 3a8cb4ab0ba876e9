// The platform floor on every system the tests run on: the input file as the system opens and
// identifies it, and the temporary name an output is written under before it takes its place.
#include "platform/input_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <set>
#include <string>

#include "param_name.h"
#include "platform/temp_name.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

constexpr char kBytes[] = "%PDF-1.4\n%%EOF\n";

// A scratch folder with "in.pdf", a hard link to it, a copy of it and a folder.
class InputFileTest : public testing::Test {
 protected:
  InputFileTest() {
    in_ = dir_.Write("in.pdf", kBytes);
    dir_.Write("copy.pdf", kBytes);
    fs::create_hard_link(fs::u8path(in_), fs::u8path(dir_.Path("link.pdf")));
    fs::create_directory(fs::u8path(dir_.Path("folder")));
  }

  TempDir dir_;
  std::string in_;
};

TEST_F(InputFileTest, OnlyARegularFileOpens) {
  FILE* file = OpenInputFile(in_);
  ASSERT_NE(nullptr, file);
  EXPECT_EQ(static_cast<int64_t>(sizeof(kBytes) - 1), GetFileStamp(file).size);
  std::fclose(file);
  EXPECT_EQ(nullptr, OpenInputFile(dir_.Path("folder")));
  EXPECT_EQ(nullptr, OpenInputFile(dir_.Path("missing.pdf")));
  EXPECT_EQ(nullptr, OpenInputFile(""));
}

struct SameCase {
  const char* name;
  const char* path;  // in the scratch folder
  bool same;         // leads to in.pdf
};

PRINT_CASE_BY_NAME(SameCase)

class SameFileTest : public InputFileTest, public testing::WithParamInterface<SameCase> {};

TEST_P(SameFileTest, LeadsToTheOpenFile) {
  FILE* file = OpenInputFile(in_);
  ASSERT_NE(nullptr, file);
  EXPECT_EQ(GetParam().same, IsSameFile(file, dir_.Path(GetParam().path)));
  std::fclose(file);
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         SameFileTest,
                         testing::Values(SameCase{"ItsOwnName", "in.pdf", true},
                                         SameCase{"AnotherSpelling", "folder/../in.pdf", true},
                                         SameCase{"HardLink", "link.pdf", true},
                                         SameCase{"CopyWithTheSameBytes", "copy.pdf", false},
                                         SameCase{"Folder", "folder", false},
                                         SameCase{"Missing", "missing.pdf", false}),
                         CaseName<SameCase>);

// Every name fills the handlers' buffer exactly (".qt" and eight letters or digits, then the
// zero) and no name comes twice in a row of tries: a taken name is followed by a free one.
TEST(TempNameTest, FixedFormAndNeverRepeated) {
  std::set<std::string> seen;
  for (int i = 0; i < kTempNameTries; ++i) {
    char name[kTempNameLength + 2];
    name[kTempNameLength + 1] = '#';  // nothing is written past the zero
    MakeTempName(name);
    ASSERT_EQ('#', name[kTempNameLength + 1]);
    const std::string text(name);
    ASSERT_EQ(kTempNameLength, text.size());
    EXPECT_EQ(0u, text.rfind(".qt", 0)) << text;
    EXPECT_EQ(std::string::npos, text.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", 3))
        << text;
    seen.insert(text);
  }
  EXPECT_EQ(static_cast<size_t>(kTempNameTries), seen.size());
}

}  // namespace
