// Loaded with LD_PRELOAD, makes the program see a file system without unnamed temporary files:
// openat with O_TMPFILE fails as it does there, everything else goes to the kernel unchanged.
// Both names are defined here, so neither may be renamed to the other.
#undef _FILE_OFFSET_BITS
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>

namespace {

int OpenAt(int folder, const char* path, int flags, va_list args) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
    mode = va_arg(args, mode_t);
  }
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return static_cast<int>(syscall(SYS_openat, folder, path, flags, mode));
}

}  // namespace

extern "C" int openat(int folder, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenAt(folder, path, flags, args);
  va_end(args);
  return fd;
}

extern "C" int openat64(int folder, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const int fd = OpenAt(folder, path, flags, args);
  va_end(args);
  return fd;
}
