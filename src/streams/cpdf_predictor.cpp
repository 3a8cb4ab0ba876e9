#include "streams/cpdf_predictor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

CPdfPredictor::CPdfPredictor(int32_t predictor,
                             int32_t columns,
                             int32_t colors,
                             int32_t bits_per_component)
    : predictor_(predictor) {
  // Zero, negative or absurd parameters give an unusable predictor: the stream delivers
  // nothing rather than reading past a buffer or allocating without bound.
  if (columns < 1 || colors < 1 || colors > 256 || bits_per_component < 1 ||
      bits_per_component > 16) {
    return;
  }
  int64_t row_bits = static_cast<int64_t>(columns) * colors * bits_per_component;
  int64_t row_bytes = (row_bits + 7) / 8;
  if (row_bytes > kMaxRowBytes) {
    return;
  }
  columns_ = columns;
  colors_ = colors;
  bits_ = bits_per_component;
  bytes_per_pixel_ = (colors * bits_per_component + 7) / 8;
  buffer_size_ = bytes_per_pixel_ + static_cast<int32_t>(row_bytes);
  // The buffers are sized when a whole row has arrived, not from the parameters alone.
  read_pos_ = buffer_size_;
  usable_ = true;
}

namespace {

uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a);
  int pb = std::abs(p - b);
  int pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) {
    return static_cast<uint8_t>(a);
  }
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

}  // namespace

size_t CPdfPredictor::Take(uint8_t* out, size_t count) {
  const size_t n = std::min(count, static_cast<size_t>(buffer_size_ - read_pos_));
  std::memcpy(out, row_.data() + read_pos_, n);
  read_pos_ += static_cast<int32_t>(n);
  return n;
}

bool CPdfPredictor::FillRow(CPdfRawSource* source) {
  if (!usable_) {
    return false;
  }
  // The whole row at once (with its filter-type byte for the PNG predictors); a short read
  // means the data ended inside the row, which is then dropped.
  const size_t row_bytes = static_cast<size_t>(buffer_size_ - bytes_per_pixel_);
  const size_t type_bytes = predictor_ >= 10 ? 1 : 0;
  if (!ReadRawRow(source, row_bytes + type_bytes)) {
    return false;
  }
  const int32_t algorithm = predictor_ >= 10 ? 10 + raw_[0] : predictor_;
  const uint8_t* raw_row = raw_.data() + type_bytes;
  // prev_ keeps the previous row as it stood, for "up" and "upper-left".
  prev_.swap(row_);
  // One loop per filter, not a choice per byte. Bytes before the row's first pixel read as 0:
  // the row's and the previous row's first bpp bytes are never written.
  const int32_t bpp = bytes_per_pixel_;
  const int32_t end = buffer_size_;
  uint8_t* row = row_.data();
  const uint8_t* up = prev_.data();
  const auto raw = [raw_row, bpp](int32_t i) { return raw_row[i - bpp]; };
  switch (algorithm) {
    case 11:
      for (int32_t i = bpp; i < end; ++i) {
        row[i] = static_cast<uint8_t>(raw(i) + row[i - bpp]);
      }
      break;
    case 12:
      for (int32_t i = bpp; i < end; ++i) {
        row[i] = static_cast<uint8_t>(raw(i) + up[i]);
      }
      break;
    case 13:
      for (int32_t i = bpp; i < end; ++i) {
        row[i] = static_cast<uint8_t>(raw(i) + (row[i - bpp] + up[i]) / 2);
      }
      break;
    case 14:
      for (int32_t i = bpp; i < end; ++i) {
        row[i] = static_cast<uint8_t>(raw(i) + Paeth(row[i - bpp], up[i], up[i - bpp]));
      }
      break;
    default:
      std::memcpy(row + bpp, raw_row, static_cast<size_t>(end - bpp));
      break;
  }
  if (predictor_ == 2) {
    UndoTiff();
  }
  read_pos_ = bpp;
  return true;
}

bool CPdfPredictor::ReadRawRow(CPdfRawSource* source, size_t count) {
  if (raw_.size() == count) {
    return source->ReadRaw(raw_.data(), count) == count;
  }
  // The first row grows with the bytes that arrive, so a short stream that declares wide rows
  // costs what it holds.
  size_t have = 0;
  while (have < count) {
    const size_t chunk = std::min(count - have, std::max(have, kFirstChunk));
    raw_.resize(have + chunk);
    const size_t got = source->ReadRaw(raw_.data() + have, chunk);
    have += got;
    if (got < chunk) {
      return false;
    }
  }
  row_.assign(static_cast<size_t>(buffer_size_), 0);
  prev_.assign(static_cast<size_t>(buffer_size_), 0);
  return true;
}

void CPdfPredictor::UndoTiff() {
  uint8_t* row = row_.data() + bytes_per_pixel_;
  const int32_t row_bytes = buffer_size_ - bytes_per_pixel_;
  if (bits_ == 8) {
    for (int32_t i = colors_; i < row_bytes; ++i) {
      row[i] = static_cast<uint8_t>(row[i] + row[i - colors_]);
    }
    return;
  }
  // Any other width: unpack each sample most significant bit first, add the same component
  // of the previous pixel modulo 2^bits, and pack it back.
  const int64_t samples = static_cast<int64_t>(columns_) * colors_;
  const uint32_t mask = (1u << bits_) - 1;
  std::vector<uint32_t> last(static_cast<size_t>(colors_), 0);
  std::vector<uint8_t> out(static_cast<size_t>(row_bytes), 0);
  for (int64_t s = 0; s < samples; ++s) {
    uint32_t value = 0;
    for (int32_t b = 0; b < bits_; ++b) {
      int64_t bit = s * bits_ + b;
      value = (value << 1) | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    size_t component = static_cast<size_t>(s % colors_);
    value = (value + last[component]) & mask;
    last[component] = value;
    for (int32_t b = 0; b < bits_; ++b) {
      int64_t bit = s * bits_ + b;
      if ((value >> (bits_ - 1 - b)) & 1u) {
        out[static_cast<size_t>(bit / 8)] |= static_cast<uint8_t>(0x80u >> (bit % 8));
      }
    }
  }
  std::copy(out.begin(), out.end(), row);
}
