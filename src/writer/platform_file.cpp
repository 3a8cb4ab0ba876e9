#include "writer/platform_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

bool CopyFileRange(FILE* in, int64_t offset, FILE* out, int64_t length) {
  if (std::fflush(out) != 0) {
    return false;
  }
  const int in_fd = fileno(in);
  const int out_fd = fileno(out);
  off_t from = static_cast<off_t>(offset);
  int64_t left = length;
#ifdef __linux__
  while (left > 0) {
    const ssize_t n = copy_file_range(in_fd, &from, out_fd, nullptr, static_cast<size_t>(left), 0);
    if (n <= 0) {
      break;  // not supported here, or the end of the input: finish with plain reads
    }
    left -= n;
  }
#endif
  constexpr int64_t kChunk = int64_t{64} * 1024;
  std::vector<char> buffer(static_cast<size_t>(kChunk));
  while (left > 0) {
    const size_t want = static_cast<size_t>(std::min<int64_t>(left, kChunk));
    const ssize_t got = pread(in_fd, buffer.data(), want, from);
    if (got <= 0) {
      return false;
    }
    const char* p = buffer.data();
    for (ssize_t done = 0; done < got;) {
      const ssize_t w = write(out_fd, p + done, static_cast<size_t>(got - done));
      if (w <= 0) {
        return false;
      }
      done += w;
    }
    from += got;
    left -= got;
  }
  return true;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}
