// Entry point and command line of the rotation job.
#include "app/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "app/cpdf_rotate.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

namespace {

// Reads "/r" and an integer the way a %d conversion does: white space, a sign, digits.
// Numbers beyond 32 bits saturate instead of being undefined.
bool ParseAngle(const char* arg, int32_t* angle) {
  if (arg[0] != '/' || arg[1] != 'r') {
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

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
  if (argc < 3) {
    throw CPdfException(kMsgErrorParameter);
  }
  CommandLine line;
  line.input_path = argv[1];
  line.output_path = argv[2];
  SelectionOptions& options = line.options;
  for (int i = 3; i < argc; ++i) {
    const char* arg = argv[i];
    if (arg[0] == '/' && arg[1] == 'p') {
      options.page_list = arg + 2;
    } else if (ParseAngle(arg, &options.angle)) {
    } else if (std::strcmp(arg, "-landscape") == 0) {
      options.landscape = true;
    } else if (std::strcmp(arg, "-portrait") == 0) {
      options.portrait = true;
    } else if (std::strcmp(arg, "-incremental") == 0) {
      line.incremental = true;
    }
  }
  return line;
}

void PrintUsage() {
  std::fputs(
      "Quillturn version 1.1\n"
      "web site: https://quillturn.example\n"
      "email: support@quillturn.example\n"
      "\n"
      "Usage:\n"
      "Quillturn in.pdf out.pdf [params]\n"
      "possible params:\n"
      "-portrait - rotate portrait pages only\n"
      "-landscape - rotate landscape pages only\n"
      "-incremental - keep the input as it is, append the turned pages\n"
      "/p<list> - pages list for rotation (ex. /p1,4,5,10-20)\n"
      "/r<degree> - rotation degree (ex. /r90\n"
      "Notes:\n"
      "If the name of file contains space character itself,\n"
      "it must be enclosed in quotes.\n",
      stdout);
}

int RunQuillturn(int argc, char** argv) {
  if (argc == 1) {
    PrintUsage();
    return 0;
  }
  try {
    CPdfRotate job(ParseCommandLine(argc, argv));
    job.Run();
  } catch (const CPdfException& e) {
    std::fputs(e.GetMessage(), stdout);
  } catch (...) {
    std::fputs(kMsgUnexpected, stdout);
  }
  std::fflush(stdout);
  return 0;
}
