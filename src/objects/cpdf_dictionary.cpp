#include "objects/cpdf_dictionary.h"

#include <iterator>
#include <string_view>
#include <tuple>

#include "objects/cpdf_object.h"

CPdfDictionary::CPdfDictionary(CPdfResolver* resolver) : resolver_(resolver) {}

CPdfDictionary::~CPdfDictionary() = default;

void CPdfDictionary::Release() {
  if (--ref_count_ == 0) {
    delete this;
  }
}

bool CPdfDictionary::Add(const char* key, const CPdfObject& value) {
  const std::string_view k(key);
  auto it = entries_.lower_bound(k);
  if (it != entries_.end() && it->first == k) {
    return false;
  }
  it = entries_.emplace_hint(it, std::piecewise_construct, std::forward_as_tuple(key),
                             std::forward_as_tuple());
  it->second.Assign(value);
  return true;
}

const CPdfObject* CPdfDictionary::Find(const char* key) const {
  auto it = entries_.find(std::string_view(key));
  return it == entries_.end() ? nullptr : &it->second;
}

void CPdfDictionary::Lookup(const char* key, CPdfObject& out) const {
  const CPdfObject* value = Find(key);
  if (!value) {
    out.SetNull();
    return;
  }
  value->Resolve(resolver_, out);
}

void CPdfDictionary::LookupRaw(const char* key, CPdfObject& out) const {
  const CPdfObject* value = Find(key);
  if (!value) {
    out.SetNull();
    return;
  }
  value->CopyTo(out);
}
