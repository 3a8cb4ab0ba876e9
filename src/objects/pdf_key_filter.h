#ifndef QUILLTURN_SRC_OBJECTS_PDF_KEY_FILTER_H_
#define QUILLTURN_SRC_OBJECTS_PDF_KEY_FILTER_H_

#include <cstdint>
#include <string_view>

// What a dictionary parsed for the page-tree walk keeps of a key's value: nothing (the value
// is stepped over), the value (built for the walk in turn), or only its kind (a container then
// arrives empty).
enum class PdfKeep : uint8_t { kNothing, kValue, kKind };

// Asked for every key of every dictionary the walk parses: a plain function, no state.
using PdfKeyFilter = PdfKeep (*)(std::string_view key);

#endif  // QUILLTURN_SRC_OBJECTS_PDF_KEY_FILTER_H_
