#include "streams/cpdf_input_file.h"

#include <sys/types.h>

#include <algorithm>
#include <cstring>

std::unique_ptr<CPdfInputFile> CPdfInputFile::Adopt(FILE* file) {
  auto input = std::make_unique<CPdfInputFile>(file);
  input->owned_ = true;
  return input;
}

// Positions go through fseeko and ftello: 64-bit wherever the build sets _FILE_OFFSET_BITS=64,
// as it does for every system (a long, what fseek takes, is 32 bits on Windows).
static_assert(sizeof(off_t) == 8, "file positions past 4 GiB need a 64-bit off_t");
CPdfInputFile::CPdfInputFile(FILE* file) : file_(file) {
  if (fseeko(file_, 0, SEEK_END) == 0) {
    const int64_t size = static_cast<int64_t>(ftello(file_));
    size_ = size < 0 ? 0 : size;
  }
}

CPdfInputFile::~CPdfInputFile() {
  if (owned_) {
    std::fclose(file_);
  }
}

size_t CPdfInputFile::ReadDirect(int64_t position, uint8_t* out, size_t count) {
  if (position < 0 || position >= size_ ||
      fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) {
    return 0;
  }
  return std::fread(out, 1, count, file_);
}

const CPdfInputFile::Block* CPdfInputFile::Fetch(int64_t block_start) {
  Block* victim = &blocks_[0];
  for (Block& block : blocks_) {
    if (block.start == block_start) {
      block.last_use = ++clock_;
      return &block;
    }
    if (block.last_use < victim->last_use) {
      victim = &block;
    }
  }
  victim->data.resize(kBlockSize);
  victim->length = ReadDirect(block_start, victim->data.data(), kBlockSize);
  victim->start = block_start;
  victim->last_use = ++clock_;
  return victim;
}

size_t CPdfInputFile::ReadAt(int64_t position, uint8_t* out, size_t count) {
  if (position < 0 || position >= size_ || count == 0) {
    return 0;
  }
  // Large reads (a whole image, say) go straight to the file and leave the cache alone.
  if (count >= kDirectRead) {
    return ReadDirect(position, out, count);
  }
  size_t done = 0;
  while (done < count) {
    const int64_t at = position + static_cast<int64_t>(done);
    const int64_t block_start = at - at % static_cast<int64_t>(kBlockSize);
    const Block* block = Fetch(block_start);
    const size_t offset = static_cast<size_t>(at - block_start);
    if (offset >= block->length) {
      break;
    }
    const size_t n = std::min(count - done, block->length - offset);
    std::memcpy(out + done, block->data.data() + offset, n);
    done += n;
  }
  return done;
}
