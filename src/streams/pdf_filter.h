#ifndef QUILLTURN_SRC_STREAMS_PDF_FILTER_H_
#define QUILLTURN_SRC_STREAMS_PDF_FILTER_H_

#include <cstdint>
#include <string_view>

class CPdfStream;

// What a decoder is told about its data, each at its default until the stream's parameters
// say otherwise. Values that make no sense are passed on as they are: the decoder refuses
// them by delivering nothing.
struct FilterParams {
  int32_t predictor = 1;
  int32_t columns = 1;
  int32_t colors = 1;
  int32_t bits_per_component = 8;
};

// Whether CreateFilter can decode data filtered by name (FlateDecode or its short form Fl).
bool IsFilterSupported(std::string_view name);

// A decoder over source for the filter called name, or null when it is not supported. On
// success the new stream takes over the caller's reference to source.
CPdfStream* CreateFilter(std::string_view name, const FilterParams& params, CPdfStream* source);

#endif  // QUILLTURN_SRC_STREAMS_PDF_FILTER_H_
