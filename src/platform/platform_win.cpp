// Windows. Paths are UTF-8 inside the program and UTF-16 at the system's wide API; sizes and
// positions are 64-bit. Files are named by their volume and index, which every spelling of a
// name (case, short 8.3 names, hard links) leads to.

// clang-format off
#include <windows.h>  // first: the other system headers need its types
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/input_file.h"
#include "platform/output_file.h"
#include "platform/program_start.h"
#include "platform/temp_name.h"

namespace {

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

}  // namespace

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

uint64_t TempNameSeed() {
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<uint64_t>(now.QuadPart) ^ (uint64_t{GetCurrentProcessId()} << 40);
}

struct OutputFile::State {
  FILE* file = nullptr;
  bool in_place = false;
  bool existed = false;
  bool named = false;  // the temporary file exists (g_temp_path)
  std::wstring target;
  std::wstring temp;

  bool CreateTemporary();
  void Close();
};

bool OutputFile::State::CreateTemporary() {
  const std::wstring::size_type slash = target.find_last_of(L"\\/:");
  const std::wstring folder =
      slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
  for (int tries = 0; tries < kTempNameTries; ++tries) {
    char name[kTempNameLength + 1];
    MakeTempName(name);
    const std::wstring candidate = folder + std::wstring(name, name + kTempNameLength);
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

void OutputFile::State::Close() {
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

void OutputFile::StateDeleter::operator()(State* state) const {
  state->Close();
  delete state;
}

FILE* OutputFile::GetFile() const {
  return state_ ? state_->file : nullptr;
}

bool OutputFile::Create(const std::string& path) {
  Discard();
  state_.reset(new State());
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

bool OutputFile::AppendRange(FILE* in, int64_t offset, int64_t length) {
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

void OutputFile::StartFlush() {}

bool OutputFile::Commit() {
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
