// Prints the short 8.3 name Windows keeps for a file (or the long name where the volume keeps
// none), so that the tests can name a file the way old programs do.
#include <windows.h>

#include <cstdio>
#include <vector>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 2) {
    std::fputs("usage: short_name PATH\n", stderr);
    return 2;
  }
  std::vector<wchar_t> wide(32768);
  const DWORD n = GetShortPathNameW(argv[1], wide.data(), static_cast<DWORD>(wide.size()));
  if (n == 0 || n >= wide.size()) {
    std::fputs("short_name: no such file\n", stderr);
    return 1;
  }
  std::vector<char> utf8(n * 4 + 1);
  const int len = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(n), utf8.data(),
                                      static_cast<int>(utf8.size()), nullptr, nullptr);
  std::fwrite(utf8.data(), 1, static_cast<size_t>(len), stdout);
  return 0;
}
