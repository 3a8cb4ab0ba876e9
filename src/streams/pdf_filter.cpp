#include "streams/pdf_filter.h"

#include "streams/cpdf_flate_stream.h"

bool IsFilterSupported(std::string_view name) {
  return name == "FlateDecode" || name == "Fl";
}

CPdfStream* CreateFilter(std::string_view name, const FilterParams& params, CPdfStream* source) {
  if (!IsFilterSupported(name)) {
    return nullptr;
  }
  return new CPdfFlateStream(source, params.predictor, params.columns, params.colors,
                             params.bits_per_component);
}
