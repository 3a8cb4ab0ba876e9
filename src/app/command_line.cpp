// Entry point and command line of the rotation job.
#include "app/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/cpdf_rotate.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

namespace {

// Reads "/" and letter ("/r", "/t") and an integer the way a %d conversion does: white space,
// a sign, digits. Numbers beyond 32 bits saturate instead of being undefined.
bool ParseAngle(const char* arg, char letter, int32_t* angle) {
  if (arg[0] != '/' || arg[1] != letter) {
    return false;
  }
  const char* p = arg + 2;
  while (std::isspace(static_cast<unsigned char>(*p))) {
    ++p;
  }
  bool negative = false;
  if (*p == '-' || *p == '+') {
    negative = *p == '-';
    ++p;
  }
  if (*p < '0' || *p > '9') {
    return false;
  }
  int64_t value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p++ - '0');
    if (value > static_cast<int64_t>(INT32_MAX) + 1) {
      value = static_cast<int64_t>(INT32_MAX) + 1;
    }
  }
  value = negative ? -value : value;
  if (value > INT32_MAX) {
    value = INT32_MAX;
  }
  *angle = static_cast<int32_t>(value);
  return true;
}

// --help, -h and /? ask for the help; --version for the version.
CommandLine::Request RequestOf(const char* arg) {
  if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
      std::strcmp(arg, "/?") == 0) {
    return CommandLine::Request::kHelp;
  }
  return std::strcmp(arg, "--version") == 0 ? CommandLine::Request::kVersion
                                            : CommandLine::Request::kRun;
}

constexpr char kVersionLine[] = "Quillturn version 1.1\n";

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  // Alone, or among the options: never in place of a file name, which keeps its meaning.
  if (argc == 2 && RequestOf(argv[1]) != CommandLine::Request::kRun) {
    line.request = RequestOf(argv[1]);
    return line;
  }
  if (argc < 3) {
    throw CPdfException(kMsgErrorParameter);
  }
  line.input_path = argv[1];
  line.output_path = argv[2];
  SelectionOptions& options = line.options;
  for (int i = 3; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] == '/' && arg[1] == 'p') {
      options.page_list = arg + 2;
    } else if (ParseAngle(arg, 'r', &options.angle)) {
      options.turn = false;
    } else if (std::strcmp(arg, "-landscape") == 0) {
      options.landscape = true;
    } else if (std::strcmp(arg, "-portrait") == 0) {
      options.portrait = true;
    } else if (ParseAngle(arg, 't', &options.angle)) {
      options.turn = true;
    } else if (std::strcmp(arg, "-wide") == 0) {
      options.wide = true;
    } else if (std::strcmp(arg, "-tall") == 0) {
      options.tall = true;
    } else if (std::strcmp(arg, "-incremental") == 0) {
      line.incremental = true;
    } else if (std::strcmp(arg, "-repair") == 0) {
      line.repair = true;
    } else if (line.request == CommandLine::Request::kRun) {
      line.request = RequestOf(arg);
    }
  }
  if (line.request == CommandLine::Request::kRun && line.repair && line.incremental) {
    throw CPdfException(kMsgRepairIncremental);
  }
  return line;
}

void PrintUsage() {
  std::fputs(kVersionLine, stdout);
  std::fputs(
      "web site: https://quillturn.example\n"
      "email: support@quillturn.example\n"
      "\n"
      "Usage:\n"
      "Quillturn in.pdf out.pdf [params]\n"
      "possible params:\n"
      "-portrait - rotate portrait pages only\n"
      "-landscape - rotate landscape pages only\n"
      "/p<list> - pages list for rotation (ex. /p1,4,5,10-20)\n"
      "/r<degree> - rotation degree (ex. /r90\n"
      "Notes:\n"
      "If the name of file contains space character itself,\n"
      "it must be enclosed in quotes.\n",
      stdout);
}

void PrintHelp() {
  PrintUsage();
  std::fputs(
      "/t<degree> - turn by degree from the current rotation (ex. /t90)\n"
      "-wide - rotate pages that show wider than tall only\n"
      "-tall - rotate pages that show taller than wide only\n"
      "-incremental - keep the input as it is, append the turned pages\n"
      "-repair - rebuild a damaged cross-reference table from the objects in the file\n"
      "/p list: z - the last page, r<n> - the n-th page from the end (ex. /p5-z,r2)\n"
      "/p list: :odd or :even after an item - its odd or even pages (ex. /p1-z:even)\n"
      "--help, -h, /? - print this help\n"
      "--version - print the version\n",
      stdout);
}

int RunQuillturn(int argc, char** argv) {
  if (argc == 1) {
    PrintUsage();
    return 0;
  }
  try {
    CommandLine line = ParseCommandLine(argc, argv);
    if (line.request == CommandLine::Request::kHelp) {
      PrintHelp();
    } else if (line.request == CommandLine::Request::kVersion) {
      std::fputs(kVersionLine, stdout);
    } else {
      CPdfRotate job(std::move(line));
      job.Run();
    }
  } catch (const CPdfException& e) {
    std::fputs(e.GetMessage(), stdout);
  } catch (...) {
    std::fputs(kMsgUnexpected, stdout);
  }
  std::fflush(stdout);
  return 0;
}
