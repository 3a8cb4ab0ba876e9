#include "objects/cpdf_array.h"

#include <utility>

CPdfArray::CPdfArray(CPdfResolver* resolver) : resolver_(resolver) {}

CPdfArray::~CPdfArray() = default;

void CPdfArray::Release() {
  if (--ref_count_ == 0) {
    delete this;
  }
}

void CPdfArray::Append(CPdfObject&& value) {
  elements_.push_back(std::move(value));
}

void CPdfArray::Get(int32_t index, CPdfObject& out) const {
  At(index).Resolve(resolver_, out);
}
