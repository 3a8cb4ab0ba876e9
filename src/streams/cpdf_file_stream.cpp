#include "streams/cpdf_file_stream.h"

#include <algorithm>
#include <cstring>

CPdfFileStream::CPdfFileStream(CPdfInputFile* file, uint32_t start, uint32_t length)
    : file_(file), start_(start), length_(length), buffer_pos_(start) {
  SeekTo(static_cast<int32_t>(start), 0);
}

CPdfFileStream* CPdfFileStream::Create(CPdfInputFile* file, uint32_t start, uint32_t length) {
  return new CPdfFileStream(file, start, length);
}

CPdfFileStream::~CPdfFileStream() = default;

void CPdfFileStream::Rewind() {
  Seek(static_cast<int32_t>(start_), 0);
}

bool CPdfFileStream::Refill() {
  buffer_pos_ += static_cast<uint32_t>(limit_ - buffer_);
  EmptyBuffer();
  limit_ = buffer_ + ReadInto(0);
  return limit_ > buffer_;
}

bool CPdfFileStream::ExtendBuffer() {
  const size_t kept = static_cast<size_t>(limit_ - next_);
  const uint32_t from = Tell();
  if (kept * 2 > RoomSize()) {
    std::vector<uint8_t> larger(2 * kept);
    std::memcpy(larger.data(), next_, kept);
    large_.swap(larger);
  } else if (kept > 0) {
    std::memmove(Room(), next_, kept);
  }
  buffer_ = Room();
  buffer_pos_ = from + static_cast<uint32_t>(kept);
  const size_t got = ReadInto(kept);
  buffer_pos_ = from;
  next_ = buffer_;
  limit_ = buffer_ + kept + got;
  return got > 0;
}

size_t CPdfFileStream::ReadInto(size_t kept) {
  // The window end is computed in 64 bits so that a huge length cannot wrap to a small one.
  const uint64_t window_end = static_cast<uint64_t>(start_) + length_;
  uint64_t count = RoomSize() - kept;
  if (length_ != 0) {
    if (buffer_pos_ >= window_end) {
      return 0;
    }
    count = std::min<uint64_t>(count, window_end - buffer_pos_);
  }
  return file_->ReadAt(buffer_pos_, buffer_ + kept, static_cast<size_t>(count));
}

uint32_t CPdfFileStream::Tell() {
  return buffer_pos_ + static_cast<uint32_t>(next_ - buffer_);
}

void CPdfFileStream::Seek(int32_t position, int32_t origin) {
  SeekTo(position, origin);
}

void CPdfFileStream::SeekTo(int32_t position, int32_t origin) {
  if (origin == 2) {
    // A distance back from the end, no earlier than the start of the file.
    const int64_t target = file_->Size() - static_cast<int64_t>(position);
    buffer_pos_ = target < 0 ? 0 : static_cast<uint32_t>(target);
  } else {
    buffer_pos_ = static_cast<uint32_t>(position);
  }
  EmptyBuffer();
}

void CPdfFileStream::ShiftStart(int32_t count) {
  start_ += static_cast<uint32_t>(count);
  EmptyBuffer();
  buffer_pos_ = start_;
}

CPdfStream* CPdfFileStream::CreateSubStream(uint32_t start, uint32_t length) {
  return Create(file_, start, length);
}
