#include "objects/stream_filters.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "streams/pdf_filter.h"

namespace {

int32_t IntParam(CPdfDictionary* params, const char* key, int32_t fallback) {
  CPdfObject value;
  params->Lookup(key, value);
  if (!value.IsKind(PDF_INT)) {
    return fallback;
  }
  // Held at the 32-bit ends, where the decoder's checks refuse them, instead of wrapping.
  return static_cast<int32_t>(std::clamp<int64_t>(value.GetInt(), INT32_MIN, INT32_MAX));
}

// The parameters are looked up (and references among them fetched) only for a filter that
// is supported.
CPdfStream* Decode(const char* name, CPdfStream* source, const CPdfObject& params) {
  // Up to the name's first zero byte, if it has one: the name as a C text reads.
  const std::string_view filter(name);
  if (!IsFilterSupported(filter)) {
    return nullptr;
  }
  FilterParams values;
  if (params.IsKind(PDF_DICT)) {
    CPdfDictionary* dict = params.GetDict();
    values.predictor = IntParam(dict, "Predictor", values.predictor);
    values.columns = IntParam(dict, "Columns", values.columns);
    values.colors = IntParam(dict, "Colors", values.colors);
    values.bits_per_component = IntParam(dict, "BitsPerComponent", values.bits_per_component);
  }
  return CreateFilter(filter, values, source);
}

}  // namespace

CPdfStream* ApplyFilters(CPdfStream* stream, const CPdfObject& dict) {
  if (!dict.IsKind(PDF_DICT)) {
    return stream;
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
      return Decode(filter.GetText(), stream, params);
    case PDF_ARRAY: {
      CPdfArray* array = filter.GetArray();
      if (array->GetCount() != 1) {
        return nullptr;
      }
      CPdfObject element;
      array->Get(0, element);
      if (element.IsKind(PDF_NAME) || element.IsKind(PDF_KEYWORD)) {
        return Decode(element.GetText(), stream, params);
      }
      return nullptr;
    }
    case PDF_NULL:
      return stream;
    default:
      return nullptr;
  }
}
