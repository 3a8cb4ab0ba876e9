#ifndef QUILLTURN_SRC_STREAMS_PDF_FILE_SOURCE_H_
#define QUILLTURN_SRC_STREAMS_PDF_FILE_SOURCE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "streams/cpdf_input_file.h"

// The input file as the lexer's source, read front to back in large pieces: the object map's
// pass. Stepping over a stream body moves the position without reading it.
class PdfFileSource {
 public:
  static constexpr size_t kPiece = size_t{64} * 1024;

  PdfFileSource(CPdfInputFile* file, uint64_t start) : file_(file), base_(start) {}

  // No byte at or past limit is given until the limit is lifted (UINT64_MAX).
  void SetLimit(uint64_t limit) {
    limit_ = limit;
    end_ = buffer_.data() + buffer_.size();
    if (limit_ < base_ + buffer_.size()) {
      end_ = buffer_.data() + (limit_ > base_ ? limit_ - base_ : 0);
      at_ = std::min(at_, end_);
    }
  }

  int Next() { return at_ < end_ ? *at_++ : Refill(true); }
  int Peek() { return at_ < end_ ? *at_ : Refill(false); }
  uint64_t Tell() const { return base_ + static_cast<uint64_t>(at_ - buffer_.data()); }
  // The bytes held and not yet read, for the lexer's loops over memory.
  void Window(const uint8_t** next, const uint8_t** end) const {
    *next = at_;
    *end = end_;
  }
  void Advance(const uint8_t* next) { at_ = next; }
  // Keeps the bytes from *from on at the start of the buffer and reads the next piece after
  // them; a token longer than the buffer doubles it.
  bool Extend(const uint8_t** from, const uint8_t** end) {
    const uint64_t held_end = TellAt(*end);
    if (held_end >= limit_) {
      return false;
    }
    const size_t keep = static_cast<size_t>(*end - *from);
    base_ = TellAt(*from);
    if (keep > 0) {
      std::memmove(buffer_.data(), *from, keep);
    }
    const size_t room = std::max(kPiece, 2 * keep);
    buffer_.resize(room);
    const size_t want = static_cast<size_t>(std::min<uint64_t>(room - keep, limit_ - held_end));
    const size_t got = file_->ReadAt(static_cast<int64_t>(held_end), buffer_.data() + keep, want);
    buffer_.resize(keep + got);
    at_ = *from = buffer_.data();
    end_ = *end = at_ + buffer_.size();
    return got > 0;
  }
  // The position of a byte in the window.
  uint64_t TellAt(const uint8_t* at) const {
    return base_ + static_cast<uint64_t>(at - buffer_.data());
  }
  void Seek(uint64_t position) {
    if (position >= base_ && position <= base_ + buffer_.size()) {
      at_ = buffer_.data() + (position - base_);
    } else {
      base_ = position;
      buffer_.clear();
      at_ = end_ = buffer_.data();
    }
  }
  // Reads on past the bytes accept(c) takes, a window at a time.
  template <typename Accept>
  void SkipWhile(const Accept& accept) {
    for (;;) {
      if (at_ == end_ && Peek() < 0) {
        return;
      }
      const uint8_t* p = at_;
      while (p < end_ && accept(*p)) {
        ++p;
      }
      at_ = p;
      if (p < end_) {
        return;
      }
    }
  }
  // The bytes [begin, end) when they are still held, else null.
  const uint8_t* View(uint64_t begin, uint64_t end) const {
    return begin >= base_ && end <= base_ + buffer_.size() && begin <= end
               ? buffer_.data() + (begin - base_)
               : nullptr;
  }

 private:
  int Refill(bool consume) {
    base_ = Tell();
    const size_t want =
        limit_ > base_ ? static_cast<size_t>(std::min<uint64_t>(kPiece, limit_ - base_)) : 0;
    buffer_.resize(kPiece);
    buffer_.resize(file_->ReadAt(static_cast<int64_t>(base_), buffer_.data(), want));
    at_ = buffer_.data();
    end_ = at_ + buffer_.size();
    if (at_ == end_) {
      return -1;
    }
    return consume ? *at_++ : *at_;
  }

  CPdfInputFile* file_;
  uint64_t base_;
  uint64_t limit_ = UINT64_MAX;
  std::vector<uint8_t> buffer_;
  const uint8_t* at_ = nullptr;
  const uint8_t* end_ = nullptr;
};

#endif  // QUILLTURN_SRC_STREAMS_PDF_FILE_SOURCE_H_
