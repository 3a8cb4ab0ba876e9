#include "streams/cpdf_text_filter_stream.h"

#include <algorithm>

CPdfTextFilterStream::CPdfTextFilterStream(CPdfStream* source, uint32_t growth)
    : source_(source), left_(source->GetLength()), growth_(growth) {}

CPdfTextFilterStream::~CPdfTextFilterStream() {
  source_->Release();
}

uint32_t CPdfTextFilterStream::GetLength() {
  return static_cast<uint32_t>(std::min<uint64_t>(uint64_t{left_} * growth_, UINT32_MAX));
}

bool CPdfTextFilterStream::Fill() {
  next_ = limit_ = window_;
  while (next_ == limit_ && !ended_) {
    const size_t want = std::min<size_t>(kPiece, left_);
    const size_t got = want > 0 ? source_->ReadBytes(in_, want) : 0;
    left_ -= static_cast<uint32_t>(got);
    if (got == 0) {
      limit_ = window_ + Flush(window_);
      ended_ = true;
    } else {
      limit_ = window_ + Decode(in_, got, window_);
    }
    if (refused_) {
      limit_ = window_;
    }
  }
  return next_ < limit_;
}

int32_t CPdfTextFilterStream::GetChar() {
  if (next_ == limit_ && !Fill()) {
    return -1;
  }
  return *next_++;
}

int32_t CPdfTextFilterStream::PeekChar() {
  if (next_ == limit_ && !Fill()) {
    return -1;
  }
  return *next_;
}

bool CPdfTextFilterStream::Refused() {
  while (!ended_) {
    Fill();
  }
  next_ = limit_;
  return refused_ || source_->Refused();
}
