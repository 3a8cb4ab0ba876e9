#include "streams/pdf_filter.h"

#include "streams/cpdf_ascii85_stream.h"
#include "streams/cpdf_ascii_hex_stream.h"
#include "streams/cpdf_flate_stream.h"

PdfFilter FilterNamed(std::string_view name) {
  if (name == "FlateDecode" || name == "Fl") {
    return PdfFilter::kFlate;
  }
  if (name == "ASCIIHexDecode" || name == "AHx") {
    return PdfFilter::kAsciiHex;
  }
  if (name == "ASCII85Decode" || name == "A85") {
    return PdfFilter::kAscii85;
  }
  return PdfFilter::kUnsupported;
}

CPdfStream* CreateFilter(PdfFilter filter, const FilterParams& params, CPdfStream* source) {
  switch (filter) {
    case PdfFilter::kFlate:
      return new CPdfFlateStream(source, params.predictor, params.columns, params.colors,
                                 params.bits_per_component);
    case PdfFilter::kAsciiHex:
      return new CPdfAsciiHexStream(source);
    case PdfFilter::kAscii85:
      return new CPdfAscii85Stream(source);
    case PdfFilter::kUnsupported:
      break;
  }
  return nullptr;
}
