#ifndef QUILLTURN_SRC_OBJECTS_CPDF_STRING_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_STRING_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// A PDF string. Literal strings hold their decoded bytes; hex strings hold the raw text that
// stood between the angle brackets, white space included.
class CPdfString {
 public:
  CPdfString(const uint8_t* data, size_t length);
  CPdfString(const CPdfString&) = default;
  CPdfString& operator=(const CPdfString&) = default;
  virtual ~CPdfString();

  bool IsLiteral() const { return literal_; }
  void SetLiteral(bool literal) { literal_ = literal; }
  const uint8_t* GetData() const { return data_.data(); }
  uint32_t GetLength() const { return static_cast<uint32_t>(data_.size()); }

 private:
  bool literal_ = true;
  std::vector<uint8_t> data_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_STRING_H_
