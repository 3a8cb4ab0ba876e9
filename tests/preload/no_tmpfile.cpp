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

bool TakesMode(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

int OpenAt(int folder, const char* path, int flags, mode_t mode) {
  if ((flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return static_cast<int>(syscall(SYS_openat, folder, path, flags, mode));
}

}  // namespace

#define DEFINE_OPENAT(name)                                           \
  extern "C" int name(int folder, const char* path, int flags, ...) { \
    mode_t mode = 0;                                                  \
    if (TakesMode(flags)) {                                           \
      va_list args;                                                   \
      va_start(args, flags);                                          \
      mode = va_arg(args, mode_t);                                    \
      va_end(args);                                                   \
    }                                                                 \
    return OpenAt(folder, path, flags, mode);                         \
  }

DEFINE_OPENAT(openat)
DEFINE_OPENAT(openat64)
