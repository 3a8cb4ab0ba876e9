#ifndef QUILLTURN_SRC_READER_CPDF_OBJSTM_H_
#define QUILLTURN_SRC_READER_CPDF_OBJSTM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class CPdfObject;
class CPdfResolver;
class CPdfStream;
class CPdfFetcher;

// One object stream, decoded once: its data and its header.
// A missing or malformed stream simply holds no objects (IsValid tells).
class CPdfObjStmData {
 public:
  // Decoded object streams larger than this are treated as malformed, so a small body that
  // inflates without end costs bounded time and memory.
  static constexpr size_t kMaxDecodedSize = size_t{32} * 1024 * 1024;

  explicit CPdfObjStmData(int32_t stream_num);
  ~CPdfObjStmData();

  void Build(CPdfFetcher& fetcher);
  bool IsValid() const { return valid_; }
  // The bytes building it decoded (each once, however often it was read), kept or not.
  size_t GetDecodedBytes() const { return decoded_bytes_; }
  int32_t GetStreamNum() const { return stream_num_; }
  int32_t GetCount() const { return static_cast<int32_t>(numbers_.size()); }
  // The number the header lists at index (0 <= index < GetCount()).
  int32_t NumberAt(int32_t index) const { return numbers_[static_cast<size_t>(index)]; }
  // The decoded byte right after the view [data, data + length) that GetBytes gave, -1 at the
  // end of the data.
  int ByteAfter(const uint8_t* data, size_t length) const {
    const size_t end = static_cast<size_t>(data - data_.data()) + length;
    return end < data_.size() ? data_[end] : -1;
  }
  size_t GetMemoryUse() const { return data_.size() + 16 * numbers_.size() + 64; }
  // The bytes of object num at index or, when index holds another object, wherever the header
  // lists num (its first place); false when num is not there or its offsets do not fit the data.
  bool GetBytes(int32_t num, int32_t index, const uint8_t** data, size_t* length);

 private:
  bool ReadHeader(int32_t count, int32_t first);
  bool ReadData(CPdfFetcher& fetcher, CPdfStream* body);
  // Decodes up to limit bytes, appended to the data when keep is set; returns how many.
  size_t ReadUpTo(CPdfStream* body, size_t limit, bool keep);
  static constexpr size_t kGrowLimit = size_t{1} << 20;
  int32_t FindInHeader(int32_t num);

  int32_t stream_num_;
  std::vector<int32_t> numbers_;
  std::vector<int32_t> offsets_;
  std::vector<uint8_t> data_;
  // (number, index) by number; made on the first index that does not match.
  std::vector<std::pair<int32_t, int32_t>> by_number_;
  int32_t first_ = 0;
  bool valid_ = false;
  size_t decoded_bytes_ = 0;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJSTM_H_
