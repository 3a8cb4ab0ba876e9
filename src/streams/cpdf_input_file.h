#ifndef QUILLTURN_SRC_STREAMS_CPDF_INPUT_FILE_H_
#define QUILLTURN_SRC_STREAMS_CPDF_INPUT_FILE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// The input file, read by position through a small cache of blocks. Every window and search
// reads through it, so the many short reads of a copy (a header here, an "endobj" there) cost
// a memory copy instead of a seek and a read each.
class CPdfInputFile {
 public:
  static constexpr size_t kBlockSize = size_t{8} * 1024;
  static constexpr size_t kBlocks = 16;
  // Reads at least this long bypass the cache.
  static constexpr size_t kDirectRead = size_t{8} * 1024;

  // Takes an open file over: it is closed with this object.
  static std::unique_ptr<CPdfInputFile> Adopt(FILE* file);
  // Borrowed: the file stays open after this object is gone.
  explicit CPdfInputFile(FILE* file);
  CPdfInputFile(const CPdfInputFile&) = delete;
  CPdfInputFile& operator=(const CPdfInputFile&) = delete;
  ~CPdfInputFile();

  // Copies up to count bytes from position; fewer at the end of the file.
  size_t ReadAt(int64_t position, uint8_t* out, size_t count);
  int64_t Size() const { return size_; }
  // Borrowed: for copying ranges of the file without reading them into memory.
  FILE* GetFile() const { return file_; }

 private:
  struct Block {
    int64_t start = -1;
    size_t length = 0;
    uint64_t last_use = 0;
    std::vector<uint8_t> data;
  };
  const Block* Fetch(int64_t block_start);
  size_t ReadDirect(int64_t position, uint8_t* out, size_t count);

  FILE* file_;
  bool owned_ = false;
  int64_t size_ = 0;
  uint64_t clock_ = 0;
  std::array<Block, kBlocks> blocks_;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_INPUT_FILE_H_
