#include "pdf_filter_encoding.h"

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "pdf_builder.h"

std::string AsciiHexEncode(const std::string& data) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < data.size(); ++i) {
    const auto byte = static_cast<uint8_t>(data[i]);
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
    if (i % 32 == 31) {
      out += '\n';
    }
  }
  return out + ">";
}

std::string Ascii85Encode(const std::string& data) {
  std::string out;
  size_t line = 0;
  for (size_t i = 0; i < data.size(); i += 4) {
    const size_t n = std::min<size_t>(4, data.size() - i);
    uint32_t value = 0;
    for (size_t k = 0; k < 4; ++k) {
      value = value << 8 | (k < n ? static_cast<uint8_t>(data[i + k]) : 0u);
    }
    std::string group;
    if (n == 4 && value == 0) {
      group = "z";
    } else {
      char digits[5];
      for (int k = 4; k >= 0; --k) {
        digits[k] = static_cast<char>('!' + value % 85);
        value /= 85;
      }
      group.assign(digits, n + 1);  // a short group keeps one digit more than its bytes
    }
    if (line + group.size() > 75) {
      out += '\n';
      line = 0;
    }
    out += group;
    line += group.size();
  }
  return out + "~>";
}

std::string FilterEntries(const StreamFilters& filters, const std::string& flate_params) {
  std::vector<std::string> names;
  std::vector<std::string> params;
  if (!filters.ascii.empty()) {
    names.push_back(filters.ascii);
    params.push_back("null");
  }
  if (!filters.flate.empty()) {
    names.push_back(filters.flate);
    params.push_back(flate_params.empty() ? "null" : flate_params);
  }
  if (names.empty()) {
    return "";
  }
  std::string out = " /Filter ";
  if (names.size() == 1 && !filters.array) {
    out += "/" + names[0];
  } else {
    out += "[";
    for (size_t k = 0; k < names.size(); ++k) {
      out += (k ? " /" : "/") + names[k];
    }
    out += "]";
  }
  if (filters.params_array) {
    out += " /DecodeParms [";
    for (size_t k = 0; k < params.size(); ++k) {
      out += (k ? " " : "") + params[k];
    }
    out += "]";
  } else if (!flate_params.empty()) {
    out += " /DecodeParms " + flate_params;
  }
  return out;
}

std::string Encode(const std::string& data, const StreamFilters& filters) {
  const std::string flated = filters.flate.empty() ? data : Deflate(data);
  if (filters.ascii.empty()) {
    return flated;
  }
  const bool hex = filters.ascii == "ASCIIHexDecode" || filters.ascii == "AHx";
  if (!hex && filters.ascii != "ASCII85Decode" && filters.ascii != "A85") {
    throw std::runtime_error("no such ASCII filter: " + filters.ascii);
  }
  return hex ? AsciiHexEncode(flated) : Ascii85Encode(flated);
}
