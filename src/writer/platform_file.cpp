#include "writer/platform_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

bool IsSameFile(const char* a, const char* b) {
  struct stat sa {};
  struct stat sb {};
  if (stat(a, &sa) != 0 || stat(b, &sb) != 0) {
    return false;
  }
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

FILE* CreateFileBeside(const std::string& path, std::string* temp_path) {
  // A hidden name in the same folder, so the final rename never crosses file systems.
  std::string::size_type slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string name = folder + "." + base + ".quillturn-XXXXXX";
  std::vector<char> templ(name.begin(), name.end());
  templ.push_back('\0');
  int fd = mkstemp(templ.data());
  if (fd < 0) {
    return nullptr;
  }
  mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, static_cast<mode_t>(0666 & ~mask));
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    unlink(templ.data());
    return nullptr;
  }
  *temp_path = templ.data();
  return file;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}
