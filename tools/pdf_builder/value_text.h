#ifndef QUILLTURN_TOOLS_PDF_BUILDER_VALUE_TEXT_H_
#define QUILLTURN_TOOLS_PDF_BUILDER_VALUE_TEXT_H_

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_string.h"

// Values written back as PDF syntax and compared: for the properties the fuzz targets check,
// and for the parser's tests.

// Whether value holds only kinds that can be written back (no stream, error, end or keyword).
inline bool Writable(const CPdfObject& value) {
  switch (value.GetKind()) {
    case PDF_ARRAY:
      for (int32_t i = 0; i < value.GetArray()->GetCount(); ++i) {
        if (!Writable(value.GetArray()->At(i))) {
          return false;
        }
      }
      return true;
    case PDF_DICT:
      for (const auto& entry : value.GetDict()->GetEntries()) {
        if (!Writable(entry.second)) {
          return false;
        }
      }
      return true;
    case PDF_STREAM:
    case PDF_KEYWORD:
    case PDF_ERROR:
    case PDF_EOF:
    case PDF_NONE:
      return false;
    default:
      return true;
  }
}

inline std::string NameText(const std::string& name) {
  std::string out = "/";
  for (unsigned char c : name) {
    if (c > 0x20 && c < 0x7F && !std::strchr("#%()<>[]{}/", c)) {
      out += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof(hex), "#%02x", c);
      out += hex;
    }
  }
  return out;
}

// A literal string with every byte a reader might take otherwise escaped: the named escapes
// where there is one, octal for the rest.
inline std::string LiteralText(const uint8_t* bytes, size_t length) {
  static const char kBytes[] = "\n\r\t\b\f()\\";
  static const char kLetters[] = "nrtbf()\\";
  std::string out = "(";
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = bytes[i];
    const char* named = c != 0 ? std::strchr(kBytes, c) : nullptr;
    if (named) {
      out += '\\';
      out += kLetters[named - kBytes];
    } else if (c < 0x20 || c >= 0x7F) {
      char octal[5];
      std::snprintf(octal, sizeof(octal), "\\%03o", c);
      out += octal;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + ")";
}

// A writable value as PDF syntax; reals in plain decimals. A hexadecimal string holds its
// digits as they were read, so it goes back between angle brackets as it is.
inline std::string ValueText(const CPdfObject& value) {
  switch (value.GetKind()) {
    case PDF_BOOL:
      return value.GetBool() ? "true" : "false";
    case PDF_INT:
      return std::to_string(value.GetInt());
    case PDF_REAL: {
      const int length = std::snprintf(nullptr, 0, "%.9f", value.GetReal());
      std::string text(static_cast<size_t>(length) + 1, '\0');
      std::snprintf(&text[0], text.size(), "%.9f", value.GetReal());
      text.resize(static_cast<size_t>(length));
      return text;
    }
    case PDF_STRING: {
      const CPdfString& s = *value.GetString();
      return s.IsLiteral() ? LiteralText(s.GetData(), s.GetLength())
                           : "<" + std::string(s.GetData(), s.GetData() + s.GetLength()) + ">";
    }
    case PDF_NAME:
      return NameText(value.GetText());
    case PDF_ARRAY: {
      std::string out = "[";
      for (int32_t i = 0; i < value.GetArray()->GetCount(); ++i) {
        out += " " + ValueText(value.GetArray()->At(i));
      }
      return out + " ]";
    }
    case PDF_DICT: {
      std::string out = "<<";
      for (const auto& [key, v] : value.GetDict()->GetEntries()) {
        out += " " + NameText(key) + " " + ValueText(v);
      }
      return out + " >>";
    }
    case PDF_REF:
      return std::to_string(value.GetRefNum()) + " " + std::to_string(value.GetRefGen()) + " R";
    default:
      return "null";
  }
}

// Equal values; reals within the precision ValueText keeps; a dictionary's key `skip` ignored.
inline bool SameValue(const CPdfObject& a, const CPdfObject& b, const char* skip = "") {
  if (a.GetKind() != b.GetKind()) {
    return false;
  }
  switch (a.GetKind()) {
    case PDF_BOOL:
      return a.GetBool() == b.GetBool();
    case PDF_INT:
      return a.GetInt() == b.GetInt();
    case PDF_REAL:
      return std::fabs(a.GetReal() - b.GetReal()) <= 1e-9 * std::fmax(1.0, std::fabs(a.GetReal()));
    case PDF_NAME:
    case PDF_KEYWORD:
      return std::string(a.GetText()) == b.GetText();
    case PDF_STRING:
      return a.GetString()->IsLiteral() == b.GetString()->IsLiteral() &&
             a.GetString()->GetLength() == b.GetString()->GetLength() &&
             (a.GetString()->GetLength() == 0 ||
              std::memcmp(a.GetString()->GetData(), b.GetString()->GetData(),
                          a.GetString()->GetLength()) == 0);
    case PDF_ARRAY: {
      if (a.GetArray()->GetCount() != b.GetArray()->GetCount()) {
        return false;
      }
      for (int32_t i = 0; i < a.GetArray()->GetCount(); ++i) {
        if (!SameValue(a.GetArray()->At(i), b.GetArray()->At(i))) {
          return false;
        }
      }
      return true;
    }
    case PDF_DICT: {
      const auto& x = a.GetDict()->GetEntries();
      const auto& y = b.GetDict()->GetEntries();
      auto i = x.begin();
      auto j = y.begin();
      for (;;) {
        while (i != x.end() && i->first == skip) {
          ++i;
        }
        while (j != y.end() && j->first == skip) {
          ++j;
        }
        if (i == x.end() || j == y.end()) {
          return i == x.end() && j == y.end();
        }
        if (i->first != j->first || !SameValue(i->second, j->second)) {
          return false;
        }
        ++i;
        ++j;
      }
    }
    case PDF_REF:
      return a.GetRefNum() == b.GetRefNum() && a.GetRefGen() == b.GetRefGen();
    default:
      return true;
  }
}

// A finding: the property does not hold.
inline void Violated(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

#endif  // QUILLTURN_TOOLS_PDF_BUILDER_VALUE_TEXT_H_
