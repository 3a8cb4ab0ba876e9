#include "streams/cpdf_text_filter_stream.h"

#include <algorithm>

CPdfTextFilterStream::CPdfTextFilterStream(CPdfStream* source, uint32_t growth)
    : source_(source), left_(source->GetLength()), growth_(growth) {}

CPdfTextFilterStream::~CPdfTextFilterStream() {
  source_->Release();
}

PdfOffset CPdfTextFilterStream::GetLength() {
  // Held below any file's size, so that no product overflows.
  return std::min<PdfOffset>(left_, PdfOffset{1} << 40) * growth_;
}

bool CPdfTextFilterStream::Fill() {
  next_ = limit_ = window_;
  while (next_ == limit_ && !ended_) {
    const auto want = static_cast<size_t>(std::min<PdfOffset>(kPiece, left_));
    const size_t got = want > 0 ? source_->ReadBytes(in_, want) : 0;
    left_ -= got;
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
