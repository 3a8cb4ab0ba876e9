#ifndef QUILLTURN_SRC_APP_COMMAND_LINE_H_
#define QUILLTURN_SRC_APP_COMMAND_LINE_H_

#include <string>

#include "app/page_selection.h"

// What one run is asked to do: Quillturn in.pdf out.pdf [options].
struct CommandLine {
  // --help and --version print instead of running a job.
  enum class Request { kRun, kHelp, kVersion };
  Request request = Request::kRun;
  std::string input_path;
  std::string output_path;
  SelectionOptions options;
  // -incremental: the input's bytes, then an update of the pages whose rotation changes.
  bool incremental = false;
  // -repair: a table made again from the scan where the input's cross-reference data cannot
  // be used as it stands, and pages without /Resources read as having empty ones.
  bool repair = false;
};

// Throws "Error parameter" without both paths, unless the one argument asks for the help or
// the version, and refuses -repair with -incremental. Of an option given twice the last counts (/r
// and /t are one); arguments that are no option are passed over.
CommandLine ParseCommandLine(int argc, char** argv);

// The program: prints the banner without arguments, else runs one job. Always returns 0; a
// failure shows as its one line of text.
int RunQuillturn(int argc, char** argv);
void PrintUsage();
// The banner and the options added to it since, one line each.
void PrintHelp();

#endif  // QUILLTURN_SRC_APP_COMMAND_LINE_H_
