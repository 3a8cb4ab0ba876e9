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
  const char* options;
  const char* skeleton_sha;
};

PRINT_CASE_BY_NAME(Golden)

class GoldenOutputTest : public testing::TestWithParam<Golden> {};

TEST_P(GoldenOutputTest, OptimisedCopyKeepsEveryByte) {
  const Golden& g = GetParam();
  TempDir dir;
  const std::string in = dir.Path("in.pdf");
  const std::string out = dir.Path("out.pdf");
  ASSERT_EQ(0, RunCommand(std::string(MAKE_BENCH_BINARY) + " " + g.kind + " '" + in + "' " +
                          std::to_string(g.pages))
                   .exit_code);
  EXPECT_EQ("", RunQuillturn("'" + in + "' '" + out + "' " + g.options).output);
  std::string skeleton;
  ExpectFaithfulCopy(in, out, ChosenPages(in, g.options), &skeleton);
  TempDir digest;
  EXPECT_EQ(g.skeleton_sha,
            RunCommand("sha256sum < '" + digest.Write("skeleton", skeleton) + "' | cut -c1-64")
                .output.substr(0, 64));
}

INSTANTIATE_TEST_SUITE_P(
    BenchInputs,
    GoldenOutputTest,
    testing::Values(Golden{"BigEveryPage", "big", 12, "/r90",
                           "abc9e4f23609ccc7eff1f245b8083ae7dc8317ffedece2d74e110e02d8cc7159"},
                    Golden{"BigSomePages", "big", 12, "/p1,3-5 /r180",
                           "cc234e00f9b177fd2a1c575e2a8a863381b3e1fae32edfcbc048814a5ae039ac"},
                    Golden{"ManyEveryPage", "many", 1500, "/r90",
                           "6cfb45ac13789dad4125d26551dd49889f23c64ef904b4ca9ecb1324c9fa7f2d"},
                    Golden{"ManySomePages", "many", 1500, "/p1,3-5 /r180",
                           "6dd6ceb88f301cbd4cdec65e4ce304f3fcdf8b0a182f38707fc08d871da3f786"},
                    Golden{"ObjectStreamsEveryPage", "objstm", 1500, "/r90",
                           "f85e1cb06761d4394b9c3cb9503a56e7391001b10dc03b474a5f655c30410cb2"},
                    Golden{"ObjectStreamsSomePages", "objstm", 1500, "/p1,3-5 /r180",
                           "51584c01c2346fd9b0a11455c9480ca61f5590cad9d4053d5ad1ba38a98c7dac"}),
    testing::PrintToStringParamName());

}  // namespace
