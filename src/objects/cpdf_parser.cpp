#include "objects/cpdf_parser.h"

#include <string_view>
#include <utility>
#include <vector>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/cpdf_string.h"
#include "objects/pdf_messages.h"
#include "objects/stream_filters.h"
#include "streams/cpdf_memory_stream.h"
#include "streams/cpdf_stream.h"

CPdfParser::CPdfParser(CPdfResolver* resolver, CPdfStream* stream)
    : resolver_(resolver),
      stream_(stream),
      lexer_(PdfStreamSource(stream, PdfStreamSource::Positions::kZero), true) {}

CPdfParser::~CPdfParser() {
  stream_->Release();
}

void CPdfParser::DecodeLiteralString(const std::string& text) {
  // text is the whole token: "(" and, when the string is closed, its ")".
  text_.clear();
  int depth = 1;
  const size_t n = text.size();
  for (size_t i = 1; i < n; ++i) {
    int c = static_cast<uint8_t>(text[i]);
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) {
        break;
      }
    } else if (c == '\\') {
      if (++i >= n) {
        break;
      }
      const int e = static_cast<uint8_t>(text[i]);
      switch (e) {
        case '\n':
          continue;
        case '\r':
          if (i + 1 < n && text[i + 1] == '\n') {
            ++i;
          }
          continue;
        case 'n':
          c = '\n';
          break;
        case 'r':
          c = '\r';
          break;
        case 't':
          c = '\t';
          break;
        case 'b':
          c = '\b';
          break;
        case 'f':
          c = '\f';
          break;
        default:
          if (e >= '0' && e <= '7') {
            int value = e - '0';
            for (int k = 0; k < 2 && i + 1 < n && text[i + 1] >= '0' && text[i + 1] <= '7'; ++k) {
              value = value * 8 + (text[++i] - '0');
            }
            c = value & 0xFF;
          } else {
            c = e;
          }
          break;
      }
    }
    text_.push_back(static_cast<char>(c));
  }
}

namespace {

void MakeNumber(const PdfToken& token, const std::string& text, CPdfObject& out) {
  if (token.int32) {
    out.SetInt(token.value);
    return;
  }
  const PdfNumber n = ParsePdfNumber(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (n.integer) {
    out.SetInt(n.value);
  } else {
    out.SetReal(n.real);
  }
}

void MakeName(const std::string& text, CPdfObject& out) {
  if (text.find('#') != std::string::npos || text.find('\0') != std::string::npos) {
    const std::string name =
        DecodePdfName(reinterpret_cast<const uint8_t*>(text.data()) + 1, text.size() - 1);
    out.SetName(name.data(), name.size());
  } else {
    out.SetName(text.data() + 1, text.size() - 1);
  }
}

void MakeHexString(const std::string& text, CPdfObject& out) {
  const size_t inner = text.size() - 1 - (text.size() > 1 && text.back() == '>' ? 1 : 0);
  CPdfString str(reinterpret_cast<const uint8_t*>(text.data()) + 1, inner);
  str.SetLiteral(false);
  out.SetString(str);
}

// true, false and null; other keywords and the delimiters "<<", ">>", "[" and "]" met where no
// value starts stand as keywords (the lexer keeps no text for a delimiter).
void MakeKeyword(const PdfToken& token, const std::string& text, CPdfObject& out) {
  if (token.kind == PdfTokenKind::kKeyword) {
    switch (token.keyword) {
      case PdfKeyword::kTrue:
        out.SetBool(true);
        return;
      case PdfKeyword::kFalse:
        out.SetBool(false);
        return;
      case PdfKeyword::kNull:
        out.SetNull();
        return;
      default:
        break;
    }
  }
  switch (token.kind) {
    case PdfTokenKind::kDictOpen:
      out.SetKeyword("<<", 2);
      return;
    case PdfTokenKind::kDictClose:
      out.SetKeyword(">>", 2);
      return;
    case PdfTokenKind::kArrayOpen:
      out.SetKeyword("[", 1);
      return;
    case PdfTokenKind::kArrayClose:
      out.SetKeyword("]", 1);
      return;
    default:
      out.SetKeyword(text.data(), text.size());
      return;
  }
}

}  // namespace

void CPdfParser::MakeValue(const PdfToken& token, const std::string& text, CPdfObject& out) {
  switch (token.kind) {
    case PdfTokenKind::kEnd:
      out.SetEof();
      return;
    case PdfTokenKind::kNumber:
      MakeNumber(token, text, out);
      return;
    case PdfTokenKind::kName:
      MakeName(text, out);
      return;
    case PdfTokenKind::kLiteralString:
      DecodeLiteralString(text);
      out.SetString(CPdfString(reinterpret_cast<const uint8_t*>(text_.data()), text_.size()));
      return;
    case PdfTokenKind::kHexString:
      MakeHexString(text, out);
      return;
    case PdfTokenKind::kStray:
      out.SetError();
      return;
    default:
      MakeKeyword(token, text, out);
      return;
  }
}

void CPdfParser::ParseObject(CPdfObject& out) {
  ParseObjectAt(out, 0, walk_keys_ ? Build::kWalk : Build::kAll);
}

void CPdfParser::ParseObjectAt(CPdfObject& out, int depth, Build build) {
  const PdfTokenKind kind = lexer_.Peek(0).kind;
  if ((kind == PdfTokenKind::kArrayOpen || kind == PdfTokenKind::kDictOpen) &&
      depth >= kMaxNesting) {
    throw CPdfException(kMsgNesting);
  }
  switch (kind) {
    case PdfTokenKind::kEnd:
      out.SetEof();
      return;
    case PdfTokenKind::kArrayOpen:
      ParseArray(out, depth, build);
      return;
    case PdfTokenKind::kDictOpen:
      ParseDictionary(out, depth, build);
      return;
    case PdfTokenKind::kNumber: {
      const PdfToken& num = lexer_.Peek(0);
      const PdfToken& gen = lexer_.Peek(1);
      if (num.int32 && gen.int32 && lexer_.Peek(2).Is(PdfKeyword::kR)) {
        out.SetRef(num.value, gen.value);
        Drop();
        Drop();
        Drop();
        return;
      }
      break;
    }
    default:
      break;
  }
  MakeValue(lexer_.Peek(0), lexer_.Text(0), out);
  Drop();
}

void CPdfParser::ParseArray(CPdfObject& out, int depth, Build build) {
  const PdfToken open = lexer_.Next();
  out.NewArray(resolver_);
  if (build == Build::kKind) {
    StepOverValue(open, depth);
    return;
  }
  for (;;) {
    const bool past_limit = build != Build::kAll &&
                            static_cast<size_t>(out.GetArray()->GetCount()) >= walk_array_limit_;
    // A reference, the usual element (a page tree's /Kids), is taken in place when the
    // bytes held show it whole.
    int32_t num = 0;
    int32_t gen = 0;
    if (!past_limit && lexer_.TakeReference(&num, &gen)) {
      CPdfObject element;
      element.SetRef(num, gen);
      out.GetArray()->Append(std::move(element));
      continue;
    }
    const PdfTokenKind k = lexer_.Peek(0).kind;
    if (k == PdfTokenKind::kArrayClose) {
      break;
    }
    if (AtObjectEnd()) {
      return;
    }
    // The walk reads the dictionaries of an array (kids written in /Kids), never its arrays.
    const Build element_build = build == Build::kAll            ? Build::kAll
                                : k == PdfTokenKind::kArrayOpen ? Build::kKind
                                                                : Build::kWalk;
    if (past_limit) {
      // Past what the walk may visit: stepped over, the array marked as such.
      StepOverValue(open, depth);
      CPdfObject past;
      past.SetError();
      out.GetArray()->Append(std::move(past));
      return;
    }
    CPdfObject element;
    ParseObjectAt(element, depth + 1, element_build);
    out.GetArray()->Append(std::move(element));
  }
  Drop();
}

void CPdfParser::StepOverValue(const PdfToken& first, int depth) {
  size_t levels = 0;
  lexer_.StepOverValue(first, nullptr, &levels);
  if (levels > 0 && depth + static_cast<int64_t>(levels) - 1 >= kMaxNesting) {
    throw CPdfException(kMsgNesting);
  }
}

void CPdfParser::ParseDictionary(CPdfObject& out, int depth, Build build) {
  const PdfToken open = lexer_.Next();
  out.NewDictionary(resolver_);
  if (build == Build::kKind) {
    StepOverValue(open, depth);
    return;
  }
  for (;;) {
    const PdfTokenKind kind = lexer_.Peek(0).kind;
    if (kind == PdfTokenKind::kDictClose || AtObjectEnd()) {
      break;
    }
    if (kind != PdfTokenKind::kName) {
      Drop();
      continue;
    }
    const std::string& key = lexer_.Text(0);
    const std::string name =
        DecodePdfName(reinterpret_cast<const uint8_t*>(key.data()) + 1, key.size() - 1);
    Drop();
    const PdfTokenKind value_kind = lexer_.Peek(0).kind;
    // A key before a stray byte is dropped with it; before the end it has no value (null).
    if (value_kind == PdfTokenKind::kStray) {
      continue;
    }
    if (value_kind == PdfTokenKind::kDictClose || AtObjectEnd()) {
      break;
    }
    Build value_build = Build::kAll;
    if (build == Build::kWalk) {
      const PdfKeep keep = walk_keys_(name);
      if (keep == PdfKeep::kNothing) {
        StepOverValue(lexer_.Next(), depth + 1);
        continue;
      }
      value_build = keep == PdfKeep::kKind ? Build::kKind : Build::kWalk;
    }
    CPdfObject value;
    ParseObjectAt(value, depth + 1, value_build);
    // A key given twice with two values: readers take the last, the first counts here, and a
    // copy would then mean another document to one of the two.
    if (!out.GetDict()->Add(name.c_str(), value) &&
        !out.GetDict()->Find(name.c_str())->IsSameSimpleValue(value)) {
      throw CPdfException(kMsgDamaged);
    }
  }
  if (lexer_.Peek(0).kind != PdfTokenKind::kDictClose) {
    return;
  }
  Drop();
  // Only a dictionary can have a body: one token more tells.
  if (depth > 0 || !lexer_.Peek(0).Is(PdfKeyword::kStream)) {
    return;
  }
  Drop();
  MakeStream(out);
}

void CPdfParser::MakeStream(CPdfObject& out) {
  CPdfObject dict;
  dict.Assign(out);
  out.Clear();
  bool has_dict = false;
  CPdfStream* body = ReadStreamBody(dict, &has_dict);
  if (body) {
    out.SetStream(body, has_dict ? dict.GetDict() : nullptr);
    body->Release();
  } else {
    out.SetError();
  }
}

void CPdfParser::SkipToLineEnd() {
  for (;;) {
    int c = GetByte();
    if (c < 0 || c == '\n') {
      return;
    }
    if (c == '\r') {
      if (PeekByte() == '\n') {
        GetByte();
      }
      return;
    }
  }
}

CPdfStream* CPdfParser::ReadStreamBody(const CPdfObject& dict, bool* has_dict) {
  if (body_known_) {
    body_known_ = false;
    // A body known to be empty is read from memory, and such a stream offers no dictionary.
    *has_dict = body_length_ != 0;
    CPdfStream* window = body_length_ == 0 ? new CPdfMemoryStream(nullptr, 0)
                                           : stream_->CreateSubStream(body_start_, body_length_);
    if (!window || !decode_streams_) {
      return window;
    }
    CPdfStream* decoded = ApplyFilters(window, dict, filter_choice_);
    if (!decoded) {
      window->Release();
    }
    return decoded;
  }
  SkipToLineEnd();
  const PdfOffset start = stream_->Tell();
  CPdfObject length_value;
  dict.GetDict()->Lookup("Length", length_value);
  // A negative length is as unusable as a missing one. Bodies the parser bounds by their own
  // /Length (cross-reference streams, objects the map gave no body) stay within 32 bits; the
  // map's own pass steps over longer ones.
  if (!length_value.IsKind(PDF_INT) || length_value.GetInt() < 0 ||
      length_value.GetInt() > UINT32_MAX) {
    return nullptr;
  }
  const PdfOffset length = static_cast<PdfOffset>(length_value.GetInt());
  CPdfRefPtr<CPdfStream> body;
  CPdfStream* window = stream_->CreateSubStream(start, length);
  if (window) {
    *has_dict = true;
    if (!decode_streams_) {
      body = CPdfRefPtr<CPdfStream>::Adopt(window);
    } else {
      CPdfStream* decoded = ApplyFilters(window, dict, filter_choice_);
      if (decoded) {
        body = CPdfRefPtr<CPdfStream>::Adopt(decoded);
      } else {
        window->Release();
      }
    }
    stream_->Seek(start + length, 0);
  } else {
    // No file behind this stream (an object stream's data): the body cannot become a window,
    // so it is stepped over like a body whose filters are declined.
    for (PdfOffset i = 0; i < length && GetByte() >= 0; ++i) {
    }
  }
  if (!lexer_.Peek(0).Is(PdfKeyword::kEndstream)) {
    throw CPdfException(kMsgMissingEndstream);
  }
  Drop();
  return body.Leak();
}
