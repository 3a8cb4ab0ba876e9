#include "objects/cpdf_string.h"

#include <algorithm>
#include <cstring>

#include "objects/pdf_char_class.h"

CPdfString::CPdfString(const uint8_t* data, size_t length) : data_(data, data + length) {}

CPdfString::CPdfString(const char* text)
    : data_(reinterpret_cast<const uint8_t*>(text),
            reinterpret_cast<const uint8_t*>(text) + std::strlen(text)) {}

CPdfString::~CPdfString() = default;

std::vector<uint8_t> CPdfString::ToHexForm() const {
  std::vector<uint8_t> out;
  out.reserve((literal_ ? 2 * data_.size() : data_.size()) + 2);
  out.push_back('<');
  if (literal_) {
    std::vector<uint8_t> hex = HexEncode(data_.data(), data_.size());
    out.insert(out.end(), hex.begin(), hex.end());
  } else {
    out.insert(out.end(), data_.begin(), data_.end());
  }
  out.push_back('>');
  return out;
}

std::vector<uint8_t> HexEncode(const uint8_t* data, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::vector<uint8_t> out(2 * count);
  for (size_t i = 0; i < count; ++i) {
    out[2 * i] = static_cast<uint8_t>(kDigits[data[i] >> 4]);
    out[2 * i + 1] = static_cast<uint8_t>(kDigits[data[i] & 0x0F]);
  }
  return out;
}

std::vector<uint8_t> HexDecode(const uint8_t* digits, size_t count) {
  std::vector<uint8_t> out(count / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<uint8_t>(16 * std::max(PdfHexValue(digits[2 * i]), 0) +
                                  std::max(PdfHexValue(digits[2 * i + 1]), 0));
  }
  return out;
}
