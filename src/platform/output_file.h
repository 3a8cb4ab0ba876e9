#ifndef QUILLTURN_SRC_PLATFORM_OUTPUT_FILE_H_
#define QUILLTURN_SRC_PLATFORM_OUTPUT_FILE_H_

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// The output of a job. The path is resolved once: a chain of symbolic links is followed to the
// file it ends at. A regular file (or a new name) is written to a temporary file in the same
// folder that takes the file's place only when complete, keeping its permission bits (and
// owner and group where the process may set them); a device, FIFO or socket is written in
// place. Nothing of an unfinished output remains, also when the run is stopped by a signal.
// One output per process at a time. How it is done is each system's own (platform_linux.cpp,
// platform_win.cpp).
class OutputFile {
 public:
  OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();  // discards an output that was not committed

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
  // The open file and how it is written, each system's own; deleting it closes the file and
  // removes a temporary one that is still there.
  struct State;
  struct StateDeleter {
    void operator()(State* state) const;
  };
  std::unique_ptr<State, StateDeleter> state_;
};

#endif  // QUILLTURN_SRC_PLATFORM_OUTPUT_FILE_H_
