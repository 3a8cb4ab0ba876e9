#ifndef QUILLTURN_SRC_PLATFORM_INPUT_FILE_H_
#define QUILLTURN_SRC_PLATFORM_INPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The input file as the system sees it. Each system's source (platform_linux.cpp,
// platform_win.cpp) defines these.

// What an open file looked like, to notice another program changing it during a run.
struct FileStamp {
  int64_t size = -1;
  int64_t modified = 0;  // modification time in the finest unit the system keeps
  bool operator==(const FileStamp& other) const {
    return size == other.size && modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Opens path for reading as bytes. Only a regular file is accepted: a FIFO, a device or a
// folder is refused at once, without waiting for a writer. Null on failure.
FILE* OpenInputFile(const std::string& path);

// The size and modification time of an open file; size -1 when they cannot be had.
FileStamp GetFileStamp(FILE* file);

// True when path, through any links, leads to the open file (also a hard link to it).
bool IsSameFile(FILE* file, const std::string& path);

#endif  // QUILLTURN_SRC_PLATFORM_INPUT_FILE_H_
