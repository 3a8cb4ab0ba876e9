#ifndef QUILLTURN_SRC_STREAMS_PDF_OFFSET_H_
#define QUILLTURN_SRC_STREAMS_PDF_OFFSET_H_

#include <cstdint>

// A position or a length in the input or the output file. Files reach past 4 GiB: every
// offset is 64-bit, and only the classic table's ten digits bound what a copy can list.
using PdfOffset = uint64_t;

#endif  // QUILLTURN_SRC_STREAMS_PDF_OFFSET_H_
