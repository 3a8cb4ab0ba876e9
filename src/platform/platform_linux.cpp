// Program start and the input file on Linux. Files are named by their device and inode.

#include <fcntl.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/input_file.h"
#include "platform/program_start.h"

std::vector<std::string> StartProgram(int argc, char** argv) {
#ifdef __GLIBC__
  // The heap grows, and gives memory back, 4 MiB at a time rather than as little as it can:
  // the passes free large tables and build others, and every page the kernel hands out anew
  // costs a fault. Freed pages it keeps count as memory in use, so more (16 MiB) put a file of
  // a million stray entries over its bound, for no time measured on a 50,000-page file.
  mallopt(M_TOP_PAD, 4 * 1024 * 1024);
#endif
  return std::vector<std::string>(argv, argv + argc);
}

FILE* OpenInputFile(const std::string& path) {
  // Without blocking: opening a FIFO that has no writer would wait for one.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    return nullptr;
  }
  struct stat st {};
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    close(fd);
  }
  return file;
}

FileStamp GetFileStamp(FILE* file) {
  FileStamp stamp;
  struct stat st {};
  if (fstat(fileno(file), &st) == 0) {
    stamp.size = static_cast<int64_t>(st.st_size);
    stamp.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
  return stamp;
}

bool IsSameFile(FILE* file, const std::string& path) {
  struct stat a {};
  struct stat b {};
  return fstat(fileno(file), &a) == 0 && stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}
