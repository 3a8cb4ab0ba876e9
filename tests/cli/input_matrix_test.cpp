// The forms producers write, as tools/make_seeds writes them (for the fuzzers too): each turned
// by 180 through the binary, and updated with -incremental /r90 (which turns the upright pages
// and leaves those at 90 as they are), each judged by real readers or refused with its one line.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "objects/pdf_messages.h"
#include "param_name.h"
#include "test_files.h"

namespace {

// The forms that cannot be copied (a page written inside /Kids is chosen; encrypted object
// streams) and their line, in both runs; every other one is.
const std::map<std::string, std::string> kRefused = {
    {"encrypted_with_object_streams.pdf", kMsgEncryptedObjStm},
    {"junk-direct-kid.pdf", kDamaged}};

class InputMatrixTest : public testing::TestWithParam<std::string> {};

TEST_P(InputMatrixTest, CopiedAndUpdatedFaithfullyOrRefused) {
  const auto refused = kRefused.find(GetParam());
  const std::string message = refused == kRefused.end() ? "" : refused->second;
  const std::string input = ReadFile(SEEDS_DIR "/" + GetParam());
  for (const bool update : {false, true}) {
    Scratch s;
    const std::string options = update ? "/r90" : "/r180";
    ASSERT_EQ(message, s.Run(input, (update ? "-incremental " : "") + options)) << update;
    if (!message.empty()) {
      EXPECT_FALSE(FileExists(s.out));
    } else if (update) {
      ExpectFaithfulUpdate(s.in, s.out, options);
    } else {
      ExpectFaithfulCopy(s.in, s.out, options);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         InputMatrixTest,
                         testing::ValuesIn(PdfFilesIn(SEEDS_DIR)),
                         FileName);

}  // namespace
