// The output file on Linux: an unnamed temporary file (O_TMPFILE) where the file system has
// them, linked in through /proc when complete; bytes copied in the kernel (copy_file_range)
// where it can, the holes of a sparse input kept as holes.

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/kernel_copy_linux.h"
#include "platform/output_file.h"
#include "platform/temp_file_guard_linux.h"
#include "platform/temp_name.h"

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// The folder part of path with its slash ("" for a bare name) and the last part.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  const std::string::size_type slash = path.rfind('/');
  *folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows the symbolic links at path to the name they end at (which need not exist).
bool FollowLinks(const std::string& path, std::string* end) {
  std::string current = path;
  std::vector<char> target(4096 + 1);
  for (int links = 0;; ++links) {
    struct stat st {};
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *end = current;
      return true;
    }
    if (links == kMaxLinks) {
      return false;
    }
    const ssize_t n = readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
      return false;
    }
    const std::string link(target.data(), static_cast<size_t>(n));
    std::string folder;
    std::string name;
    SplitPath(current, &folder, &name);
    current = link[0] == '/' ? link : folder + link;
  }
}

// A socket is written by connecting to it as a stream; -1 when it takes no connection.
int ConnectSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof(address.sun_path)) {
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// An fsync that the kind of file does not support (a pipe, a terminal) is no failure.
bool SyncFile(int fd) {
  return fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

// A stdio file over fd, which it then owns; null (and fd closed) on failure.
FILE* StdioFile(int fd, const char* mode) {
  FILE* file = fdopen(fd, mode);
  if (!file) {
    close(fd);
  }
  return file;
}

// The old file's extended attributes, its access control list among them, on the new file,
// where the file system and the user's rights allow: one that cannot be set (a security label
// for an unprivileged user, a file system without them) is left behind.
void CopyExtendedAttributes(int folder, const std::string& name, int to) {
  const int from = openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (from < 0) {
    return;
  }
  ssize_t size = flistxattr(from, nullptr, 0);
  // One byte more than the list, which ends each name with a zero: a zero that ends it all.
  std::vector<char> names(size > 0 ? static_cast<size_t>(size) + 1 : 0, '\0');
  size = size > 0 ? flistxattr(from, names.data(), names.size() - 1) : 0;
  std::vector<char> value;
  for (ssize_t at = 0; at < size;) {
    const char* key = names.data() + at;
    at += static_cast<ssize_t>(std::strlen(key)) + 1;
    const ssize_t length = fgetxattr(from, key, nullptr, 0);
    if (length < 0) {
      continue;
    }
    value.resize(static_cast<size_t>(length));
    const ssize_t got = fgetxattr(from, key, value.data(), value.size());
    if (got >= 0) {
      (void)fsetxattr(to, key, value.data(), static_cast<size_t>(got), 0);
    }
  }
  close(from);
}

}  // namespace

uint64_t TempNameSeed() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 20) ^
         (static_cast<uint64_t>(getpid()) << 40);
}

struct OutputFile::State {
  FILE* file = nullptr;
  bool in_place = false;
  int folder = -1;       // the folder the output's name is in
  std::string name;      // the output's name in that folder
  bool unnamed = false;  // the temporary has no name until it is complete
  bool named = false;    // a named temporary file exists (TempFileGuard::Name())
  bool existed = false;
  struct stat old {};  // the file that is replaced, when existed
  mode_t new_mode = 0666;

  bool OpenInPlace(const std::string& path, const struct stat& st, int flags);
  bool CreateTemporary();
  bool LinkTemporary();
  void Close();
};

bool OutputFile::State::OpenInPlace(const std::string& path, const struct stat& st, int flags) {
  in_place = true;
  int fd = S_ISSOCK(st.st_mode) ? ConnectSocket(path)
                                : open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | flags);
  if (fd < 0) {
    // A socket that takes no connection may still be one of the standard streams (the path
    // is /dev/stdout, say): that stream is written.
    for (int standard = 0; standard <= 2 && fd < 0; ++standard) {
      struct stat sst {};
      if (fstat(standard, &sst) == 0 && SameInode(sst, st)) {
        fd = fcntl(standard, F_DUPFD_CLOEXEC, 3);
      }
    }
  }
  if (fd < 0) {
    return false;
  }
  file = StdioFile(fd, "wb");
  return file != nullptr;
}

bool OutputFile::State::CreateTemporary() {
  // Unnamed first: even SIGKILL then leaves nothing. It is linked in through /proc, so that
  // must be there too.
  int fd = openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd >= 0) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (access(proc.c_str(), F_OK) == 0) {
      unnamed = true;
    } else {
      close(fd);
      fd = -1;
    }
  }
  for (int tries = 0; fd < 0 && tries < kTempNameTries; ++tries) {
    const char* temp = TempFileGuard::Claim(folder);
    fd = openat(folder, temp, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
      TempFileGuard::Release();
      if (errno != EEXIST) {
        return false;
      }
    }
  }
  if (fd < 0) {
    return false;
  }
  named = !unnamed;
  file = StdioFile(fd, "wb");
  return file != nullptr;
}

bool OutputFile::State::LinkTemporary() {
  const std::string proc = "/proc/self/fd/" + std::to_string(fileno(file));
  for (int tries = 0; tries < kTempNameTries; ++tries) {
    const char* temp = TempFileGuard::Claim(folder);
    if (linkat(AT_FDCWD, proc.c_str(), folder, temp, AT_SYMLINK_FOLLOW) == 0) {
      named = true;
      return true;
    }
    TempFileGuard::Release();
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

void OutputFile::StateDeleter::operator()(State* state) const {
  state->Close();
  delete state;
}

FILE* OutputFile::GetFile() const {
  return state_ ? state_->file : nullptr;
}

void OutputFile::State::Close() {
  if (file) {
    std::fclose(file);
    file = nullptr;
  }
  if (named) {
    unlinkat(folder, TempFileGuard::Name(), 0);
    TempFileGuard::Release();
    named = false;
  }
  if (folder >= 0) {
    close(folder);
    folder = -1;
  }
}

bool OutputFile::Create(const std::string& path) {
  Discard();
  state_.reset(new State());
  State& s = *state_;
  TempFileGuard::InstallSignalHandlers();
  struct stat st {};
  const bool exists = stat(path.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) {
    return false;  // a link loop, a file used as a folder, no permission
  }
  if (exists && S_ISDIR(st.st_mode)) {
    return false;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    return s.OpenInPlace(path, st, 0);
  }
  std::string end;
  if (!FollowLinks(path, &end)) {
    return false;
  }
  struct stat end_st {};
  if (exists && (stat(end.c_str(), &end_st) != 0 || !SameInode(st, end_st))) {
    // A file with no name that leads to it (a deleted file that is the standard output):
    // only writing it in place reaches it.
    return s.OpenInPlace(path, st, O_TRUNC);
  }
  std::string folder;
  SplitPath(end, &folder, &s.name);
  if (s.name.empty() || s.name == "." || s.name == "..") {
    return false;
  }
  s.folder = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (s.folder < 0) {
    return false;
  }
  struct stat old {};
  if (fstatat(s.folder, s.name.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
    // A file that changed since it was looked at, or that the user may not write (a rename
    // would replace it all the same), is refused.
    if (!S_ISREG(old.st_mode) || faccessat(s.folder, s.name.c_str(), W_OK, AT_EACCESS) != 0) {
      return false;
    }
    // In a folder with the sticky bit only the file's owner, the folder's or root may replace
    // it: anyone else would fail at the rename, after all the work.
    struct stat folder_st {};
    const uid_t user = geteuid();
    if (fstat(s.folder, &folder_st) == 0 && (folder_st.st_mode & S_ISVTX) != 0 && user != 0 &&
        old.st_uid != user && folder_st.st_uid != user) {
      return false;
    }
    s.existed = true;
    s.old = old;
  }
  const mode_t mask = umask(0);
  umask(mask);
  s.new_mode = 0666 & ~mask;
  return s.CreateTemporary();
}

bool OutputFile::AppendRange(FILE* in, int64_t offset, int64_t length) {
  FILE* out = GetFile();
  if (!out || std::fflush(out) != 0) {
    return false;
  }
  const int in_fd = fileno(in);
  const int out_fd = fileno(out);
  off_t from = static_cast<off_t>(offset);
  int64_t left = length;
  // Into a device or a pipe the bytes go by plain writes.
  if (!state_->in_place && !CopyInKernel(in_fd, &from, out_fd, &left)) {
    return false;
  }
  constexpr int64_t kChunk = int64_t{64} * 1024;
  std::vector<char> buffer(static_cast<size_t>(std::min(left, kChunk)));
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

void OutputFile::StartFlush() {
  // Only a file of our own: a device or pipe has nothing to gain.
  if (!state_ || !state_->file || state_->in_place || std::fflush(state_->file) != 0) {
    return;
  }
  // Failures show at the fsync in Commit.
  (void)sync_file_range(fileno(state_->file), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool OutputFile::Commit() {
  if (!state_ || !state_->file) {
    return false;
  }
  State& s = *state_;
  const int fd = fileno(s.file);
  bool ok = std::fflush(s.file) == 0 && !std::ferror(s.file);
  if (s.in_place) {
    ok = ok && SyncFile(fd);
    ok = std::fclose(s.file) == 0 && ok;
    s.file = nullptr;
    return ok;
  }
  mode_t mode = s.new_mode;
  if (s.existed) {
    // Owner and group first: changing them may clear the set-id bits that the mode restores.
    if (fchown(fd, s.old.st_uid, s.old.st_gid) != 0) {
      (void)!fchown(fd, static_cast<uid_t>(-1), s.old.st_gid);
    }
    mode = s.old.st_mode & 07777;
  }
  ok = ok && fchmod(fd, mode) == 0;
  // After the mode, which would otherwise change an access control list's mask.
  if (ok && s.existed) {
    CopyExtendedAttributes(s.folder, s.name, fd);
  }
  ok = ok && SyncFile(fd);
  ok = ok && (s.named || s.LinkTemporary());
  ok = ok && renameat(s.folder, TempFileGuard::Name(), s.folder, s.name.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
  s.named = false;
  TempFileGuard::Release();
  // The new name is on the disk only once its folder is.
  ok = SyncFile(s.folder);
  ok = std::fclose(s.file) == 0 && ok;
  s.file = nullptr;
  s.Close();
  return ok;
}
