#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/program_start.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = StartProgram(argc, argv);
  std::vector<char*> pointers;
  pointers.reserve(args.size() + 1);
  for (std::string& arg : args) {
    pointers.push_back(arg.data());
  }
  pointers.push_back(nullptr);
  return RunQuillturn(static_cast<int>(args.size()), pointers.data());
}
