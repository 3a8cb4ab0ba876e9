#include "objects/cpdf_parser.h"

#include <charconv>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/cpdf_string.h"
#include "objects/pdf_char_class.h"
#include "objects/pdf_messages.h"
#include "streams/cpdf_stream.h"

CPdfParser::CPdfParser(CPdfResolver* resolver, CPdfStream* stream)
    : resolver_(resolver), stream_(stream) {
  NextToken(current_);
  NextToken(next_);
}

CPdfParser::~CPdfParser() {
  current_.Clear();
  next_.Clear();
  stream_->Release();
}

void CPdfParser::NextToken(CPdfObject& token) {
  int c;
  for (;;) {
    c = GetByte();
    if (c < 0) {
      token.SetEof();
      return;
    }
    if (c == '%') {
      // A comment runs to the next CR or LF.
      do {
        c = GetByte();
      } while (c >= 0 && c != '\r' && c != '\n');
      if (c < 0) {
        token.SetEof();
        return;
      }
      continue;
    }
    if (!PdfIsWhite(c)) {
      break;
    }
  }
  switch (c) {
    case '(':
      ReadLiteralString(token);
      return;
    case ')':
    case '{':
    case '}':
      token.SetError();
      return;
    case '/':
      ReadName(token);
      return;
    case '<':
      if (PeekByte() == '<') {
        GetByte();
        token.SetKeyword("<<");
      } else {
        ReadHexString(token);
      }
      return;
    case '>':
      if (PeekByte() == '>') {
        GetByte();
        token.SetKeyword(">>");
      } else {
        token.SetError();
      }
      return;
    case '[':
      token.SetKeyword("[");
      return;
    case ']':
      token.SetKeyword("]");
      return;
    default:
      break;
  }
  if (c == '-' || c == '.' || (c >= '0' && c <= '9')) {
    ReadNumber(c, token);
  } else {
    ReadWord(c, token);
  }
}

void CPdfParser::ReadLiteralString(CPdfObject& token) {
  text_.clear();
  int depth = 1;
  for (;;) {
    int c = GetByte();
    if (c < 0) {
      break;
    }
    if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth == 0) {
        break;
      }
    } else if (c == '\\') {
      int e = GetByte();
      if (e < 0) {
        break;
      }
      switch (e) {
        case '\n':
          continue;
        case '\r':
          if (PeekByte() == '\n') {
            GetByte();
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
            for (int k = 0; k < 2; ++k) {
              int p = PeekByte();
              if (p < '0' || p > '7') {
                break;
              }
              GetByte();
              value = value * 8 + (p - '0');
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
  CPdfString str(reinterpret_cast<const uint8_t*>(text_.data()), text_.size());
  token.SetString(str);
}

void CPdfParser::ReadHexString(CPdfObject& token) {
  text_.clear();
  for (;;) {
    int c = GetByte();
    if (c < 0 || c == '>') {
      break;
    }
    text_.push_back(static_cast<char>(c));
  }
  CPdfString str(reinterpret_cast<const uint8_t*>(text_.data()), text_.size());
  str.SetLiteral(false);
  token.SetString(str);
}

void CPdfParser::ReadNumber(int first, CPdfObject& token) {
  // Integers are accumulated as their digits arrive, in 32-bit two's-complement arithmetic
  // that wraps on overflow; the text is kept in case a "." makes the number a real.
  text_.assign(1, static_cast<char>(first));
  uint32_t value = (first >= '0' && first <= '9') ? static_cast<uint32_t>(first - '0') : 0;
  bool real = first == '.';
  for (;;) {
    const int p = PeekByte();
    if (p >= '0' && p <= '9') {
      GetByte();
      text_.push_back(static_cast<char>(p));
      value = value * 10u + static_cast<uint32_t>(p - '0');
    } else if (p == '.') {
      GetByte();
      text_.push_back('.');
      real = true;
    } else {
      break;
    }
  }
  if (real) {
    // Locale-independent; stops at the first byte that does not fit ("1.2.3" gives 1.2).
    double number = 0;
    const char* begin = text_.data();
    std::from_chars(begin, begin + text_.size(), number);
    token.SetReal(number);
    return;
  }
  token.SetInt(static_cast<int32_t>(first == '-' ? 0u - value : value));
}

void CPdfParser::ReadName(CPdfObject& token) {
  text_.clear();
  for (;;) {
    int p = PeekByte();
    if (!PdfIsRegular(p)) {
      break;
    }
    int a = GetByte();
    if (a == '#') {
      int high = PdfHexValue(PeekByte());
      if (high >= 0) {
        int h = GetByte();
        int low = PdfHexValue(PeekByte());
        if (low >= 0) {
          GetByte();
          text_.push_back(static_cast<char>(16 * high + low));
        } else {
          // "#" and one digit stay plain name bytes; the byte after them is left unread.
          text_.push_back('#');
          text_.push_back(static_cast<char>(h));
        }
        continue;
      }
    }
    text_.push_back(static_cast<char>(a));
  }
  // A name ends at its first zero byte.
  const size_t zero = text_.find('\0');
  token.SetName(text_.data(), zero == std::string::npos ? text_.size() : zero);
}

void CPdfParser::ReadWord(int first, CPdfObject& token) {
  text_.assign(1, static_cast<char>(first));
  while (PdfIsRegular(PeekByte())) {
    text_.push_back(static_cast<char>(GetByte()));
  }
  const size_t n = text_.size();
  if (n == 4 && text_ == "true") {
    token.SetBool(true);
  } else if (n == 5 && text_ == "false") {
    token.SetBool(false);
  } else if (n == 4 && text_ == "null") {
    token.SetNull();
  } else {
    // A word holds no zero byte: zero is white space and ends it.
    token.SetKeyword(text_.data(), text_.size());
  }
}

void CPdfParser::Advance() {
  // The next token becomes current: moved, not copied.
  current_.Clear();
  current_.Swap(next_);
  NextToken(next_);
}

void CPdfParser::ParseObject(CPdfObject& out) {
  ParseObjectAt(out, 0);
}

void CPdfParser::ParseObjectAt(CPdfObject& out, int depth) {
  const bool array = current_.IsKeyword("[");
  if ((array || current_.IsKeyword("<<")) && depth >= kMaxNesting) {
    throw CPdfException(kMsgNesting);
  }
  if (array) {
    Advance();
    out.NewArray(resolver_);
    while (!current_.IsKeyword("]") && !current_.IsKind(PDF_EOF)) {
      CPdfObject element;
      ParseObjectAt(element, depth + 1);
      out.GetArray()->Append(element);
    }
    Advance();
    return;
  }
  if (current_.IsKeyword("<<")) {
    Advance();
    out.NewDictionary(resolver_);
    while (!current_.IsKeyword(">>") && !current_.IsKind(PDF_EOF)) {
      if (!current_.IsKind(PDF_NAME)) {
        Advance();
        continue;
      }
      std::string key = current_.GetText();
      Advance();
      if (current_.IsKind(PDF_ERROR)) {
        continue;
      }
      CPdfObject value;
      ParseObjectAt(value, depth + 1);
      out.GetDict()->Add(key.c_str(), value);
    }
    if (current_.IsKeyword(">>") && next_.IsKeyword("stream")) {
      CPdfObject dict;
      dict.Assign(out);
      out.Clear();
      CPdfStream* body = ReadStreamBody(dict);
      if (body) {
        out.SetStream(body);
        body->Release();
      } else {
        out.SetError();
      }
      return;
    }
    Advance();
    return;
  }
  if (current_.IsKind(PDF_INT)) {
    int32_t n = current_.GetInt();
    Advance();
    if (current_.IsKind(PDF_INT) && next_.IsKeyword("R")) {
      out.SetRef(n, current_.GetInt());
      Advance();
      Advance();
    } else {
      out.SetInt(n);
    }
    return;
  }
  out.Assign(current_);
  Advance();
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

CPdfStream* CPdfParser::ReadStreamBody(const CPdfObject& dict) {
  SkipToLineEnd();
  const uint32_t start = stream_->Tell();
  CPdfObject length_value;
  dict.GetDict()->Lookup("Length", length_value);
  // A negative length is as unusable as a missing one.
  if (!length_value.IsKind(PDF_INT) || length_value.GetInt() < 0) {
    return nullptr;
  }
  const uint32_t length = static_cast<uint32_t>(length_value.GetInt());
  CPdfRefPtr<CPdfStream> body;
  CPdfStream* window = stream_->CreateSubStream(start, length, dict);
  if (window) {
    if (!decode_streams_) {
      body = CPdfRefPtr<CPdfStream>::Adopt(window);
    } else {
      CPdfStream* decoded = window->ApplyFilters(dict);
      if (decoded) {
        body = CPdfRefPtr<CPdfStream>::Adopt(decoded);
      } else {
        window->Release();
      }
    }
    stream_->Seek(static_cast<int32_t>(start + length), 0);
  } else {
    // No file behind this stream (an object stream's data): the body cannot become a window,
    // so it is stepped over like a body whose filters are declined.
    for (uint32_t i = 0; i < length && GetByte() >= 0; ++i) {
    }
  }
  Advance();
  Advance();
  if (!current_.IsKeyword("endstream")) {
    throw CPdfException(kMsgMissingEndstream);
  }
  Advance();
  return body.Leak();
}
