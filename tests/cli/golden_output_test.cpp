// The outputs for the benchmark generator's small inputs, as the first, unoptimised copy loop
// wrote them (object-stream members since framed as "n 0 obj\r<value>\nendobj\n"): every later
// speed-up must keep them byte for byte. Every page rotated, and some.
#include <gtest/gtest.h>

#include "faithful_copy.h"
#include "test_files.h"

namespace {

const char* kOptions[] = {"/r90", "/p1,3-5 /r180"};

struct Golden {
  const char* kind;
  int pages;
  const char* input_sha;  // the generator's output; another zlib may compress differently
  const char* output_sha[2];
};

const Golden kGolden[] = {
    {"big",
     12,
     "31e5badd5a6bdbbda06bf817130016e5f90b20a2c8bfc8335cb48775936056ab",
     {"a0f2857b395a944a117ac9b20bb67110c799a307a9b8c866a8917986e1004287",
      "f469d2a864ad6d529a03397b5429dc660a533733d6bb045de11028171183e9d2"}},
    {"many",
     1500,
     "7e02d0f08a529d5fed75702eb27949cce4122e72dfeda98f6b3d1b7640de4cf0",
     {"47a6c4214941fc8945f77b61651b6b53bcaaae54174d509b51bffa43d78a7187",
      "a5ad2dd96ed5bf10da4099c6351a615954944bacb8ccb6decb14bc64f34ca79d"}},
    {"objstm",
     1500,
     "f4ee7767a71caf80f13c9ddf61db4bcbe539e63e82fbc3e74584e003b3832484",
     {"d8fdefefaef5b947d54b5bbab659fdd8217728ad4d8050daa2fa2a9652812358",
      "21589e066625b1fc988df95d59e00b188ee49c8ab9ec001ce2315d4f47576ac0"}},
};

std::string Sha256(const std::string& path) {
  return RunCommand("sha256sum < '" + path + "' | cut -d' ' -f1").output.substr(0, 64);
}

TEST(GoldenOutputTest, OptimisedCopyKeepsEveryByte) {
  TempDir dir;
  const std::string out = dir.Path("out.pdf");
  for (const Golden& g : kGolden) {
    const std::string in = dir.Path(std::string(g.kind) + ".pdf");
    ASSERT_EQ(0, RunCommand(std::string(MAKE_BENCH_BINARY) + " " + g.kind + " '" + in + "' " +
                            std::to_string(g.pages))
                     .exit_code);
    if (Sha256(in) != g.input_sha) {
      GTEST_SKIP() << "this zlib compresses the generated input differently";
    }
    const std::string files = std::string("'").append(in).append("' '").append(out).append("' ");
    for (int k = 0; k < 2; ++k) {
      EXPECT_EQ("", RunQuillturn(files + kOptions[k]).output);
      EXPECT_EQ(g.output_sha[k], Sha256(out)) << g.kind << " " << kOptions[k];
      ExpectFaithfulCopy(in, out, ChosenPages(in, kOptions[k]));
    }
  }
}

}  // namespace
