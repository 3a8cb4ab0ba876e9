#ifndef QUILLTURN_SRC_APP_COMMAND_LINE_H_
#define QUILLTURN_SRC_APP_COMMAND_LINE_H_

#include <string>

#include "app/page_selection.h"

// What one run is asked to do: Quillturn in.pdf out.pdf [options].
struct CommandLine {
  std::string input_path;
  std::string output_path;
  SelectionOptions options;
  // -incremental: the input's bytes, then an update of the pages whose rotation changes.
  bool incremental = false;
};

// Throws "Error parameter" without both paths. Of an option given twice the last counts;
// arguments that are no option are passed over.
CommandLine ParseCommandLine(int argc, char** argv);

// The program: prints the banner without arguments, else runs one job. Always returns 0; a
// failure shows as its one line of text.
int RunQuillturn(int argc, char** argv);
void PrintUsage();

#endif  // QUILLTURN_SRC_APP_COMMAND_LINE_H_
