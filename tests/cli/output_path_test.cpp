// The output path is the user's file: links, devices, FIFOs, modes and odd inputs,
// through the real binary in a scratch folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// kRootOnly: mknod, or a rule that holds for root only; kNobody runs as user 65534 (when the
// tests run as root).
enum Who { kAnyone, kRootOnly, kNobody };

struct PathCase {
  const char* name;
  Who who;
  const char* setup;  // shell commands in the scratch folder before the run
  const char* args;   // after the program's name
  const char* message;
  const char* probe;  // shell commands after the run, and what they print
  const char* probed;
  const char* pdf;           // a file that must be a sound PDF afterwards, or ""
  const char* as_root = "";  // shell commands run as root first (cases of another owner's file)
  // The options the check of pdf reads, where args holds names that look like options.
  const char* options = nullptr;
};
// Cases are named in test names and in messages by their name alone.
PRINT_CASE_BY_NAME(PathCase)

const PathCase kPathCases[] = {
    // Replaced, not written in place: the hard link "keep" goes on holding the old bytes.
    {"SymlinkChainReplacesItsTargetKeepingMode0600", kAnyone,
     "printf old > real.pdf && chmod 600 real.pdf && ln real.pdf keep && "
     "ln -s \"$PWD/real.pdf\" l1 && ln -s l1 l2",
     "in.pdf ./l2 /r90", "", "stat -c '%F %a %h' l2 l1 real.pdf; ls -A",
     "symbolic link 777 1\nsymbolic link 777 1\nregular file 600 1\n"
     "in.pdf\nkeep\nl1\nl2\nreal.pdf\n",
     "real.pdf"},
    {"NewFileTakesTheUmask", kAnyone, "umask 027", "in.pdf out.pdf", "", "stat -c '%a' out.pdf",
     "640\n", "out.pdf"},
    {"DanglingLinkGetsItsTarget", kAnyone, "ln -s new.pdf link", "in.pdf link", "",
     "stat -c '%F' link new.pdf", "symbolic link\nregular file\n", "new.pdf"},
    {"HardLinkedOutputGetsANewInode", kAnyone, "printf old > out.pdf && ln out.pdf other.pdf",
     "in.pdf out.pdf", "", "cat other.pdf; stat -c ' %h' out.pdf", "old 1\n", "out.pdf"},
    // The old file's access control list and extended attributes stay with the new one.
    {"AclAndAttributesKept", kAnyone,
     "printf old > out.pdf && chmod 640 out.pdf && setfacl -m u:65534:r,g::- out.pdf && "
     "setfattr -n user.note -v kept out.pdf",
     "in.pdf out.pdf", "", "getfacl -cpn out.pdf; getfattr --only-values -n user.note out.pdf",
     "user::rw-\nuser:65534:r--\ngroup::---\nmask::r--\nother::---\n\nkept", "out.pdf"},
    // Another user's file in a sticky folder: the rename would be refused after all the work.
    {"StickyFolderOthersFileRefusedFirst", kNobody, "", "in.pdf t/out.pdf",
     "Output file create error", "cat t/out.pdf; ls -A t", "oldout.pdf\n", "",
     "mkdir -m 1777 t && printf old > t/out.pdf && chmod 666 t/out.pdf"},
    {"WriteProtectedFileIsKept", kNobody, "printf old > out.pdf && chmod 444 out.pdf",
     "in.pdf out.pdf", "Output file create error", "cat out.pdf; ls -A", "oldin.pdf\nout.pdf\n",
     ""},
    {"LinkLoop", kAnyone, "ln -s a b && ln -s b a", "in.pdf a", "Output file create error", "ls -A",
     "a\nb\nin.pdf\n", ""},
    {"Directory", kAnyone, "mkdir out", "in.pdf out", "Output file create error", "ls -A . out",
     ".:\nin.pdf\nout\n\nout:\n", ""},
    {"MissingFolder", kAnyone, "", "in.pdf none/out.pdf", "Output file create error", "ls -A",
     "in.pdf\n", ""},
    {"ReadOnlyFolderAsRoot", kRootOnly, "mkdir ro && chmod 555 ro", "in.pdf ro/out.pdf", "",
     "ls -A ro", "out.pdf\n", "ro/out.pdf"},
    {"ReadOnlyFolderAsUnprivileged", kNobody, "mkdir ro && chmod 555 ro", "in.pdf ro/out.pdf",
     "Output file create error", "ls -A ro", "", ""},
    // The temporary name must fit wherever the output's name does.
    {"NameOf255Bytes", kAnyone, "", "in.pdf $(printf %0255d 0)", "", "ls -A | awk '$0=length'",
     "255\n6\n", ""},
    {"DeviceWrittenInPlaceAndItsErrorReported", kRootOnly, "mknod full c 1 7", "in.pdf full",
     "Output file write error", "stat -c '%F %t,%T' full", "character special file 1,7\n", ""},
    {"FifoWithAReader", kAnyone, "mkfifo pipe && { timeout 20 cat pipe > got.pdf & }",
     "in.pdf pipe /r90; wait", "", "stat -c '%F' pipe", "fifo\n", "got.pdf"},
    {"SocketWrittenInPlace", kAnyone,
     "{ timeout 20 python3 -c \"import socket; s = socket.socket(socket.AF_UNIX); "
     "s.bind('sock'); s.listen(); open('ready', 'w').close(); c = s.accept()[0]; "
     "open('got.pdf', 'wb').write(b''.join(iter(lambda: c.recv(65536), b'')))\" & } && "
     "until [ -e ready ]; do sleep 0.01; done",
     "in.pdf sock /r90; wait", "", "stat -c '%F' sock; ls -A",
     "socket\ngot.pdf\nin.pdf\nready\nsock\n", "got.pdf"},
    {"SocketNobodyListensTo", kAnyone,
     "python3 -c \"import socket; socket.socket(socket.AF_UNIX).bind('sock')\"", "in.pdf sock",
     "Output file create error", "ls -A", "in.pdf\nsock\n", ""},
    // A deleted file still open, reached through /proc: only writing it in place reaches it.
    {"DeletedFileWrittenInPlace", kAnyone, "exec 3<>gone && rm gone",
     "in.pdf /dev/fd/3 /r90 && cat <&3 > got.pdf", "", "ls -A", "got.pdf\nin.pdf\n", "got.pdf"},
    // Through a link in /proc to a pipe, which names nothing.
    {"StandardOutputPiped", kAnyone, "", "in.pdf /dev/stdout /r90 | cat > got.pdf", "", "ls -A",
     "got.pdf\nin.pdf\n", "got.pdf"},
    {"LinkToTheInputIsRefused", kAnyone, "ln -s in.pdf link.pdf && cp in.pdf copy",
     "in.pdf link.pdf", "Output file is the input file", "cmp in.pdf copy && ls -A",
     "copy\nin.pdf\nlink.pdf\n", ""},
    {"FifoAsInputIsRefusedAtOnce", kAnyone, "mkfifo in2", "in2 out.pdf", "Input file open error",
     "ls -A", "in.pdf\nin2\n", ""},
    // A relative link in another folder is resolved from the link's folder, not the current one.
    {"RelativeLinkInAnotherFolder", kAnyone,
     "mkdir sub work && printf old > sub/target.pdf && ln -s target.pdf sub/link.pdf && cd work",
     "../in.pdf ../sub/link.pdf /r90", "", "stat -c '%F' sub/link.pdf; ls -A sub work",
     "symbolic link\nsub:\nlink.pdf\ntarget.pdf\n\nwork:\n", "sub/target.pdf", "", "/r90"},
    {"RelativeDanglingLinkInAnotherFolder", kAnyone,
     "mkdir sub work && ln -s target.pdf sub/link.pdf && cd work", "../in.pdf ../sub/link.pdf", "",
     "stat -c '%F' sub/link.pdf; ls -A sub work",
     "symbolic link\nsub:\nlink.pdf\ntarget.pdf\n\nwork:\n", "sub/target.pdf", "", ""},
    // Output names that look like options are names: read as options they would change the
    // pages chosen, refuse the list or print the help instead.
    {"OutputNamedLikeAFilter", kAnyone, "", "in.pdf -landscape /r90", "", "ls -A",
     "-landscape\nin.pdf\n", "-landscape", "", "/r90"},
    {"InputNamedLikeTheVersion", kAnyone, "cp in.pdf ./--version", "--version out.pdf /r90", "",
     "ls -A", "--version\nin.pdf\nout.pdf\n", "out.pdf", "", "/r90"},
};

class OutputPathTest : public testing::TestWithParam<PathCase> {};

TEST_P(OutputPathTest, EndsAsTheUserExpects) {
  const PathCase& c = GetParam();
  if ((c.who == kRootOnly || *c.as_root) && geteuid() != 0) {
    GTEST_SKIP() << "needs root";
  }
  TempDir dir;
  dir.Write("in.pdf", Finish(OnePage()));
  ASSERT_EQ(0, chmod(dir.Dir().c_str(), 0777));
  const bool setpriv = c.who == kNobody && geteuid() == 0;
  // The other user runs a copy in a folder of its own that anyone may enter: the build may lie
  // where only its owner can (a checkout in root's home).
  const TempDir bin;
  std::string binary = QUILLTURN_BINARY;
  if (setpriv) {
    binary = bin.Path("Quillturn");
    ASSERT_EQ(0, RunCommand("cp '" + std::string(QUILLTURN_BINARY) + "' '" + binary +
                            "' && chmod 755 '" + bin.Dir() + "' '" + binary + "'")
                     .exit_code);
  }
  // A timeout turns a run that blocks (a FIFO opened the wrong way) into a failure.
  const std::string cd = "cd '" + dir.Dir() + "' && umask 022 && ";
  const std::string run =
      cd + (*c.setup ? std::string(c.setup) + " && " : "") + "timeout 30 " + binary + " " + c.args;
  if (*c.as_root) {
    ASSERT_EQ(0, RunCommand(cd + c.as_root).exit_code);
  }
  EXPECT_EQ(c.message,
            RunCommand(setpriv ? "setpriv --reuid=65534 --regid=65534 --clear-groups sh <<'END'\n" +
                                     run + "\nEND"
                               : run)
                .output);
  EXPECT_EQ(c.probed, RunCommand(cd + c.probe).output);
  if (*c.pdf) {
    ExpectFaithfulCopy(dir.Path("in.pdf"), dir.Path(c.pdf), c.options ? c.options : c.args);
  }
}

INSTANTIATE_TEST_SUITE_P(Paths,
                         OutputPathTest,
                         testing::ValuesIn(kPathCases),
                         testing::PrintToStringParamName());

// A large input, so that a run lasts long enough to be caught in the middle.
const std::string& BigInput() {
  static const TempDir dir;
  static const std::string path = dir.Path("big.pdf");
  static const int made =
      RunCommand(std::string(MAKE_BENCH_BINARY) + " big " + path + " 1000").exit_code;
  EXPECT_EQ(0, made);
  return path;
}

TEST(InputChangeTest, IsNoticedAfterTheCopy) {
  // Its size, then its time. The output is far larger than a pipe holds, so the program waits
  // in a write until the FIFO is drained: the change lands in the middle of the run.
  for (const std::string change : {"printf ' ' >>", "touch -d 2001-01-01"}) {
    TempDir dir;
    EXPECT_EQ(
        "Input file open error",
        RunCommand("cd '" + dir.Dir() + "' && cp '" + BigInput() + "' in.pdf && mkfifo pipe && { " +
                   QUILLTURN_BINARY + " in.pdf pipe & } && { head -c 65536 > /dev/null && " +
                   change + " in.pdf && cat > /dev/null; } < pipe; wait")
            .output)
        << change;
  }
}

}  // namespace
