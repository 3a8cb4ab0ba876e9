#include "streams/cpdf_file_stream.h"

#include <algorithm>
#include <cstring>

CPdfFileStream::CPdfFileStream(CPdfInputFile* file, PdfOffset start, PdfOffset length)
    : file_(file), start_(start), length_(length), buffer_pos_(start) {
  SeekTo(start, 0);
}

CPdfFileStream* CPdfFileStream::Create(CPdfInputFile* file, PdfOffset start, PdfOffset length) {
  return new CPdfFileStream(file, start, length);
}

CPdfFileStream::~CPdfFileStream() = default;

void CPdfFileStream::Rewind() {
  Seek(start_, 0);
}

bool CPdfFileStream::Refill() {
  buffer_pos_ += static_cast<PdfOffset>(limit_ - buffer_);
  EmptyBuffer();
  limit_ = buffer_ + ReadInto(0);
  return limit_ > buffer_;
}

bool CPdfFileStream::ExtendBuffer() {
  const size_t kept = static_cast<size_t>(limit_ - next_);
  const PdfOffset from = Tell();
  if (kept * 2 > RoomSize()) {
    std::vector<uint8_t> larger(2 * kept);
    std::memcpy(larger.data(), next_, kept);
    large_.swap(larger);
  } else if (kept > 0) {
    std::memmove(Room(), next_, kept);
  }
  buffer_ = Room();
  buffer_pos_ = from + static_cast<PdfOffset>(kept);
  const size_t got = ReadInto(kept);
  buffer_pos_ = from;
  next_ = buffer_;
  limit_ = buffer_ + kept + got;
  return got > 0;
}

size_t CPdfFileStream::ReadInto(size_t kept) {
  // A window that would run past 64 bits runs to the end of the file.
  const PdfOffset window_end = length_ > UINT64_MAX - start_ ? UINT64_MAX : start_ + length_;
  uint64_t count = RoomSize() - kept;
  if (length_ != 0) {
    if (buffer_pos_ >= window_end) {
      return 0;
    }
    count = std::min<uint64_t>(count, window_end - buffer_pos_);
  }
  // Past the largest signed position there is no file: nothing to read.
  if (buffer_pos_ > INT64_MAX) {
    return 0;
  }
  return file_->ReadAt(static_cast<int64_t>(buffer_pos_), buffer_ + kept,
                       static_cast<size_t>(count));
}

PdfOffset CPdfFileStream::Tell() {
  return buffer_pos_ + static_cast<PdfOffset>(next_ - buffer_);
}

void CPdfFileStream::Seek(PdfOffset position, int32_t origin) {
  SeekTo(position, origin);
}

void CPdfFileStream::SeekTo(PdfOffset position, int32_t origin) {
  if (origin == 2) {
    // A distance back from the end, no earlier than the start of the file.
    const PdfOffset size = static_cast<PdfOffset>(file_->Size());
    buffer_pos_ = position < size ? size - position : 0;
  } else {
    buffer_pos_ = position;
  }
  EmptyBuffer();
}

void CPdfFileStream::ShiftStart(int32_t count) {
  start_ += static_cast<PdfOffset>(count);
  EmptyBuffer();
  buffer_pos_ = start_;
}

CPdfStream* CPdfFileStream::CreateSubStream(PdfOffset start, PdfOffset length) {
  return Create(file_, start, length);
}
