// The forms producers write, as tools/make_seeds writes them (for the fuzzers too): each turned
// by 180 through the binary and judged by the one check, or refused with its one line.
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
// streams) and their line; every other one is.
const std::map<std::string, std::string> kRefused = {
    {"encrypted_with_object_streams.pdf", kMsgEncryptedObjStm},
    {"junk-direct-kid.pdf", kDamaged}};

class InputMatrixTest : public testing::TestWithParam<std::string> {};

TEST_P(InputMatrixTest, CopiedFaithfullyOrRefused) {
  const auto refused = kRefused.find(GetParam());
  const std::string message = refused == kRefused.end() ? "" : refused->second;
  Scratch s;
  ASSERT_EQ(message, s.Run(ReadFile(SEEDS_DIR "/" + GetParam()), "/r180"));
  if (!message.empty()) {
    EXPECT_FALSE(FileExists(s.out));
    return;
  }
  ExpectFaithfulCopy(s.in, s.out, "/r180");
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         InputMatrixTest,
                         testing::ValuesIn(PdfFilesIn(SEEDS_DIR)),
                         FileName);

}  // namespace
