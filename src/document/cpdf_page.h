#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_H_

#include <cstdint>

#include "objects/cpdf_object.h"

class CPdfDictionary;
class CPdfXRef;

// One page as the document's structural check reads it.
class CPdfPage {
 public:
  CPdfPage() = default;
  CPdfPage(const CPdfPage& other);
  CPdfPage& operator=(const CPdfPage& other);
  virtual ~CPdfPage();

  // Borrowed: xref and dict. inherited_resources: the nearest ancestor's /Resources
  // dictionary, or PDF_NULL; used when the page has no dictionary of its own.
  void Load(int32_t number,
            CPdfXRef* xref,
            const CPdfDictionary& dict,
            const CPdfObject& inherited_resources);

  // dict's /Rotate as readers take it: an integer within 32 bits (a reference resolved), else
  // false, and the page shows what it inherits. Not normalised.
  static bool ReadRotate(const CPdfDictionary& dict, int32_t* rotation);

  int32_t GetRotation() const { return rotation_; }
  int32_t GetNumber() const { return number_; }
  const CPdfObject& GetContents() const { return contents_; }
  const CPdfObject& GetResources() const { return resources_; }
  const CPdfObject& GetAnnotations() const { return annotations_; }

 private:
  int32_t rotation_ = 0;
  int32_t number_ = 0;
  CPdfXRef* xref_ = nullptr;
  CPdfObject contents_;
  CPdfObject resources_;
  CPdfObject annotations_;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_H_
