#include "streams/cpdf_file_stream.h"

#include "objects/cpdf_dictionary.h"

CPdfFileStream::CPdfFileStream(FILE* file, uint32_t start, uint32_t length, const CPdfObject& dict)
    : file_(file), start_(start), length_(length), buffer_pos_(start) {
  dict_.Assign(dict);
  Seek(static_cast<int32_t>(start), 0);
}

CPdfFileStream* CPdfFileStream::Create(FILE* file,
                                       uint32_t start,
                                       uint32_t length,
                                       const CPdfObject& dict) {
  return new CPdfFileStream(file, start, length, dict);
}

CPdfFileStream::~CPdfFileStream() = default;

void CPdfFileStream::Rewind() {
  Seek(static_cast<int32_t>(start_), 0);
}

bool CPdfFileStream::Refill() {
  buffer_pos_ += end_;
  read_ = end_ = 0;
  // The window end is computed in 64 bits so that a huge length cannot wrap to a small one.
  uint64_t window_end = static_cast<uint64_t>(start_) + length_;
  uint32_t count = kBufferSize;
  if (length_ != 0) {
    if (buffer_pos_ >= window_end) {
      return false;
    }
    if (buffer_pos_ + static_cast<uint64_t>(kBufferSize) > window_end) {
      count = static_cast<uint32_t>(window_end - buffer_pos_);
    }
  }
  if (std::fseek(file_, static_cast<long>(buffer_pos_), SEEK_SET) != 0) {
    return false;
  }
  end_ = static_cast<uint32_t>(std::fread(buffer_, 1, count, file_));
  return end_ > 0;
}

CPdfDictionary* CPdfFileStream::GetDictionary() {
  return dict_.IsKind(PDF_DICT) ? dict_.GetDict() : nullptr;
}

uint32_t CPdfFileStream::Tell() {
  return buffer_pos_ + read_;
}

void CPdfFileStream::Seek(int32_t position, int32_t origin) {
  if (origin == 2) {
    std::fseek(file_, 0, SEEK_END);
    long size = std::ftell(file_);
    long target = size - static_cast<long>(position);
    std::fseek(file_, target < 0 ? 0 : target, SEEK_SET);
  } else {
    std::fseek(file_, static_cast<long>(static_cast<uint32_t>(position)), SEEK_SET);
  }
  read_ = end_ = 0;
  long pos = std::ftell(file_);
  buffer_pos_ = pos < 0 ? 0 : static_cast<uint32_t>(pos);
}

void CPdfFileStream::ShiftStart(int32_t count) {
  start_ += static_cast<uint32_t>(count);
  read_ = end_ = 0;
  buffer_pos_ = start_;
}

CPdfStream* CPdfFileStream::CreateSubStream(uint32_t start,
                                            uint32_t length,
                                            const CPdfObject& dict) {
  return Create(file_, start, length, dict);
}
