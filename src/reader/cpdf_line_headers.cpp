#include "reader/cpdf_line_headers.h"

#include "objects/pdf_char_class.h"
#include "streams/cpdf_input_file.h"

namespace {

constexpr size_t kPiece = size_t{64} * 1024;

}  // namespace

CPdfLineHeaders::CPdfLineHeaders(CPdfInputFile* file)
    : file_(file), probe_(file), size_(file ? static_cast<uint64_t>(file->Size()) : 0) {}

uint64_t CPdfLineHeaders::After(uint64_t from) {
  if (from >= asked_ && from < found_) {
    return found_;
  }
  asked_ = from;
  uint64_t at = from;
  for (int c = ByteAt(at); c >= 0; c = ByteAt(at)) {
    ++at;
    if (c != '\n' && c != '\r') {
      continue;
    }
    int d = ByteAt(at);
    while (d >= 0 && kPdfChars.cls[d] == kPdfWhite) {
      d = ByteAt(++at);
    }
    int32_t num = 0;
    int32_t gen = 0;
    bool spaced = false;
    if (d >= '0' && d <= '9' && probe_.At(static_cast<int64_t>(at), &num, &gen, &spaced) &&
        spaced) {
      found_ = at;
      return found_;
    }
  }
  found_ = size_;
  return found_;
}

int CPdfLineHeaders::ByteAt(uint64_t position) {
  if (position - piece_start_ >= piece_.size()) {
    if (position >= size_) {
      return -1;
    }
    piece_.resize(kPiece);
    piece_start_ = position;
    piece_.resize(file_->ReadAt(static_cast<int64_t>(position), piece_.data(), kPiece));
    if (piece_.empty()) {
      return -1;
    }
  }
  return piece_[position - piece_start_];
}
