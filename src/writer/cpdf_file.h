#ifndef QUILLTURN_SRC_WRITER_CPDF_FILE_H_
#define QUILLTURN_SRC_WRITER_CPDF_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/input_file.h"
#include "platform/output_file.h"

class CPdfInputFile;

// One object written to the output, for its cross-reference table.
struct OutputEntry {
  int32_t num = 0;
  int32_t offset = 0;
  int32_t generation = 0;
};

// A job that reads one PDF and writes another. The output reaches its path only when the whole
// job has succeeded (PlatformFile says how), and only if the input did not change meanwhile.
class CPdfFile {
 public:
  CPdfFile();
  CPdfFile(const CPdfFile&) = delete;
  CPdfFile& operator=(const CPdfFile&) = delete;
  virtual ~CPdfFile();

  virtual bool ParseParams(int argc, char** argv) = 0;
  virtual bool Run() = 0;

 protected:
  // Opens the input path as the job's own handle; throws "Input file open error" when it is
  // not a regular file that can be read.
  void OpenInput();
  // Throws "Output file create error" when the output cannot be created.
  void CreateOutput();
  // Closes the output and puts it at the output path; throws on any failed write, and throws
  // "Input file open error" when the input changed since it was opened.
  void FinishOutput();
  // Closes and removes whatever output was begun; never throws.
  void DiscardOutput();

  // Every write is checked: a short write ends the job instead of leaving a damaged file.
  void WriteBytes(const void* bytes, size_t count);
  // Appends length bytes of the input from offset on. The copy is deferred so that ranges
  // that follow one another in the input go out in one piece, large ones from file to file
  // without being read in; the output position counts them at once.
  void AppendInputRange(int64_t offset, int64_t length);
  // Unpatched ranges at least this long are copied by the kernel where it can.
  static constexpr int64_t kCopyUnread = int64_t{16} * 1024;
  int32_t OutputPosition() const;
  void WriteHeader(const std::string& version);
  // One table; numbers apart by more than kMaxFreeRun start a new subsection instead of
  // being bridged by lines for free objects, so sparse numbers keep the table small.
  void WriteXRefTable();
  static constexpr int32_t kMaxFreeRun = 16;
  // entries: key -> the value's bytes as the input writes them.
  void WriteTrailer(int32_t xref_offset, const std::map<std::string, std::string>& entries);

  FILE* output_file_ = nullptr;
  std::unique_ptr<CPdfInputFile> input_file_;  // the job's own handle, for raw bytes
  std::vector<OutputEntry> output_entries_;    // by increasing number
  int32_t output_size_ = 0;                    // the trailer's /Size
  std::string input_path_;
  std::string output_path_;

 private:
  void WriteFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FlushInputRange();
  // Sets the disk to work on every few megabytes written, while the copy goes on.
  void StartFlushNow();
  static constexpr int64_t kFlushEvery = int64_t{8} * 1024 * 1024;

  PlatformFile output_;
  FileStamp input_stamp_;
  int64_t position_ = 0;
  int64_t flush_started_ = 0;   // where the output stood when the disk was last set to work
  int64_t pending_offset_ = 0;  // the input range not yet written
  int64_t pending_length_ = 0;
};

#endif  // QUILLTURN_SRC_WRITER_CPDF_FILE_H_
