#ifndef QUILLTURN_SRC_READER_CPDF_OBJSTM_H_
#define QUILLTURN_SRC_READER_CPDF_OBJSTM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CPdfObject;
class CPdfResolver;
class CPdfStream;
class CPdfXRef;

// One object stream, decoded once: its data and its header.
// A missing or malformed stream simply holds no objects.
class CPdfObjStmData {
 public:
  // Decoded object streams larger than this are treated as malformed, so a small body that
  // inflates without end costs bounded time and memory.
  static constexpr size_t kMaxDecodedSize = size_t{32} * 1024 * 1024;

  explicit CPdfObjStmData(int32_t stream_num);
  ~CPdfObjStmData();

  void Build(CPdfXRef& xref);
  int32_t GetStreamNum() const { return stream_num_; }
  int32_t GetCount() const { return static_cast<int32_t>(numbers_.size()); }
  size_t GetMemoryUse() const { return data_.size() + 8 * numbers_.size() + 64; }
  // The bytes of object num at index; false when the index holds another object or its offsets
  // do not fit the data.
  bool GetBytes(int32_t num, int32_t index, const uint8_t** data, size_t* length) const;
  // Object num's value parsed from its bytes; false as for GetBytes.
  bool GetValue(int32_t num, int32_t index, CPdfResolver* resolver, CPdfObject& out);

 private:
  bool ReadHeader(int32_t count, int32_t first);
  bool ReadData(CPdfStream* body);

  int32_t stream_num_;
  std::vector<int32_t> numbers_;
  std::vector<int32_t> offsets_;
  std::vector<uint8_t> data_;
  int32_t first_ = 0;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJSTM_H_
