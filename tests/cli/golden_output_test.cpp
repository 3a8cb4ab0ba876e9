// The outputs for the benchmark generator's small inputs, as the first, unoptimised copy loop
// wrote them (object-stream members since framed as "n 0 obj\r<value>\nendobj\n"): every later
// speed-up must keep them byte for byte. What comes from the input's objects is judged against
// the input by the faithful copy; what the program writes itself (header, members, turned pages,
// table and trailer) is held to its digest here, which no zlib's choice of bytes can change.
#include <gtest/gtest.h>

#include <ostream>

#include "faithful_copy.h"
#include "param_name.h"
#include "test_files.h"

namespace {

struct Golden {
  const char* name;
  const char* kind;
  int pages;
  const char* skeleton_sha;
};

PRINT_CASE_BY_NAME(Golden)

// Pages turned and pages left: both kinds of page object in every output.
const char kOptions[] = "/p1,3-5 /r180";

class GoldenOutputTest : public testing::TestWithParam<Golden> {};

TEST_P(GoldenOutputTest, OptimisedCopyKeepsEveryByte) {
  const Golden& g = GetParam();
  TempDir dir;
  const std::string in = dir.Path("in.pdf");
  const std::string out = dir.Path("out.pdf");
  ASSERT_EQ(0, RunCommand(std::string(MAKE_BENCH_BINARY) + " " + g.kind + " '" + in + "' " +
                          std::to_string(g.pages))
                   .exit_code);
  EXPECT_EQ("", RunQuillturn("'" + in + "' '" + out + "' " + kOptions).output);
  std::string skeleton;
  ExpectFaithfulCopy(in, out, ChosenPages(in, kOptions), &skeleton);
  TempDir digest;
  EXPECT_EQ(g.skeleton_sha,
            RunCommand("sha256sum < '" + digest.Write("skeleton", skeleton) + "' | cut -c1-64")
                .output.substr(0, 64));
}

INSTANTIATE_TEST_SUITE_P(
    BenchInputs,
    GoldenOutputTest,
    testing::Values(Golden{"BigSomePages", "big", 12,
                           "cc234e00f9b177fd2a1c575e2a8a863381b3e1fae32edfcbc048814a5ae039ac"},
                    Golden{"ManySomePages", "many", 1500,
                           "6dd6ceb88f301cbd4cdec65e4ce304f3fcdf8b0a182f38707fc08d871da3f786"},
                    Golden{"ObjectStreamsSomePages", "objstm", 1500,
                           "51584c01c2346fd9b0a11455c9480ca61f5590cad9d4053d5ad1ba38a98c7dac"}),
    testing::PrintToStringParamName());

}  // namespace
