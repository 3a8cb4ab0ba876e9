// The output path is the user's file: links, devices, FIFOs, modes, odd inputs and signals,
// through the real binary in a scratch folder.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>

#include "faithful_copy.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

std::string SmallPdf() {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 200 300] >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> /Contents 4 0 R >>");
  b.Stream(4, "", "0 0 1 rg 50 200 60 60 re f");
  b.XRefTable("/Root 1 0 R");
  return b.Bytes();
}

// Runs command through sh, as root or as user 65534 (when the tests run as root); its standard
// output.
std::string RunShell(std::string command, bool unprivileged) {
  if (unprivileged && geteuid() == 0) {
    for (size_t at = 0; (at = command.find('\'', at)) != std::string::npos; at += 4) {
      command.replace(at, 1, "'\\''");
    }
    command = "setpriv --reuid=65534 --regid=65534 --clear-groups sh -c '" + command + "'";
  }
  return RunCommand(command).output;
}

struct PathCase {
  const char* name;
  bool root_only;     // mknod, or a rule that holds for root only
  bool unprivileged;  // run as user 65534 (when the tests run as root)
  const char* setup;  // shell commands in the scratch folder before the run
  const char* args;   // after the program's name
  const char* message;
  const char* probe;  // shell commands after the run, and what they print
  const char* probed;
  const char* pdf;  // a file that must be a sound PDF afterwards, or ""
};
void PrintTo(const PathCase& c, std::ostream* os) {
  *os << c.name;
}

const std::string kLong(255, 'n');

// Cases are named in test names and in messages by their name alone.
template <typename Case>
std::string ByName(const testing::TestParamInfo<Case>& param) {
  return param.param.name;
}

const PathCase kPathCases[] = {
    {"SymlinkChainReplacesItsTargetKeepingMode0600", false, false,
     "printf old > real.pdf && chmod 600 real.pdf && ln -s real.pdf l1 && ln -s l1 l2",
     "in.pdf l2 /r90", "", "stat -c '%F %a' l2 l1 real.pdf; ls -A",
     "symbolic link 777\nsymbolic link 777\nregular file 600\nin.pdf\nl1\nl2\nreal.pdf\n",
     "real.pdf"},
    {"Mode0640Kept", false, false, "printf old > out.pdf && chmod 640 out.pdf", "in.pdf out.pdf",
     "", "stat -c '%a' out.pdf", "640\n", "out.pdf"},
    {"NewFileTakesTheUmask", false, false, "umask 027", "in.pdf out.pdf", "",
     "stat -c '%a' out.pdf", "640\n", "out.pdf"},
    {"DanglingLinkGetsItsTarget", false, false, "ln -s new.pdf link", "in.pdf link", "",
     "stat -c '%F' link new.pdf", "symbolic link\nregular file\n", "new.pdf"},
    {"HardLinkedOutputGetsANewInode", false, false, "printf old > out.pdf && ln out.pdf other.pdf",
     "in.pdf out.pdf", "", "cat other.pdf; stat -c ' %h' out.pdf", "old 1\n", "out.pdf"},
    {"WriteProtectedFileIsKept", false, true, "printf old > out.pdf && chmod 444 out.pdf",
     "in.pdf out.pdf", "Output file create error", "cat out.pdf; ls -A", "oldin.pdf\nout.pdf\n",
     ""},
    {"LinkLoop", false, false, "ln -s a b && ln -s b a", "in.pdf a", "Output file create error",
     "ls -A", "a\nb\nin.pdf\n", ""},
    {"Directory", false, false, "mkdir out", "in.pdf out", "Output file create error",
     "ls -A . out", ".:\nin.pdf\nout\n\nout:\n", ""},
    {"MissingFolder", false, false, "", "in.pdf none/out.pdf", "Output file create error", "ls -A",
     "in.pdf\n", ""},
    {"ReadOnlyFolderAsRoot", true, false, "mkdir ro && chmod 555 ro", "in.pdf ro/out.pdf", "",
     "ls -A ro", "out.pdf\n", "ro/out.pdf"},
    {"ReadOnlyFolderAsUnprivileged", false, true, "mkdir ro && chmod 555 ro", "in.pdf ro/out.pdf",
     "Output file create error", "ls -A ro", "", ""},
    {"NameOf255Bytes", false, false, "", nullptr, "", "ls -A | wc -l", "2\n", nullptr},
    {"CharacterDeviceWrittenInPlace", true, false, "mknod null c 1 3", "in.pdf null", "",
     "stat -c '%F %t,%T' null", "character special file 1,3\n", ""},
    {"DeviceWriteErrorIsReported", true, false, "mknod full c 1 7", "in.pdf full",
     "Output file write error", "stat -c '%F' full", "character special file\n", ""},
    {"FifoWithAReader", false, false, "mkfifo pipe && { timeout 20 cat pipe > got.pdf & }",
     "in.pdf pipe /r90; wait", "", "stat -c '%F' pipe", "fifo\n", "got.pdf"},
    {"SocketWrittenInPlace", false, false,
     "{ timeout 20 python3 -c \"import socket; s = socket.socket(socket.AF_UNIX); "
     "s.bind('sock'); s.listen(); open('ready', 'w').close(); c = s.accept()[0]; "
     "open('got.pdf', 'wb').write(b''.join(iter(lambda: c.recv(65536), b'')))\" & } && "
     "until [ -e ready ]; do sleep 0.01; done",
     "in.pdf sock /r90; wait", "", "stat -c '%F' sock; ls -A",
     "socket\ngot.pdf\nin.pdf\nready\nsock\n", "got.pdf"},
    {"StandardOutputRedirected", false, false, "", "in.pdf /dev/stdout /r90 > got.pdf", "", "ls -A",
     "got.pdf\nin.pdf\n", "got.pdf"},
    {"StandardOutputPiped", false, false, "", "in.pdf /dev/stdout /r90 | cat > got.pdf", "",
     "ls -A", "got.pdf\nin.pdf\n", "got.pdf"},
    {"FifoAsInputIsRefusedAtOnce", false, false, "mkfifo in2", "in2 out.pdf",
     "Input file open error", "ls -A", "in.pdf\nin2\n", ""},
    {"DirectoryAsInput", false, false, "mkdir in2", "in2 out.pdf", "Input file open error", "ls -A",
     "in.pdf\nin2\n", ""},
    {"DeviceAsInput", false, false, "", "/dev/zero out.pdf", "Input file open error", "ls -A",
     "in.pdf\n", ""},
};

class OutputPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(OutputPathTest, EndsAsTheUserExpects) {
  const PathCase& c = GetParam();
  if (c.root_only && geteuid() != 0) {
    GTEST_SKIP() << "needs root";
  }
  TempDir dir;
  dir.Write("in.pdf", SmallPdf());
  ASSERT_EQ(0, chmod(dir.Dir().c_str(), 0777));
  const std::string args = c.args ? c.args : "in.pdf " + kLong;
  const std::string pdf = c.pdf ? c.pdf : kLong;
  // A timeout turns a run that blocks (a FIFO opened the wrong way) into a failure.
  const std::string cd = "cd '" + dir.Dir() + "' && umask 022 && ";
  const std::string run = cd + (*c.setup ? std::string(c.setup) + " && " : "") + "timeout 30 " +
                          QUILLTURN_BINARY + " " + args;
  EXPECT_EQ(c.message, RunShell(run, c.unprivileged));
  EXPECT_EQ(c.probed, RunShell(cd + c.probe, false));
  if (!pdf.empty()) {
    ExpectFaithfulCopy(dir.Path("in.pdf"), dir.Path(pdf), ChosenPages(dir.Path("in.pdf"), args));
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, OutputPathTest, testing::ValuesIn(kPathCases), ByName<PathCase>);

// A large input, so that a run lasts long enough to be caught in the middle.
class MidRunTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    big_dir_ = new TempDir();
    ASSERT_EQ(
        0, RunCommand(std::string(MAKE_BENCH_BINARY) + " big '" + BigInput() + "' 1000").exit_code);
  }
  static void TearDownTestSuite() {
    delete big_dir_;
    big_dir_ = nullptr;
  }
  static std::string BigInput() { return big_dir_->Path("big.pdf"); }

  // Starts the program on the big input with the given output path; its standard output goes
  // to out_fd.
  static pid_t Start(const std::string& output, bool named_temporary, int out_fd) {
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(out_fd, 1);
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        signal(sig, SIG_DFL);  // the handler is installed only where the caller did not ignore
      }
      if (named_temporary) {
        setenv("LD_PRELOAD", NO_TMPFILE_PRELOAD, 1);
        setenv("ASAN_OPTIONS", "verify_asan_link_order=0", 1);
      }
      execl(QUILLTURN_BINARY, "Quillturn", BigInput().c_str(), output.c_str(), "/r90",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    return pid;
  }

  // Stops pid while it has a file open in folder that has grown beyond empty: the unfinished
  // output. Returns that file's name as the system shows it, "" when pid ended first.
  static std::string StopWhileWriting(pid_t pid, const std::string& folder) {
    for (;;) {
      kill(pid, SIGSTOP);
      int status = 0;
      if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) {
        return "";
      }
      const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
      DIR* d = opendir(fds.c_str());
      std::string writing;
      while (dirent* e = d ? readdir(d) : nullptr) {
        const std::string fd = fds + "/" + e->d_name;
        char target[4096];
        const ssize_t n = readlink(fd.c_str(), target, sizeof(target) - 1);
        const std::string name(target, static_cast<size_t>(std::max<ssize_t>(n, 0)));
        struct stat st {};
        if (name.rfind(folder + "/", 0) == 0 && stat(fd.c_str(), &st) == 0 && st.st_size > 0) {
          writing = name.substr(folder.size() + 1);
        }
      }
      if (d) {
        closedir(d);
      }
      if (!writing.empty()) {
        return writing;
      }
      kill(pid, SIGCONT);
    }
  }

  static TempDir* big_dir_;
};

TempDir* MidRunTest::big_dir_ = nullptr;

struct SignalCase {
  const char* name;
  int signal;
  bool named_temporary;  // as on a file system without unnamed temporary files
};
void PrintTo(const SignalCase& c, std::ostream* os) {
  *os << c.name;
}

class SignalTest : public MidRunTest, public testing::WithParamInterface<SignalCase> {};

TEST_P(SignalTest, LeavesThePreviousOutputAndNothingElse) {
  const SignalCase& c = GetParam();
  TempDir dir;
  const std::string out = dir.Write("out.pdf", "previous");
  const pid_t pid = Start(out, c.named_temporary, 1);
  const std::string temporary = StopWhileWriting(pid, dir.Dir());
  ASSERT_NE("", temporary) << "the run ended before it was caught";
  // Unnamed ("#inode (deleted)"), or a short name of fixed length.
  if (c.named_temporary) {
    EXPECT_TRUE(temporary.size() == 11 && temporary.rfind(".qt", 0) == 0) << temporary;
  } else {
    EXPECT_NE(std::string::npos, temporary.find("(deleted)")) << temporary;
  }
  kill(pid, c.signal);
  kill(pid, SIGCONT);
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  // The handler ends the process by the signal itself, as the caller expects.
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << status;
  EXPECT_EQ("previous", ReadFile(out));
  EXPECT_EQ("out.pdf\n", RunCommand("ls -A '" + dir.Dir() + "'").output);
}

// SIGKILL cannot be handled: only an unnamed temporary file leaves nothing.
INSTANTIATE_TEST_SUITE_P(Signals,
                         SignalTest,
                         testing::Values(SignalCase{"Interrupt", SIGINT, false},
                                         SignalCase{"Terminate", SIGTERM, false},
                                         SignalCase{"Kill", SIGKILL, false},
                                         SignalCase{"InterruptNamed", SIGINT, true},
                                         SignalCase{"TerminateNamed", SIGTERM, true},
                                         SignalCase{"HangUpNamed", SIGHUP, true}),
                         ByName<SignalCase>);

struct ChangeCase {
  const char* name;
  const char* change;  // applied to the input while the run is held up
  const char* message;
};
void PrintTo(const ChangeCase& c, std::ostream* os) {
  *os << c.name;
}

class InputChangeTest : public MidRunTest, public testing::WithParamInterface<ChangeCase> {};

TEST_P(InputChangeTest, IsNoticedAfterTheCopy) {
  TempDir dir;
  // The output is far larger than a pipe holds, so the program waits in a write until the
  // FIFO is drained: the change lands in the middle of the run.
  EXPECT_EQ(
      GetParam().message,
      RunCommand("cd '" + dir.Dir() + "' && cp '" + BigInput() + "' in.pdf && mkfifo pipe && { " +
                 QUILLTURN_BINARY + " in.pdf pipe > said & } && { head -c 65536 > /dev/null && " +
                 GetParam().change + " in.pdf && cat > /dev/null; } < pipe; wait; cat said")
          .output);
}

INSTANTIATE_TEST_SUITE_P(
    Changes,
    InputChangeTest,
    testing::Values(ChangeCase{"Unchanged", "test -f", ""},
                    ChangeCase{"Appended", "printf ' ' >>", "Input file open error"},
                    ChangeCase{"Touched", "touch -d 2001-01-01", "Input file open error"}),
    ByName<ChangeCase>);

}  // namespace
