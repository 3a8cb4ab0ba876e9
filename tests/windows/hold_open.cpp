// Keeps a file open for reading as a PDF viewer may, letting others read it but neither write
// nor delete it, until the process is ended. Prints "open" once it holds the file.
#include <windows.h>

#include <cstdio>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 2) {
    std::fputs("usage: hold_open PATH\n", stderr);
    return 2;
  }
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fputs("hold_open: cannot open the file\n", stderr);
    return 1;
  }
  std::puts("open");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
