#ifndef QUILLTURN_SRC_OBJECTS_CPDF_ARRAY_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_ARRAY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/cpdf_object.h"

class CPdfResolver;

// A counted array of values.
class CPdfArray {
 public:
  // Borrowed: the resolver must outlive every Get.
  explicit CPdfArray(CPdfResolver* resolver);
  CPdfArray(const CPdfArray&) = delete;
  CPdfArray& operator=(const CPdfArray&) = delete;

  void AddRef() { ++ref_count_; }
  void Release();

  // Takes value, leaving it in PDF_NONE.
  void Append(CPdfObject&& value);
  int32_t GetCount() const { return static_cast<int32_t>(elements_.size()); }
  // The index must lie in 0 .. GetCount() - 1.
  void Get(int32_t index, CPdfObject& out) const;
  const CPdfObject& At(int32_t index) const { return elements_[static_cast<size_t>(index)]; }

 protected:
  virtual ~CPdfArray();

 private:
  int32_t ref_count_ = 1;
  CPdfResolver* resolver_;
  // A vector, not a deque: an empty or short array costs a few bytes, not a block.
  std::vector<CPdfObject> elements_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_ARRAY_H_
