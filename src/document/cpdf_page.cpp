#include "document/cpdf_page.h"

#include <cstdint>

#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

CPdfPage::CPdfPage(const CPdfPage& other)
    : rotation_(other.rotation_), number_(other.number_), xref_(other.xref_) {
  contents_.Assign(other.contents_);
  resources_.Assign(other.resources_);
  annotations_.Assign(other.annotations_);
}

CPdfPage& CPdfPage::operator=(const CPdfPage& other) {
  if (this != &other) {
    rotation_ = other.rotation_;
    number_ = other.number_;
    xref_ = other.xref_;
    contents_.Clear();
    contents_.Assign(other.contents_);
    resources_.Clear();
    resources_.Assign(other.resources_);
    annotations_.Clear();
    annotations_.Assign(other.annotations_);
  }
  return *this;
}

CPdfPage::~CPdfPage() {
  annotations_.Clear();
  resources_.Clear();
  contents_.Clear();
}

namespace {

bool IsRefArrayOrNull(const CPdfObject& value) {
  return value.IsKind(PDF_REF) || value.IsKind(PDF_ARRAY) || value.IsKind(PDF_NULL);
}

}  // namespace

bool CPdfPage::ReadRotate(const CPdfDictionary& dict, int32_t* rotation) {
  CPdfObject rotate;
  dict.Lookup("Rotate", rotate);
  if (!rotate.IsKind(PDF_INT)) {
    return false;
  }
  const int64_t value = rotate.GetInt();
  if (value < INT32_MIN || value > INT32_MAX) {
    return false;
  }
  *rotation = static_cast<int32_t>(value);
  return true;
}

void CPdfPage::Load(int32_t number,
                    CPdfXRef* xref,
                    const CPdfDictionary& dict,
                    const CPdfObject& inherited_resources) {
  number_ = number;
  xref_ = xref;
  contents_.Clear();
  dict.LookupRaw("Contents", contents_);
  if (!IsRefArrayOrNull(contents_)) {
    contents_.Clear();
    contents_.SetNull();
  }
  resources_.Clear();
  dict.Lookup("Resources", resources_);
  if (!resources_.IsKind(PDF_DICT)) {
    resources_.Clear();
    if (!inherited_resources.IsKind(PDF_DICT)) {
      throw CPdfException(kMsgResources);
    }
    resources_.Assign(inherited_resources);
  }
  annotations_.Clear();
  dict.LookupRaw("Annots", annotations_);
  if (!IsRefArrayOrNull(annotations_)) {
    annotations_.Clear();
    ThrowPdfFormat(QT_MSG_ANNOTS, number);
  }
  int32_t own = 0;
  int64_t rotation = ReadRotate(dict, &own) ? own : 0;
  rotation %= 360;
  if (rotation < 0) {
    rotation += 360;
  }
  rotation_ = static_cast<int32_t>(rotation);
}
