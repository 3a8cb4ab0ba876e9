#ifndef QUILLTURN_TESTS_SUPPORT_TEST_FILES_H_
#define QUILLTURN_TESTS_SUPPORT_TEST_FILES_H_

#include <string>

// A file in a fresh scratch folder, removed with the folder.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const;
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

struct CommandResult {
  int exit_code = -1;
  std::string output;
};
// Runs a shell command and gathers its standard output.
CommandResult RunCommand(const std::string& command);
// Runs the Quillturn binary with the given arguments (already quoted as needed).
CommandResult RunQuillturn(const std::string& args);

// A run of the binary on bytes written as in.pdf in a scratch folder, into out.pdf beside it.
struct Scratch {
  // What the run printed.
  std::string Run(const std::string& bytes, const std::string& options) {
    dir.Write("in.pdf", bytes);
    return RunQuillturn("'" + in + "' '" + out + "' " + options).output;
  }
  TempDir dir;
  const std::string in = dir.Path("in.pdf");
  const std::string out = dir.Path("out.pdf");
};

#endif  // QUILLTURN_TESTS_SUPPORT_TEST_FILES_H_
