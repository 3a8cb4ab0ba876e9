#ifndef QUILLTURN_SRC_PLATFORM_PROGRAM_START_H_
#define QUILLTURN_SRC_PLATFORM_PROGRAM_START_H_

#include <string>
#include <vector>

// Readies the process (its allocator; standard output passes bytes as they are) and returns the
// arguments of its command line as UTF-8, the program's name first. Paths are UTF-8 everywhere.
std::vector<std::string> StartProgram(int argc, char** argv);

#endif  // QUILLTURN_SRC_PLATFORM_PROGRAM_START_H_
