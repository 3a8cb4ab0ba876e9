// The output file's writes failing part way: by real limits where the system has them (file
// size, open files) and by the preloaded library that fails named calls where it has none. The
// run prints its one line and ends normally, the previous output stays, and no temporary file
// is left; a run that copes is judged as any copy. Runs stopped by a signal leave as little.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "param_name.h"
#include "test_files.h"

namespace {

// The binary run on in into out with /r90 in a child that setup (false: give up) prepares; the
// child's wait status. With preload, the library fails the calls it is told to.
int RunPrepared(const std::string& in,
                const std::string& out,
                bool preload,
                const std::function<bool()>& setup) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (preload) {
      setenv("LD_PRELOAD", FAIL_CALLS_PRELOAD, 1);
      setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
    }
    if (!setup()) {
      _exit(126);
    }
    execl(QUILLTURN_BINARY, "Quillturn", in.c_str(), out.c_str(), "/r90", nullptr);
    _exit(127);
  }
  int status = 0;
  return waitpid(pid, &status, 0) == pid ? status : -1;
}

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
  const int status = RunPrepared(in, out, *c.fail, [&c, &said] {
    const rlimit size{c.file_size, c.file_size};
    const rlimit files{c.open_files, c.open_files};
    setenv("QUILLTURN_FAIL", c.fail, 1);
    if (!std::freopen(said.Path("said").c_str(), "w", stdout) ||
        (c.file_size != kAny && setrlimit(RLIMIT_FSIZE, &size) != 0) ||
        (c.open_files != kAny && setrlimit(RLIMIT_NOFILE, &files) != 0)) {
      return false;
    }
    for (int fd = 3; fd < 1024; ++fd) {
      close(fd);  // only the program's own files count against the limit
    }
    return true;
  });
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

struct SignalCase {
  const char* name;
  int signal;
  bool named_temporary;  // as on a file system without unnamed temporary files
};
PRINT_CASE_BY_NAME(SignalCase)

class SignalTest : public testing::TestWithParam<SignalCase> {};

TEST_P(SignalTest, LeavesThePreviousOutputAndNothingElse) {
  const SignalCase& c = GetParam();
  TempDir dir;
  TempDir seen;
  const std::string out = dir.Write("out.pdf", "previous");
  const std::string in = seen.Write("in.pdf", Finish(OnePage()));
  const int status = RunPrepared(in, out, true, [&c, &seen] {
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
      signal(sig, SIG_DFL);  // the handler is installed only where the caller did not ignore
    }
    // The signal comes at the output's fsync, with the temporary file written whole.
    setenv("QUILLTURN_RAISE", std::to_string(c.signal).c_str(), 1);
    setenv("QUILLTURN_SEEN", seen.Path("temporary").c_str(), 1);
    setenv("QUILLTURN_FAIL", c.named_temporary ? "tmpfile" : "", 1);
    return true;
  });
  // The handler ends the process by the signal itself, as the caller expects.
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
  EXPECT_EQ("previous", ReadFile(out));
  EXPECT_EQ("out.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output);
  // Unnamed ("#inode (deleted)"), or a short name of fixed length.
  const std::string temporary = ReadFile(seen.Path("temporary"));
  const std::string name = temporary.substr(temporary.rfind('/') + 1);
  if (c.named_temporary) {
    EXPECT_TRUE(name.size() == 11 && name.rfind(".qt", 0) == 0) << temporary;
  } else {
    EXPECT_NE(std::string::npos, name.find("(deleted)")) << temporary;
  }
}

// SIGKILL cannot be handled: only an unnamed temporary file leaves nothing. Each handled
// signal is tried with a named temporary, which only its handler removes.
INSTANTIATE_TEST_SUITE_P(Signals,
                         SignalTest,
                         testing::Values(SignalCase{"Interrupt", SIGINT, false},
                                         SignalCase{"Kill", SIGKILL, false},
                                         SignalCase{"InterruptNamed", SIGINT, true},
                                         SignalCase{"TerminateNamed", SIGTERM, true},
                                         SignalCase{"HangUpNamed", SIGHUP, true}),
                         testing::PrintToStringParamName());

}  // namespace
