#ifndef QUILLTURN_TOOLS_PDF_BUILDER_PDF_FILTER_ENCODING_H_
#define QUILLTURN_TOOLS_PDF_BUILDER_PDF_FILTER_ENCODING_H_

#include <string>

// The filters a cross-reference or object stream's data goes through, in the order /Filter
// names them: an ASCII filter named ascii (ASCIIHexDecode, AHx, ASCII85Decode, A85), if any,
// then Flate named flate (FlateDecode, Fl), if any. With array, /Filter is an array even of
// one; with params_array, /DecodeParms is an array of one element per filter, null for none.
struct StreamFilters {
  std::string ascii;
  std::string flate = "FlateDecode";
  bool array = false;
  bool params_array = false;
};

// data as producers write it for ASCIIHexDecode: upper-case pairs in lines of 64 digits, '>'.
std::string AsciiHexEncode(const std::string& data);
// For ASCII85Decode: groups of five, 'z' for four zeros, a short last group, lines of 75, "~>".
std::string Ascii85Encode(const std::string& data);
// The /Filter and /DecodeParms entries (a blank before each) that filters write, with
// flate_params (a dictionary, or empty for none) for Flate; empty without filters.
std::string FilterEntries(const StreamFilters& filters, const std::string& flate_params);
// data encoded through filters: Flate first, then the ASCII filter over it.
std::string Encode(const std::string& data, const StreamFilters& filters);

#endif  // QUILLTURN_TOOLS_PDF_BUILDER_PDF_FILTER_ENCODING_H_
