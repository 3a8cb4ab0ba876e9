// The hostile-input suite (tests/hostile, written by scripts/make_hostile.py) through the real
// binary: one clear line or a sound output; no signal, no hang; nothing left behind after a
// failure; the input unchanged; in bounded memory. Time is measured by bench/hostile.sh, not
// asserted here: a loaded machine is no fault of the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "faithful_copy.h"
#include "param_name.h"
#include "test_files.h"

namespace {

// Runs the binary with args and without a shell, its standard output into said, killed after
// 30 s. Its wait status and peak memory in KiB.
std::pair<int, long> RunBinary(std::vector<std::string> args, const std::string& said) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen(said.c_str(), "w", stdout) == nullptr) {
      _exit(126);
    }
    alarm(30);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& a : args) {
      argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    execv(QUILLTURN_BINARY, argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  return {status, usage.ru_maxrss};
}

class HostileTest : public testing::TestWithParam<std::string> {};

TEST_P(HostileTest, RefusedCleanlyOrCopiedSoundly) {
  const std::string original = ReadFile(std::string(HOSTILE_DIR) + "/" + GetParam());
  const TempDir scratch;
  const std::string said = scratch.Path("said");
  const char* option_sets[][2] = {
      {"/r90", ""}, {"/p1-3,2", "/r-90"}, {"-landscape", "/r180"}, {"-repair", "/r90"}};
  for (const auto& options : option_sets) {
    SCOPED_TRACE(std::string(options[0]) + " " + options[1]);
    TempDir dir;
    const std::string in = dir.Write("in.pdf", original);
    const std::string out = dir.Path("out.pdf");
    const auto [status, max_rss_kb] =
        RunBinary({"Quillturn", in, out, options[0], options[1]}, said);
    ASSERT_TRUE(WIFEXITED(status)) << "signal " << WTERMSIG(status);
    EXPECT_EQ(0, WEXITSTATUS(status));
    const std::string output = ReadFile(said);
    EXPECT_EQ(std::string::npos, output.find('\n'));
#ifndef QUILLTURN_SANITIZED  // the sanitizers' own memory would be judged
    EXPECT_LT(max_rss_kb, static_cast<long>(original.size() / 1024) + 64L * 1024);
#endif
    EXPECT_EQ(original, ReadFile(in));
    const bool repair = std::string(options[0]) == "-repair";
    if (output.empty() && repair) {
      // Through a rebuilt table it may read more than qpdf's reconstruction of the input (a
      // /Root of the wrong kind, a plain catalog where qpdf follows the table into an object
      // stream), so qpdf's view of the input is no measure here: qpdf must open the output
      // without an error, and warn only where the input's objects, copied as they stand, earn
      // it (tests/cli/repair_test.cpp judges repairs against qpdf's view).
      const auto check = [](const std::string& path) {
        return RunCommand("qpdf --check '" + path + "' >/dev/null 2>&1").exit_code;
      };
      const int copied = check(out);
      EXPECT_TRUE(copied == 0 || (copied == 3 && check(in) == 3)) << copied;
    } else if (output.empty()) {
      ASSERT_TRUE(FileExists(out));
      ExpectFaithfulCopy(in, out, std::string(options[0]) + " " + options[1]);
      EXPECT_EQ("in.pdf\nout.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output);
    } else {
      EXPECT_EQ("in.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output) << output;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileTest, testing::ValuesIn(PdfFilesIn(HOSTILE_DIR)), FileName);

}  // namespace
