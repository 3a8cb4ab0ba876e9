// The output file's writes failing part way: by real limits where the system has them (file
// size, open files) and by the preloaded library that fails named calls where it has none. The
// run prints its one line and ends normally, the previous output stays, and no temporary file
// is left; a run that copes is judged as any copy.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "faithful_copy.h"
#include "param_name.h"
#include "test_files.h"

namespace {

struct FailCase {
  const char* name;
  const char* kind;  // the generator's: "big" has large images, copied by range
  int pages;
  rlim_t file_size;   // the size limit in bytes, or RLIM_INFINITY
  rlim_t open_files;  // or RLIM_INFINITY
  const char* fail;   // the calls the preloaded library fails, or ""
  const char* message;
};
PRINT_CASE_BY_NAME(FailCase)

constexpr rlim_t kAny = RLIM_INFINITY;
constexpr char kWrite[] = "Output file write error";

const FailCase kCases[] = {
    {"SizeLimitInTheKernelCopy", "big", 12, 16384, kAny, "", kWrite},
    {"SizeLimitInBufferedWrites", "many", 200, 16384, kAny, "", kWrite},
    {"SizeLimitAtTheLastFlush", "big", 12, 486000, kAny, "", kWrite},
    {"SizeLimitOnANamedTemporary", "big", 12, 16384, kAny, "access", kWrite},
    {"NoFileLeftForTheTemporary", "big", 12, kAny, 5, "", "Output file create error"},
    {"NoFileLeftForTheOldAttributes", "big", 12, kAny, 6, "", ""},
    {"KernelCopyUnsupported", "big", 12, kAny, kAny, "copy_file_range", ""},
    {"ReadFails", "big", 12, kAny, kAny, "copy_file_range,pread", kWrite},
    {"ModeFails", "big", 12, kAny, kAny, "fchmod", kWrite},
    {"SyncFails", "big", 12, kAny, kAny, "fsync", kWrite},
    {"LinkFails", "big", 12, kAny, kAny, "linkat", kWrite},
    {"RenameFails", "big", 12, kAny, kAny, "renameat", kWrite},
};

class OutputFailureTest : public testing::TestWithParam<FailCase> {};

TEST_P(OutputFailureTest, LeavesThePreviousOutput) {
  const FailCase& c = GetParam();
#ifdef QUILLTURN_SANITIZED  // the sanitizers' runtime opens files of its own
  if (c.open_files != kAny) {
    GTEST_SKIP() << "sanitized";
  }
#endif
  TempDir dir;
  TempDir said;
  const std::string in = dir.Path("in.pdf");
  const std::string out = dir.Write("out.pdf", "previous");
  ASSERT_EQ(0, RunCommand(std::string(MAKE_BENCH_BINARY) + " " + c.kind + " '" + in + "' " +
                          std::to_string(c.pages))
                   .exit_code);
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit size{c.file_size, c.file_size};
    const rlimit files{c.open_files, c.open_files};
    if (*c.fail) {
      setenv("LD_PRELOAD", FAIL_CALLS_PRELOAD, 1);
      setenv("QUILLTURN_FAIL", c.fail, 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    }
    if (!std::freopen(said.Path("said").c_str(), "w", stdout) ||
        (c.file_size != kAny && setrlimit(RLIMIT_FSIZE, &size) != 0) ||
        (c.open_files != kAny && setrlimit(RLIMIT_NOFILE, &files) != 0)) {
      _exit(126);
    }
    for (int fd = 3; fd < 1024; ++fd) {
      close(fd);  // only the program's own files count against the limit
    }
    execl(QUILLTURN_BINARY, "Quillturn", in.c_str(), out.c_str(), "/r90", nullptr);
    _exit(127);
  }
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(c.message, ReadFile(said.Path("said")));
  EXPECT_EQ("in.pdf\nout.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output);
  if (*c.message) {
    EXPECT_EQ("previous", ReadFile(out));
  } else {
    ExpectFaithfulCopy(in, out, "/r90");
  }
}

INSTANTIATE_TEST_SUITE_P(Failures,
                         OutputFailureTest,
                         testing::ValuesIn(kCases),
                         testing::PrintToStringParamName());

}  // namespace
