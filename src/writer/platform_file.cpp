#include "writer/platform_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32

// Windows. Paths are UTF-8 inside the program and UTF-16 at the system's wide API; sizes and
// positions are 64-bit. Files are named by their volume and index, which every spelling of a
// name (case, short 8.3 names, hard links) leads to.

// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <vector>

namespace {

constexpr int kNameTries = 100;
// The longest path the wide API takes.
constexpr size_t kMaxPath = 32768;

// The named temporary file for the console control handler.
std::atomic<bool> g_temp_named{false};
wchar_t g_temp_path[kMaxPath];

BOOL WINAPI RemoveTemporaryAndStop(DWORD /*event*/) {
  if (g_temp_named.load()) {
    // The file is open with FILE_SHARE_DELETE: it goes once the process has ended.
    DeleteFileW(g_temp_path);
  }
  return FALSE;  // the default action follows: the process ends
}

// Ctrl-C, Ctrl-Break and a closed console window remove the temporary file first.
void InstallControlHandler() {
  static bool installed = false;
  if (!installed) {
    installed = SetConsoleCtrlHandler(RemoveTemporaryAndStop, TRUE) != 0;
  }
}

std::wstring Wide(const std::string& text) {
  if (text.empty() || text.size() >= kMaxPath) {
    return std::wstring();
  }
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (n <= 0) {
    return std::wstring();  // not UTF-8: it names no file
  }
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) {
    return std::string();
  }
  std::string narrow(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  narrow.pop_back();  // the terminating zero
  return narrow;
}

// The absolute form of path that the wide API takes at any length ("\\?\C:\..."; Wine's
// ReplaceFileW also wants absolute names); device, UNC and such names stay as they are. Empty
// when path names nothing.
std::wstring FullPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  std::vector<wchar_t> full(kMaxPath);
  const DWORD n = wide.empty() ? 0 : GetFullPathNameW(wide.c_str(), kMaxPath, full.data(), nullptr);
  if (n == 0 || n >= kMaxPath) {
    return std::wstring();
  }
  const std::wstring absolute(full.data(), n);
  return absolute.compare(0, 2, L"\\\\") == 0 ? absolute : L"\\\\?\\" + absolute;
}

HANDLE HandleOf(FILE* file) {
  // The C runtime keeps its handles as integers.
  return reinterpret_cast<HANDLE>(  // NOLINT(performance-no-int-to-ptr)
      _get_osfhandle(_fileno(file)));
}

// A stdio file over handle, which it then owns; null (and the handle closed) on failure.
FILE* StdioFile(HANDLE handle, int flags, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(fd, mode);
  if (!file) {
    _close(fd);
  }
  return file;
}

bool Identify(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) {
  return handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, info) != 0;
}

// A fresh temporary name: ".qt" and eight letters or digits.
std::wstring MakeTempName() {
  static const wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
  static uint64_t state = 0;
  if (state == 0) {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    state = static_cast<uint64_t>(now.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 40) ^
            0x9E3779B97F4A7C15ull;
  }
  std::wstring name = L".qt";
  for (int i = 0; i < 8; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    name += kLetters[state % (sizeof(kLetters) / sizeof(wchar_t) - 1)];
  }
  return name;
}

}  // namespace

struct PlatformFile::State {
  FILE* file = nullptr;
  bool in_place = false;
  bool existed = false;
  bool named = false;  // the temporary file exists (g_temp_path)
  std::wstring target;
  std::wstring temp;

  bool CreateTemporary();
  void Close();
};

bool PlatformFile::State::CreateTemporary() {
  const std::wstring::size_type slash = target.find_last_of(L"\\/:");
  const std::wstring folder =
      slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
  for (int tries = 0; tries < kNameTries; ++tries) {
    const std::wstring candidate = folder + MakeTempName();
    if (candidate.size() >= kMaxPath) {
      return false;
    }
    g_temp_named = false;
    candidate.copy(g_temp_path, candidate.size());
    g_temp_path[candidate.size()] = L'\0';
    g_temp_named = true;
    // Shared for deleting, so the control handler can remove it while it is open.
    HANDLE h = CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      g_temp_named = false;
      if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) {
        continue;
      }
      return false;
    }
    temp = candidate;
    named = true;
    file = StdioFile(h, 0, "wb");
    return file != nullptr;
  }
  return false;
}

void PlatformFile::State::Close() {
  if (file) {
    std::fclose(file);
    file = nullptr;
  }
  if (named) {
    DeleteFileW(temp.c_str());
    g_temp_named = false;
    named = false;
  }
}

bool PlatformFile::Create(const std::string& path) {
  Discard();
  state_ = std::make_unique<State>();
  State& s = *state_;
  InstallControlHandler();
  const std::wstring wide = Wide(path);
  s.target = FullPath(path);
  if (wide.empty() || s.target.empty()) {
    return false;
  }
  const DWORD attributes = GetFileAttributesW(s.target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  // A device (NUL, CON, a COM port) or a pipe is written in place.
  HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    if (GetFileType(h) != FILE_TYPE_DISK) {
      s.in_place = true;
      s.file = StdioFile(h, 0, "wb");
      return s.file != nullptr;
    }
    CloseHandle(h);
  }
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // An existing file is named by where its name leads, through any links: that file is
    // replaced, beside itself, and the links stay. One that cannot be written or replaced now
    // (write-protected, or held open by a program that does not share it) is refused before
    // any work: replacing needs the right to delete it.
    s.existed = true;
    HANDLE end = CreateFileW(s.target.c_str(), GENERIC_WRITE | DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    std::vector<wchar_t> final_path(kMaxPath);
    DWORD length = 0;
    if (Identify(end, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
      length = GetFinalPathNameByHandleW(end, final_path.data(), kMaxPath, VOLUME_NAME_DOS);
    }
    if (end != INVALID_HANDLE_VALUE) {
      CloseHandle(end);
    }
    if (length == 0 || length >= kMaxPath) {
      return false;
    }
    s.target.assign(final_path.data(), length);
  }
  return s.CreateTemporary();
}

bool PlatformFile::AppendRange(FILE* in, int64_t offset, int64_t length) {
  // Through a buffer; the input's other readers seek before every read of theirs.
  FILE* out = GetFile();
  if (!out || fseeko(in, static_cast<off_t>(offset), SEEK_SET) != 0) {
    return false;
  }
  constexpr int64_t kChunk = int64_t{64} * 1024;
  std::vector<char> buffer(static_cast<size_t>(std::min(length, kChunk)));
  for (int64_t left = length; left > 0;) {
    const size_t want = static_cast<size_t>(std::min(left, kChunk));
    if (std::fread(buffer.data(), 1, want, in) != want ||
        std::fwrite(buffer.data(), 1, want, out) != want) {
      return false;
    }
    left -= static_cast<int64_t>(want);
  }
  return true;
}

void PlatformFile::StartFlush() {}

bool PlatformFile::Commit() {
  if (!state_ || !state_->file) {
    return false;
  }
  State& s = *state_;
  const HANDLE handle = HandleOf(s.file);
  bool ok = std::fflush(s.file) == 0 && !std::ferror(s.file);
  if (s.in_place) {
    ok = std::fclose(s.file) == 0 && ok;
    s.file = nullptr;
    return ok;
  }
  ok = ok && FlushFileBuffers(handle) != 0;
  ok = std::fclose(s.file) == 0 && ok;
  s.file = nullptr;
  // An existing file is replaced keeping its attributes, security and short name; a new one
  // is moved in. Both reach the disk before they return.
  ok = ok && (s.existed ? ReplaceFileW(s.target.c_str(), s.temp.c_str(), nullptr,
                                       REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) != 0
                        : MoveFileExW(s.temp.c_str(), s.target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0);
  if (!ok) {
    Discard();
    return false;
  }
  s.named = false;
  g_temp_named = false;
  return true;
}

FILE* OpenInputFile(const std::string& path) {
  // Others may read the input meanwhile, not change it.
  HANDLE h = CreateFileW(FullPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(h) != FILE_TYPE_DISK || !Identify(h, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(h);
    return nullptr;
  }
  return StdioFile(h, _O_RDONLY, "rb");
}

FileStamp GetFileStamp(FILE* file) {
  FileStamp stamp;
  BY_HANDLE_FILE_INFORMATION info{};
  if (Identify(HandleOf(file), &info)) {
    stamp.size = static_cast<int64_t>((uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
    stamp.modified = static_cast<int64_t>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                          info.ftLastWriteTime.dwLowDateTime);
  }
  return stamp;
}

bool IsSameFile(FILE* file, const std::string& path) {
  BY_HANDLE_FILE_INFORMATION a{};
  BY_HANDLE_FILE_INFORMATION b{};
  HANDLE h = CreateFileW(FullPath(path).c_str(), FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  const bool known = Identify(h, &b);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
  }
  return known && Identify(HandleOf(file), &a) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

std::vector<std::string> StartProgram(int argc, char** argv) {
  // Bytes reach standard output as they are, without "\n" becoming "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  // The C runtime's argv is in the ANSI code page, which cannot hold every name.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) {
    return std::vector<std::string>(argv, argv + argc);
  }
  std::vector<std::string> args;
  args.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    args.push_back(Narrow(wide[i]));
  }
  LocalFree(wide);
  return args;
}

#else  // POSIX

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
constexpr int kNameTries = 100;
// ".qt" and eight letters or digits: short enough for any folder that takes the output's name.
constexpr size_t kTempNameLength = 11;

// The named temporary file for the signal handler: its folder and its name in that folder.
volatile sig_atomic_t g_temp_folder = -1;
volatile sig_atomic_t g_temp_named = 0;
char g_temp_name[kTempNameLength + 1];

extern "C" void RemoveTemporaryAndStop(int sig) {
  if (g_temp_named) {
    unlinkat(g_temp_folder, g_temp_name, 0);
  }
  signal(sig, SIG_DFL);
  raise(sig);  // delivered with the default action once the handler returns
}

// Ctrl-C, a stopped batch job or a closed terminal remove the named temporary file first; a
// signal the caller chose to ignore stays ignored. A file size limit makes the write fail
// instead of ending the process without a word.
void InstallSignalHandlers() {
  static bool installed = false;
  if (installed) {
    return;
  }
  installed = true;
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction old {};
    if (sigaction(sig, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action {};
    action.sa_handler = RemoveTemporaryAndStop;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }
  signal(SIGXFSZ, SIG_IGN);
}

// Writes a fresh temporary name into g_temp_name.
void MakeTempName() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static uint64_t state = 0;
  if (state == 0) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    state = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(now.tv_sec) << 20) ^
            (static_cast<uint64_t>(getpid()) << 40) ^ 0x9E3779B97F4A7C15ull;
  }
  g_temp_name[0] = '.';
  g_temp_name[1] = 'q';
  g_temp_name[2] = 't';
  for (size_t i = 3; i < kTempNameLength; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    g_temp_name[i] = kLetters[state % (sizeof(kLetters) - 1)];
  }
  g_temp_name[kTempNameLength] = '\0';
}

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

}  // namespace

struct PlatformFile::State {
  FILE* file = nullptr;
  bool in_place = false;
  int folder = -1;       // the folder the output's name is in
  std::string name;      // the output's name in that folder
  bool unnamed = false;  // the temporary has no name until it is complete
  bool named = false;    // a named temporary file exists (g_temp_name)
  bool existed = false;
  struct stat old {};  // the file that is replaced, when existed
  mode_t new_mode = 0666;

  bool OpenInPlace(const std::string& path, const struct stat& st, int flags);
  bool CreateTemporary();
  bool LinkTemporary();
  void Close();
};

bool PlatformFile::State::OpenInPlace(const std::string& path, const struct stat& st, int flags) {
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
  file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    return false;
  }
  return true;
}

bool PlatformFile::State::CreateTemporary() {
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
  for (int tries = 0; fd < 0 && tries < kNameTries; ++tries) {
    MakeTempName();
    g_temp_folder = folder;
    g_temp_named = 1;
    fd = openat(folder, g_temp_name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
      g_temp_named = 0;
      if (errno != EEXIST) {
        return false;
      }
    }
  }
  if (fd < 0) {
    return false;
  }
  named = !unnamed;
  file = fdopen(fd, "wb");
  if (!file) {
    close(fd);
    return false;
  }
  return true;
}

bool PlatformFile::State::LinkTemporary() {
  const std::string proc = "/proc/self/fd/" + std::to_string(fileno(file));
  for (int tries = 0; tries < kNameTries; ++tries) {
    MakeTempName();
    g_temp_folder = folder;
    g_temp_named = 1;
    if (linkat(AT_FDCWD, proc.c_str(), folder, g_temp_name, AT_SYMLINK_FOLLOW) == 0) {
      named = true;
      return true;
    }
    g_temp_named = 0;
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

void PlatformFile::State::Close() {
  if (file) {
    std::fclose(file);
    file = nullptr;
  }
  if (named) {
    unlinkat(folder, g_temp_name, 0);
    g_temp_named = 0;
    named = false;
  }
  if (folder >= 0) {
    close(folder);
    folder = -1;
  }
}

namespace {

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

bool PlatformFile::Create(const std::string& path) {
  Discard();
  state_ = std::make_unique<State>();
  State& s = *state_;
  InstallSignalHandlers();
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

bool PlatformFile::AppendRange(FILE* in, int64_t offset, int64_t length) {
  FILE* out = GetFile();
  if (!out || std::fflush(out) != 0) {
    return false;
  }
  const int in_fd = fileno(in);
  const int out_fd = fileno(out);
  off_t from = static_cast<off_t>(offset);
  int64_t left = length;
  // Into a device or a pipe the bytes go by plain writes.
  while (!state_->in_place && left > 0) {
    const ssize_t n = copy_file_range(in_fd, &from, out_fd, nullptr, static_cast<size_t>(left), 0);
    if (n <= 0) {
      break;  // not supported here, or the end of the input: finish with plain reads
    }
    left -= n;
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

void PlatformFile::StartFlush() {
  // Only a file of our own: a device or pipe has nothing to gain.
  if (!state_ || !state_->file || state_->in_place || std::fflush(state_->file) != 0) {
    return;
  }
#ifdef __linux__
  // Failures show at the fsync in Commit.
  (void)sync_file_range(fileno(state_->file), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool PlatformFile::Commit() {
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
  ok = ok && renameat(s.folder, g_temp_name, s.folder, s.name.c_str()) == 0;
  if (!ok) {
    Discard();
    return false;
  }
  s.named = false;
  g_temp_named = 0;
  // The new name is on the disk only once its folder is.
  ok = SyncFile(s.folder);
  ok = std::fclose(s.file) == 0 && ok;
  s.file = nullptr;
  s.Close();
  return ok;
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
  return fstat(fileno(file), &a) == 0 && stat(path.c_str(), &b) == 0 && SameInode(a, b);
}

std::vector<std::string> StartProgram(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

#endif  // _WIN32

// The same on every system: each State above keeps the open file and how it is written.
PlatformFile::PlatformFile() = default;

PlatformFile::~PlatformFile() {
  Discard();
}

void PlatformFile::Discard() {
  if (state_) {
    state_->Close();
    state_.reset();
  }
}

FILE* PlatformFile::GetFile() const {
  return state_ ? state_->file : nullptr;
}

