#include "objects/interned_text.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr size_t kWidth = 20;
constexpr const char* kWords[] = {
    "obj",
    "endobj",
    "R",
    "<<",
    ">>",
    "[",
    "]",
    "stream",
    "endstream",
    "xref",
    "trailer",
    "n",
    "f",
    "Type",
    "Page",
    "Pages",
    "Kids",
    "Count",
    "Parent",
    "Resources",
    "Contents",
    "MediaBox",
    "CropBox",
    "Rotate",
    "Font",
    "XObject",
    "ProcSet",
    "ExtGState",
    "ColorSpace",
    "Length",
    "Filter",
    "FlateDecode",
    "DecodeParms",
    "Annots",
    "Subtype",
    "BaseFont",
    "Encoding",
    "Width",
    "Height",
    "BitsPerComponent",
    "Image",
    "Catalog",
    "Size",
    "Root",
    "Info",
    "ID",
    "Prev",
    "ObjStm",
    "XRef",
    "N",
    "First",
    "W",
    "Index",
    "Predictor",
    "Columns",
    "Rect",
    "Border",
    "P",
    "F",
    "Widths",
    "FirstChar",
    "LastChar",
    "FontDescriptor",
    "Type1",
    "TrueType",
    "Helvetica",
    "WinAnsiEncoding",
    "Annot",
    "Link",
    "Dest",
    "A",
    "S",
    "URI",
    "DeviceRGB",
    "DeviceGray",
    "PDF",
    "Text",
    "ImageB",
    "ImageC",
    "Im1",
    "F1",
    "F2",
    "GS1",
    "Group",
    "Outlines",
    "Names",
    "Dests",
    "Metadata",
    "StructParents",
    "Tabs",
    "Producer",
    "Creator",
    "CreationDate",
    "ModDate",
    "Title",
    "Author",
};
constexpr size_t kCount = sizeof(kWords) / sizeof(kWords[0]);

struct Table {
  char storage[kCount][kWidth];
  int16_t slots[512];

  // Length, first and last bytes: enough to spread these words, in constant time.
  static size_t Hash(const char* text, size_t length) {
    const size_t first = static_cast<unsigned char>(text[0]);
    const size_t last = static_cast<unsigned char>(text[length - 1]);
    return (length * 97 + first * 31 + last * 7 + (length > 2 ? text[1] : 0)) & 511;
  }

  Table() : storage(), slots() {
    for (int16_t& s : slots) {
      s = -1;
    }
    for (size_t i = 0; i < kCount; ++i) {
      std::strncpy(storage[i], kWords[i], kWidth - 1);
      size_t h = Hash(kWords[i], std::strlen(kWords[i]));
      while (slots[h] >= 0) {
        h = (h + 1) & 511;
      }
      slots[h] = static_cast<int16_t>(i);
    }
  }
};

const Table& GetTable() {
  static const Table table;
  return table;
}

}  // namespace

const char* FindInterned(const char* text, size_t length) {
  if (length == 0 || length >= kWidth) {
    return nullptr;
  }
  const Table& t = GetTable();
  for (size_t h = Table::Hash(text, length);; h = (h + 1) & 511) {
    const int16_t slot = t.slots[h];
    if (slot < 0) {
      return nullptr;
    }
    const char* word = t.storage[slot];
    if (std::memcmp(word, text, length) == 0 && word[length] == '\0') {
      return word;
    }
  }
}

bool IsInterned(const char* p) {
  const Table& t = GetTable();
  const char* begin = &t.storage[0][0];
  return p >= begin && p < begin + sizeof(t.storage);
}
