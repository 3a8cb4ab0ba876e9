#ifndef QUILLTURN_SRC_WRITER_CPDF_OUTPUT_H_
#define QUILLTURN_SRC_WRITER_CPDF_OUTPUT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/input_file.h"
#include "platform/output_file.h"
#include "streams/pdf_offset.h"

class CPdfInputFile;

// The file a job writes: its bytes, the table of the objects in it and the trailer. It reaches
// its path only when finished (OutputFile says how); every failure throws its message.
class CPdfOutput {
 public:
  CPdfOutput();
  CPdfOutput(const CPdfOutput&) = delete;
  CPdfOutput& operator=(const CPdfOutput&) = delete;
  ~CPdfOutput();  // discards an output that was not finished

  // Throws "Output file create error" when the output cannot be created.
  void Create(const std::string& path);
  // Closes the output and puts it at its path; throws on any failed write.
  void Finish();
  // Closes and removes whatever output was begun; never throws.
  void Discard();

  // Every write is checked: a short write ends the job instead of leaving a damaged file.
  void WriteBytes(const void* bytes, size_t count);
  // Appends length bytes of input from offset on. The copy is deferred so that ranges that
  // follow one another in the input go out in one piece, large ones from file to file without
  // being read in; the output position counts them at once. The input must stay open until the
  // next write or Finish.
  void AppendInputRange(CPdfInputFile& input, int64_t offset, int64_t length);
  // Unpatched ranges at least this long are copied by the kernel where it can.
  static constexpr int64_t kCopyUnread = int64_t{16} * 1024;
  // A classic table's line holds ten digits of offset: no output may be larger than this.
  static constexpr int64_t kMaxSize = 9999999999;
  // Throws "Output file is too large" past kMaxSize.
  int64_t OutputPosition() const;
  // Appends the first length bytes of input at once, a few megabytes at a time, setting the
  // disk to work on each piece while the next is copied: what comes after can be worked out
  // while the disk writes.
  void AppendFileNow(CPdfInputFile& input, int64_t length);
  // While measuring, writes only move the position: a job runs every check of the copy without
  // writing it. Turning it off forgets what was measured: the position is back where it was.
  void SetMeasuring(bool measuring);

  void WriteHeader(const std::string& version);
  // Lists object num, under generation, as starting at the output position.
  void AddEntry(int32_t num, int32_t generation);
  // Room for count entries at once, so that a long table is not copied as it grows.
  void ReserveEntries(size_t count) { entries_.reserve(count); }
  // One table of the entries added, up to /Size size at least; returns the /Size it ends at.
  // Numbers apart by more than kMaxFreeRun start a new subsection instead of being bridged by
  // lines for free objects, so sparse numbers keep the table small.
  int32_t WriteXRefTable(int32_t size);
  static constexpr int32_t kMaxFreeRun = 16;
  // entries: key -> the value's bytes as the input writes them.
  void WriteTrailer(int32_t size,
                    int64_t xref_offset,
                    const std::map<std::string, std::string>& entries);

 private:
  // A line of the table in 12 bytes, as many as with 32-bit offsets: the offset (at most ten
  // digits, 34 bits) and the generation share 64 bits. A generation past what a line holds is
  // kept as kNoGeneration, which no line can hold either.
  static constexpr int kGenerationBits = 20;
  static constexpr int32_t kNoGeneration = (1 << kGenerationBits) - 1;
#pragma pack(push, 4)
  struct Entry {
    int32_t num = 0;
    uint64_t place = 0;
    Entry(int32_t n, int64_t offset, int32_t generation)
        : num(n),
          place(static_cast<uint64_t>(offset) << kGenerationBits |
                static_cast<uint64_t>(generation < 0 || generation > kNoGeneration ? kNoGeneration
                                                                                   : generation)) {}
    int64_t Offset() const { return static_cast<int64_t>(place >> kGenerationBits); }
    int32_t Generation() const { return static_cast<int32_t>(place & kNoGeneration); }
  };
#pragma pack(pop)

  void WriteFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FlushInputRange();
  // Sets the disk to work on every few megabytes written, while the copy goes on.
  void StartFlushNow();
  static constexpr int64_t kFlushEvery = int64_t{8} * 1024 * 1024;

  static constexpr size_t kBufferSize = size_t{256} * 1024;

  std::vector<char> buffer_;  // the output file's buffer: declared first, it outlives the file
  OutputFile output_;
  FILE* output_file_ = nullptr;
  std::vector<Entry> entries_;  // by increasing number, but for members of object streams
  int64_t position_ = 0;
  int64_t flush_started_ = 0;  // where the output stood when the disk was last set to work
  CPdfInputFile* pending_input_ = nullptr;  // the input range not yet written
  int64_t pending_offset_ = 0;
  int64_t pending_length_ = 0;
  bool measuring_ = false;
  int64_t measured_from_ = 0;  // the position when measuring began
};

#endif  // QUILLTURN_SRC_WRITER_CPDF_OUTPUT_H_
