#ifndef QUILLTURN_SRC_OBJECTS_CPDF_STREAM_OBJECT_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_STREAM_OBJECT_H_

#include <cstdint>

class CPdfDictionary;
class CPdfStream;

// What a stream value holds: the stream its body is read through and the dictionary it was
// written with. Counted, so that copies of the value share it; the byte streams themselves
// know nothing of dictionaries.
class CPdfStreamObject {
 public:
  // Adds a reference of its own to each; dict may be null (a stream that offers none).
  CPdfStreamObject(CPdfStream* stream, CPdfDictionary* dict);
  CPdfStreamObject(const CPdfStreamObject&) = delete;
  CPdfStreamObject& operator=(const CPdfStreamObject&) = delete;

  void AddRef() { ++ref_count_; }
  void Release();

  // Borrowed: no reference added.
  CPdfStream* GetStream() const { return stream_; }
  // Borrowed: no reference added. Null when the stream has no dictionary.
  CPdfDictionary* GetDict() const { return dict_; }

 private:
  ~CPdfStreamObject();

  int32_t ref_count_ = 1;
  CPdfStream* stream_;
  CPdfDictionary* dict_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_STREAM_OBJECT_H_
