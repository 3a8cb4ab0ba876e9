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

// The filters CreateFilter decodes.
enum class PdfFilter { kUnsupported, kFlate, kAsciiHex, kAscii85 };

// The filter called name, by its full name or its short form (Fl, AHx, A85), as readers take
// either.
PdfFilter FilterNamed(std::string_view name);

// A decoder for filter over source; it takes over the caller's reference to source. Only
// Flate reads params. Null for kUnsupported (the caller still owns source then).
CPdfStream* CreateFilter(PdfFilter filter, const FilterParams& params, CPdfStream* source);

#endif  // QUILLTURN_SRC_STREAMS_PDF_FILTER_H_
