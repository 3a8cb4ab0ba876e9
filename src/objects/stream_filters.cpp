#include "objects/stream_filters.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "streams/pdf_filter.h"

namespace {

// An ASCII filter and Flate after it.
constexpr int kMostFilters = 2;

int32_t IntParam(CPdfDictionary* params, const char* key, int32_t fallback) {
  CPdfObject value;
  params->Lookup(key, value);
  if (!value.IsKind(PDF_INT)) {
    return fallback;
  }
  // Held at the 32-bit ends, where the decoder's checks refuse them, instead of wrapping.
  return static_cast<int32_t>(std::clamp<int64_t>(value.GetInt(), INT32_MIN, INT32_MAX));
}

// Up to the name's first zero byte, if it has one: the name as a C text reads.
PdfFilter FilterOf(const char* name) {
  return FilterNamed(std::string_view(name));
}

bool NoParams(const CPdfObject& params) {
  return params.IsKind(PDF_NULL) || params.IsKind(PDF_NONE);
}

// The parameters of count filters into out. Beside an array of filters they may come as an
// array, one element for each (null for none); anything else there is not understood, so the
// data would be misread: refused. A single value goes with a lone filter: readers disagree on
// which of two filters it belongs to.
bool ReadParams(const CPdfObject& params, int count, CPdfObject out[kMostFilters]) {
  if (!params.IsKind(PDF_ARRAY)) {
    out[0].Assign(params);
    return count == 1 || NoParams(params);
  }
  CPdfArray* array = params.GetArray();
  if (count > kMostFilters || array->GetCount() != count) {
    return false;
  }
  for (int i = 0; i < count; ++i) {
    array->Get(i, out[i]);
    if (!out[i].IsKind(PDF_DICT) && !out[i].IsKind(PDF_NULL)) {
      return false;
    }
  }
  return true;
}

// The filters an array names, at most most of them, into out; false when it names none or
// holds anything but names.
bool ReadFilterArray(CPdfArray* array, int most, PdfFilter out[kMostFilters], int* count) {
  *count = array->GetCount();
  if (*count < 1 || *count > most) {
    return false;
  }
  for (int i = 0; i < *count; ++i) {
    CPdfObject element;
    array->Get(i, element);
    if (!element.IsKind(PDF_NAME) && !element.IsKind(PDF_KEYWORD)) {
      return false;
    }
    out[i] = FilterOf(element.GetText());
  }
  return true;
}

// Flate alone; for the file's structure also an ASCII filter, without parameters (readers
// refuse any), alone or before Flate.
bool Supported(const PdfFilter filters[],
               int count,
               const CPdfObject params[],
               FilterChoice choice) {
  if (count == 1 && filters[0] == PdfFilter::kFlate) {
    return true;
  }
  const bool ascii = filters[0] == PdfFilter::kAsciiHex || filters[0] == PdfFilter::kAscii85;
  return choice == FilterChoice::kStructure && ascii && NoParams(params[0]) &&
         (count == 1 || filters[1] == PdfFilter::kFlate);
}

// The parameters are looked up (and references among them fetched) only for filters that are
// supported.
FilterParams ValuesOf(const CPdfObject& params) {
  FilterParams values;
  if (params.IsKind(PDF_DICT)) {
    CPdfDictionary* dict = params.GetDict();
    values.predictor = IntParam(dict, "Predictor", values.predictor);
    values.columns = IntParam(dict, "Columns", values.columns);
    values.colors = IntParam(dict, "Colors", values.colors);
    values.bits_per_component = IntParam(dict, "BitsPerComponent", values.bits_per_component);
  }
  return values;
}

}  // namespace

CPdfStream* ApplyFilters(CPdfStream* stream, const CPdfObject& dict, FilterChoice choice) {
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
  CPdfObject params_value;
  d->Lookup("DecodeParms", params_value);
  if (params_value.IsKind(PDF_NULL)) {
    params_value.Clear();
    d->Lookup("DP", params_value);
  }
  const int most = choice == FilterChoice::kStructure ? kMostFilters : 1;
  // Parameters are read as a lone filter's even when there is no filter.
  const int count = most > 1 && filter.IsKind(PDF_ARRAY) ? filter.GetArray()->GetCount() : 1;
  CPdfObject params[kMostFilters];
  if (!ReadParams(params_value, count, params)) {
    return nullptr;
  }
  PdfFilter filters[kMostFilters] = {};
  int used = 1;
  switch (filter.GetKind()) {
    case PDF_NAME:
      filters[0] = FilterOf(filter.GetText());
      break;
    case PDF_ARRAY:
      if (!ReadFilterArray(filter.GetArray(), most, filters, &used)) {
        return nullptr;
      }
      break;
    case PDF_NULL:
      return stream;
    default:
      return nullptr;
  }
  if (!Supported(filters, used, params, choice)) {
    return nullptr;
  }
  for (int i = 0; i < used; ++i) {
    stream = CreateFilter(filters[i], ValuesOf(params[i]), stream);
  }
  return stream;
}
