#ifndef QUILLTURN_SRC_OBJECTS_CPDF_DICTIONARY_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_DICTIONARY_H_

#include <cstdint>
#include <map>
#include <string>

#include "objects/cpdf_object.h"

class CPdfResolver;

// A counted dictionary whose keys (names without the slash) sort in unsigned byte order.
class CPdfDictionary {
 public:
  // Values live in the map's nodes; std::less<> looks keys up without building strings.
  using Entries = std::map<std::string, CPdfObject, std::less<>>;

  // Borrowed: the resolver must outlive every lookup.
  explicit CPdfDictionary(CPdfResolver* resolver);
  CPdfDictionary(const CPdfDictionary&) = delete;
  CPdfDictionary& operator=(const CPdfDictionary&) = delete;

  void AddRef() { ++ref_count_; }
  void Release();

  // The first value given for a key is kept: false when the key was there already.
  bool Add(const char* key, const CPdfObject& value);
  // References are resolved through the resolver; a missing key gives PDF_NULL.
  void Lookup(const char* key, CPdfObject& out) const;
  void LookupRaw(const char* key, CPdfObject& out) const;
  // Borrowed view of a stored value, or null when absent.
  const CPdfObject* Find(const char* key) const;
  const Entries& GetEntries() const { return entries_; }

 protected:
  virtual ~CPdfDictionary();

 private:
  int32_t ref_count_ = 1;
  CPdfResolver* resolver_;
  Entries entries_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_DICTIONARY_H_
