#ifndef QUILLTURN_SRC_STREAMS_CPDF_PREDICTOR_H_
#define QUILLTURN_SRC_STREAMS_CPDF_PREDICTOR_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// Where a predictor reads its rows from: the inflated bytes of a Flate stream.
class CPdfRawSource {
 public:
  // Up to count bytes; fewer only at the end of the data.
  virtual size_t ReadRaw(uint8_t* out, size_t count) = 0;

 protected:
  virtual ~CPdfRawSource() = default;
};

// Undoes a PNG (10 and above) or TIFF (2) predictor one row at a time. The row buffer starts
// with bytes-per-pixel zero bytes, so the first pixel's left neighbour reads as zero.
class CPdfPredictor {
 public:
  // A row may not exceed this; larger parameters make the stream deliver nothing. The streams
  // this program decodes (cross-reference and object streams) have rows of a few bytes.
  static constexpr int64_t kMaxRowBytes = int64_t{1} * 1024 * 1024;

  CPdfPredictor(int32_t predictor, int32_t columns, int32_t colors, int32_t bits_per_component);

  // Decodes the next row from source's inflated bytes; false when the data ends inside it.
  bool FillRow(CPdfRawSource* source);
  // Up to count decoded bytes of the current row.
  size_t Take(uint8_t* out, size_t count);
  bool HasByte() const { return read_pos_ < buffer_size_; }
  uint8_t PeekByte() const { return row_[static_cast<size_t>(read_pos_)]; }
  uint8_t NextByte() { return row_[static_cast<size_t>(read_pos_++)]; }

 private:
  bool ReadRawRow(CPdfRawSource* source, size_t count);
  void UndoTiff();
  static constexpr size_t kFirstChunk = 4096;

  bool usable_ = false;
  int32_t predictor_;
  int32_t colors_ = 1;
  int32_t bits_ = 8;
  int32_t columns_ = 1;
  int32_t bytes_per_pixel_ = 1;
  int32_t buffer_size_ = 0;
  std::vector<uint8_t> row_;
  std::vector<uint8_t> prev_;
  std::vector<uint8_t> raw_;  // one row as inflated, before the predictor is undone
  int32_t read_pos_ = 0;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_PREDICTOR_H_
