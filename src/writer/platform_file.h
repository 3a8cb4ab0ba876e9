#ifndef QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_
#define QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The file operations that differ from one system to the next, behind one small interface;
// everything system-specific lives in platform_file.cpp.

// Readies the process (standard output passes bytes as they are) and returns the arguments of
// its command line as UTF-8, the program's name first. Paths are UTF-8 everywhere.
std::vector<std::string> StartProgram(int argc, char** argv);

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

// The output of a job. The path is resolved once: a chain of symbolic links is followed to the
// file it ends at. A regular file (or a new name) is written to a temporary file in the same
// folder that takes the file's place only when complete, keeping its permission bits (and
// owner and group where the process may set them); a device, FIFO or socket is written in
// place. Nothing of an unfinished output remains, also when the run is stopped by a signal.
// One output per process at a time.
class PlatformFile {
 public:
  PlatformFile();
  PlatformFile(const PlatformFile&) = delete;
  PlatformFile& operator=(const PlatformFile&) = delete;
  ~PlatformFile();  // discards an output that was not committed

  // Resolves path and opens the file to write. False, leaving nothing behind, when path is a
  // folder, a link loop or too long a chain, in a folder that does not exist or cannot be
  // written, or cannot be opened.
  bool Create(const std::string& path);
  // Valid between Create and Commit or Discard.
  FILE* GetFile() const;
  // Appends length bytes of in, from offset on: in the kernel where it can, through a buffer
  // where it cannot. False when the bytes could not be copied.
  bool AppendRange(FILE* in, int64_t offset, int64_t length);
  // Starts putting what was written so far on the disk without waiting for it, so that the
  // flush in Commit has little left to wait for. Where the system cannot, does nothing.
  void StartFlush();
  // Flushes the file to the disk and puts it at the path. False on any failure; the
  // temporary file is then gone and the path holds what it held before, except when only the
  // flush of the folder failed after the rename (the new file is then in place).
  bool Commit();
  // Closes and removes whatever Create began; never fails.
  void Discard();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

#endif  // QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_
