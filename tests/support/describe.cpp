#include "describe.h"

#include <cstdio>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_string.h"
#include "streams/cpdf_memory_stream.h"

std::string Describe(const CPdfObject& value) {
  switch (value.GetKind()) {
    case PDF_BOOL:
      return value.GetBool() ? "true" : "false";
    case PDF_INT:
      return std::to_string(value.GetInt());
    case PDF_REAL: {
      char buf[32];
      std::snprintf(buf, sizeof(buf), "%g", value.GetReal());
      return std::string("r") + buf;
    }
    case PDF_TEXT:
      return std::string("t:") + value.GetText();
    case PDF_STRING: {
      const CPdfString* s = value.GetString();
      std::string bytes(reinterpret_cast<const char*>(s->GetData()), s->GetLength());
      return s->IsLiteral() ? "(" + bytes + ")" : "<" + bytes + ">";
    }
    case PDF_NAME:
      return std::string("/") + value.GetText();
    case PDF_NULL:
      return "null";
    case PDF_ARRAY: {
      std::string out = "[";
      for (int32_t i = 0; i < value.GetArray()->GetCount(); ++i) {
        out += (i ? " " : "") + Describe(value.GetArray()->At(i));
      }
      return out + "]";
    }
    case PDF_DICT: {
      std::string out = "<<";
      bool first = true;
      for (const auto& [key, v] : value.GetDict()->GetEntries()) {
        out += (first ? "/" : " /") + key + " " + Describe(v);
        first = false;
      }
      return out + ">>";
    }
    case PDF_STREAM:
      return "stream";
    case PDF_REF:
      return std::to_string(value.GetRefNum()) + " " + std::to_string(value.GetRefGen()) + " R";
    case PDF_KEYWORD:
      return std::string("k:") + value.GetText();
    case PDF_ERROR:
      return "err";
    case PDF_EOF:
      return "eof";
    case PDF_NONE:
      return "none";
  }
  return "?";
}

std::string ParseAll(const std::string& text) {
  CPdfParser parser(
      nullptr, new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  std::string out;
  for (int guard = 0; guard < 1000; ++guard) {
    CPdfObject value;
    parser.ParseObject(value);
    if (value.IsKind(PDF_EOF)) {
      break;
    }
    out += (out.empty() ? "" : " | ") + Describe(value);
  }
  return out;
}
