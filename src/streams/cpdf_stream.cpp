#include "streams/cpdf_stream.h"

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_object.h"
#include "objects/pdf_messages.h"
#include "streams/cpdf_flate_stream.h"

CPdfStream::~CPdfStream() = default;

void CPdfStream::AddRef() {
  ++ref_count_;
}

void CPdfStream::Release() {
  if (--ref_count_ == 0) {
    delete this;
  }
}

size_t CPdfStream::ReadBytes(uint8_t* out, size_t count) {
  size_t done = 0;
  for (; done < count; ++done) {
    const int32_t c = GetChar();
    if (c < 0) {
      break;
    }
    out[done] = static_cast<uint8_t>(c);
  }
  return done;
}

CPdfStream* CPdfStream::ApplyFilters(const CPdfObject& dict) {
  if (!dict.IsKind(PDF_DICT)) {
    return this;
  }
  CPdfDictionary* d = dict.GetDict();
  CPdfObject filter;
  d->Lookup("Filter", filter);
  if (filter.IsKind(PDF_NULL)) {
    filter.Clear();
    d->Lookup("F", filter);
  }
  CPdfObject params;
  d->Lookup("DecodeParms", params);
  if (params.IsKind(PDF_NULL)) {
    params.Clear();
    d->Lookup("DP", params);
  }
  // Parameters may come as an array beside an array of filters, one for each: with one filter,
  // its first element (null for none). Anything else there is not understood, so the data
  // would be misread: refused.
  if (params.IsKind(PDF_ARRAY)) {
    CPdfObject first;
    if (params.GetArray()->GetCount() == 1) {
      params.GetArray()->Get(0, first);
    }
    if (!first.IsKind(PDF_DICT) && !first.IsKind(PDF_NULL)) {
      return nullptr;
    }
    params.Clear();
    params.Assign(first);
  }
  switch (filter.GetKind()) {
    case PDF_NAME:
      return CreateDecoder(filter.GetText(), this, params);
    case PDF_ARRAY: {
      CPdfArray* array = filter.GetArray();
      if (array->GetCount() != 1) {
        return nullptr;
      }
      CPdfObject element;
      array->Get(0, element);
      if (element.IsKind(PDF_NAME) || element.IsKind(PDF_KEYWORD)) {
        return CreateDecoder(element.GetText(), this, params);
      }
      return nullptr;
    }
    case PDF_NULL:
      return this;
    default:
      return nullptr;
  }
}
