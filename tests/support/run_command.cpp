// Running programs through the shell: used by the tests of the built program, on POSIX systems.
#include <sys/wait.h>

#include <cstdio>

#include "test_files.h"

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    return result;
  }
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), pipe)) > 0) {
    result.output.append(buf, n);
  }
  int status = pclose(pipe);
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

CommandResult RunQuillturn(const std::string& args) {
  return RunCommand(std::string(QUILLTURN_BINARY) + " " + args);
}
