// Loaded with LD_PRELOAD by the output tests, for failures no real condition brings about here:
// each call that QUILLTURN_FAIL names (a comma-separated list) fails with EIO, as on a failing
// disk, and "tmpfile" makes openat with O_TMPFILE fail as on a file system without unnamed
// temporary files. With QUILLTURN_RAISE (a signal number), fsync raises that signal, after
// writing the name the system shows for the file being synced to the file QUILLTURN_SEEN
// names: a run stopped at a known point, with its temporary file in place. Everything else goes
// to the system unchanged. Both names of openat and pread
// are defined here, so neither may be renamed to the other.
#undef _FILE_OFFSET_BITS
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool Fails(const char* call) {
  const char* list = std::getenv("QUILLTURN_FAIL");
  const size_t n = std::strlen(call);
  for (const char* p = list; p && (p = std::strstr(p, call)) != nullptr; p += n) {
    if ((p == list || p[-1] == ',') && (p[n] == ',' || p[n] == '\0')) {
      return true;
    }
  }
  return false;
}

bool TakesMode(int flags) {
  return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

int OpenAt(int folder, const char* path, int flags, mode_t mode) {
  if ((flags & O_TMPFILE) == O_TMPFILE && Fails("tmpfile")) {
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

// va_start in the macro sets args; the analyzer does not see it through glibc's macro.
DEFINE_OPENAT(openat)    // NOLINT(clang-analyzer-valist.Uninitialized)
DEFINE_OPENAT(openat64)  // NOLINT(clang-analyzer-valist.Uninitialized)

// The call as the next library defines it, unless the list names it (by its name without "64").
// A type and a parameter list cannot be parenthesised.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define FAILING(type, name, call, params, args)                            \
  extern "C" type name params {                                            \
    if (Fails(call)) {                                                     \
      errno = EIO;                                                         \
      return -1;                                                           \
    }                                                                      \
    return reinterpret_cast<type(*) params>(dlsym(RTLD_NEXT, #name)) args; \
  }
// NOLINTEND(bugprone-macro-parentheses)

FAILING(int, access, "access", (const char* path, int mode), (path, mode))
FAILING(int, fchmod, "fchmod", (int fd, mode_t mode), (fd, mode))
FAILING(int, renameat, "renameat", (int a, const char* b, int c, const char* d), (a, b, c, d))
FAILING(int, linkat, "linkat", (int a, const char* b, int c, const char* d, int e), (a, b, c, d, e))
FAILING(ssize_t, pread, "pread", (int fd, void* buf, size_t n, off_t at), (fd, buf, n, at))
FAILING(ssize_t, pread64, "pread", (int fd, void* buf, size_t n, off64_t at), (fd, buf, n, at))
FAILING(ssize_t,
        copy_file_range,
        "copy_file_range",
        (int in, loff_t* in_at, int out, loff_t* out_at, size_t n, unsigned flags),
        (in, in_at, out, out_at, n, flags))

extern "C" int fsync(int fd) {
  if (const char* signal = std::getenv("QUILLTURN_RAISE")) {
    char link[32];
    char name[4096];
    std::snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, name, sizeof(name));
    const int seen = OpenAt(AT_FDCWD, std::getenv("QUILLTURN_SEEN"), O_WRONLY | O_CREAT, 0600);
    if (n > 0 && seen >= 0 && write(seen, name, static_cast<size_t>(n)) == n) {
      close(seen);
      raise(std::atoi(signal));
    }
  }
  if (Fails("fsync")) {
    errno = EIO;
    return -1;
  }
  return reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"))(fd);
}
