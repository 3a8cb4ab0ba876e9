// The hostile-input suite (tests/hostile, written by scripts/make_hostile.py) through the real
// binary: one clear line or a sound output; no signal, no hang; nothing left behind after a
// failure; the input unchanged; in bounded memory. Time is measured by bench/hostile.sh, not
// asserted here: a loaded machine is no fault of the program.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "faithful_copy.h"
#include "test_files.h"

namespace {

struct Outcome {
  bool exited = false;
  int code = -1;
  std::string output;
  long max_rss_kb = 0;
};

// Runs the binary with args, no shell, killed after 30 s.
Outcome RunBinary(const std::vector<std::string>& args) {
  Outcome outcome;
  int fds[2];
  if (pipe(fds) != 0) {
    return outcome;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    alarm(30);
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    std::vector<std::string> copy = args;
    for (std::string& a : copy) {
      argv.push_back(&a[0]);
    }
    argv.push_back(nullptr);
    execv(QUILLTURN_BINARY, argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof(buf))) > 0;) {
    outcome.output.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  outcome.exited = WIFEXITED(status);
  outcome.code = outcome.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
  outcome.max_rss_kb = usage.ru_maxrss;
  return outcome;
}

std::vector<std::string> HostileFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(HOSTILE_DIR)) {
    if (entry.path().extension() == ".pdf") {
      names.push_back(entry.path().filename().string());
    }
  }
  return names;
}

TEST(HostileTest, EveryFileRefusedCleanlyOrCopiedSoundly) {
#ifdef QUILLTURN_SANITIZED
  const bool judge_memory = false;  // the sanitizers' own memory would be judged
#else
  const bool judge_memory = true;
#endif
  const std::vector<std::string> names = HostileFiles();
  ASSERT_GE(names.size(), 40u);
  const char* option_sets[][2] = {{"/r90", ""}, {"/p1-3,2", "/r-90"}, {"-landscape", "/r180"}};
  for (const std::string& name : names) {
    const std::string original = ReadFile(std::string(HOSTILE_DIR) + "/" + name);
    for (const auto& options : option_sets) {
      SCOPED_TRACE(name + " " + options[0] + " " + options[1]);
      TempDir dir;
      const std::string in = dir.Write("in.pdf", original);
      const std::string out = dir.Path("out.pdf");
      Outcome r = RunBinary({"Quillturn", in, out, options[0], options[1]});
      ASSERT_TRUE(r.exited) << "signal " << -r.code;
      EXPECT_EQ(0, r.code);
      EXPECT_EQ(std::string::npos, r.output.find('\n'));
      if (judge_memory) {
        EXPECT_LT(r.max_rss_kb, static_cast<long>(original.size() / 1024) + 64L * 1024);
      }
      EXPECT_EQ(original, ReadFile(in));
      if (r.output.empty()) {
        ASSERT_TRUE(FileExists(out));
        ExpectFaithfulCopy(in, out, ChosenPages(in, std::string(options[0]) + " " + options[1]));
        EXPECT_EQ("in.pdf\nout.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output);
      } else {
        EXPECT_EQ("in.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output) << r.output;
      }
    }
  }
}

}  // namespace
