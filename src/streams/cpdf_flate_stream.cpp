#include "streams/cpdf_flate_stream.h"

#include <algorithm>
#include <cstring>

CPdfFlateStream::CPdfFlateStream(CPdfStream* source,
                                 int32_t predictor,
                                 int32_t columns,
                                 int32_t colors,
                                 int32_t bits_per_component)
    : source_(source), input_left_(source->GetLength()) {
  // Pieces of at most kInputPiece bytes, so a huge /Length on a small file costs nothing.
  compressed_.resize(static_cast<size_t>(std::min<PdfOffset>(input_left_, kInputPiece)));
  zstream_ok_ = inflateInit_(&zstream_, ZLIB_VERSION, static_cast<int>(sizeof(z_stream))) == Z_OK;
  // The trailing Adler-32 is not computed: readers keep data whose checksum is wrong, and so
  // does the copy. Without it a stream inflates about a tenth faster.
  if (zstream_ok_) {
    inflateValidate(&zstream_, 0);
  }
  if (predictor != 1) {
    predictor_ = std::make_unique<CPdfPredictor>(predictor, columns, colors, bits_per_component);
  }
}

CPdfFlateStream::~CPdfFlateStream() {
  if (zstream_ok_) {
    inflateEnd(&zstream_);
  }
  source_->Release();
}

bool CPdfFlateStream::ReadInput() {
  const auto want = static_cast<size_t>(std::min<PdfOffset>(compressed_.size(), input_left_));
  const size_t got = want > 0 ? source_->ReadBytes(compressed_.data(), want) : 0;
  input_left_ -= got;
  zstream_.next_in = compressed_.data();
  zstream_.avail_in = static_cast<uInt>(got);
  return got > 0;
}

size_t CPdfFlateStream::Inflate(uint8_t* out, size_t count) {
  size_t done = 0;
  while (zstream_ok_ && !ended_ && done < count) {
    if (zstream_.avail_in == 0 && !ReadInput()) {
      ended_ = true;
      break;
    }
    zstream_.next_out = out + done;
    zstream_.avail_out = static_cast<uInt>(std::min<size_t>(count - done, UINT32_MAX));
    const uInt room = zstream_.avail_out;
    const uInt input = zstream_.avail_in;
    const int rc = inflate(&zstream_, Z_NO_FLUSH);
    done += room - zstream_.avail_out;
    // Nothing follows the end of the zlib stream; after damage nothing more can be trusted,
    // but what came out before it stays, as readers keep it.
    if (rc == Z_STREAM_END || (rc != Z_OK && rc != Z_BUF_ERROR) ||
        (room == zstream_.avail_out && input == zstream_.avail_in)) {
      ended_ = true;
    }
  }
  return done;
}

bool CPdfFlateStream::Refill() {
  read_ = 0;
  end_ = static_cast<uint32_t>(Inflate(window_, kWindowSize));
  return end_ > 0;
}

int32_t CPdfFlateStream::GetRawChar() {
  if (read_ == end_ && !Refill()) {
    return -1;
  }
  return window_[read_++];
}

int32_t CPdfFlateStream::GetChar() {
  if (!predictor_) {
    return GetRawChar();
  }
  if (!predictor_->HasByte() && !predictor_->FillRow(this)) {
    return -1;
  }
  return predictor_->NextByte();
}

size_t CPdfFlateStream::ReadBytes(uint8_t* out, size_t count) {
  if (!predictor_) {
    return ReadRaw(out, count);
  }
  size_t done = 0;
  while (done < count && (predictor_->HasByte() || predictor_->FillRow(this))) {
    done += predictor_->Take(out + done, count - done);
  }
  return done;
}

size_t CPdfFlateStream::ReadRaw(uint8_t* out, size_t count) {
  size_t done = 0;
  while (done < count) {
    if (read_ == end_ && count - done >= kWindowSize) {
      // A large request is inflated straight into the caller's buffer, past the window.
      const size_t got = Inflate(out + done, count - done);
      if (got == 0) {
        break;
      }
      done += got;
    } else if (read_ < end_ || Refill()) {
      const size_t n = std::min<size_t>(count - done, end_ - read_);
      std::memcpy(out + done, window_ + read_, n);
      read_ += static_cast<uint32_t>(n);
      done += n;
    } else {
      break;
    }
  }
  return done;
}

int32_t CPdfFlateStream::PeekChar() {
  if (!predictor_) {
    if (read_ == end_ && !Refill()) {
      return -1;
    }
    return window_[read_];
  }
  if (!predictor_->HasByte() && !predictor_->FillRow(this)) {
    return -1;
  }
  return predictor_->PeekByte();
}
