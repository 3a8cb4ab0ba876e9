#include "objects/cpdf_object.h"

#include <cstring>
#include <utility>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_resolver.h"
#include "objects/cpdf_string.h"
#include "objects/interned_text.h"

namespace {

// Common names and keywords point into static storage; all other texts are owned copies.
char* DuplicateText(const char* text, size_t len) {
  if (const char* interned = FindInterned(text, len)) {
    return const_cast<char*>(interned);
  }
  char* copy = new char[len + 1];
  std::memcpy(copy, text, len);
  copy[len] = '\0';
  return copy;
}

char* CopyText(const char* text) {
  if (IsInterned(text)) {
    return const_cast<char*>(text);
  }
  return DuplicateText(text, std::strlen(text));
}

}  // namespace

CPdfObject::CPdfObject(const CPdfObject& other) {
  Assign(other);
}

CPdfObject::CPdfObject(CPdfObject&& other) noexcept {
  Swap(other);
}

CPdfObject::~CPdfObject() {
  Clear();
}

void CPdfObject::Clear() {
  switch (kind_) {
    case PDF_NAME:
    case PDF_KEYWORD:
      if (!IsInterned(payload_.text)) {
        delete[] payload_.text;
      }
      break;
    case PDF_STRING:
      delete payload_.string;
      break;
    case PDF_ARRAY:
      payload_.array->Release();
      break;
    case PDF_DICT:
      payload_.dict->Release();
      break;
    case PDF_STREAM:
      payload_.stream_object->Release();
      break;
    default:
      break;
  }
  kind_ = PDF_NONE;
  payload_.real = 0;
}

void CPdfObject::Assign(const CPdfObject& source) {
  if (&source == this) {
    return;
  }
  switch (source.kind_) {
    case PDF_NAME:
    case PDF_KEYWORD:
      payload_.text = CopyText(source.payload_.text);
      break;
    case PDF_STRING:
      payload_.string = new CPdfString(*source.payload_.string);
      break;
    case PDF_ARRAY:
      payload_.array = source.payload_.array;
      payload_.array->AddRef();
      break;
    case PDF_DICT:
      payload_.dict = source.payload_.dict;
      payload_.dict->AddRef();
      break;
    case PDF_STREAM:
      payload_.stream_object = source.payload_.stream_object;
      payload_.stream_object->AddRef();
      break;
    default:
      payload_ = source.payload_;
      break;
  }
  kind_ = source.kind_;
}

void CPdfObject::Swap(CPdfObject& other) {
  std::swap(kind_, other.kind_);
  std::swap(payload_, other.payload_);
}

void CPdfObject::CopyTo(CPdfObject& target) const {
  target.Assign(*this);
}

void CPdfObject::Resolve(CPdfResolver* xref, CPdfObject& out) const {
  if (kind_ == PDF_REF && xref) {
    xref->GetObject(payload_.ref.num, payload_.ref.gen, out);
  } else {
    out.Assign(*this);
  }
}

bool CPdfObject::IsKeyword(const char* text) const {
  return kind_ == PDF_KEYWORD && payload_.text[0] == text[0] &&
         std::strcmp(payload_.text, text) == 0;
}

void CPdfObject::SetBool(bool value) {
  kind_ = PDF_BOOL;
  payload_.boolean = value;
}

void CPdfObject::SetInt(int64_t value) {
  kind_ = PDF_INT;
  payload_.integer = value;
}

void CPdfObject::SetReal(double value) {
  kind_ = PDF_REAL;
  payload_.real = value;
}

void CPdfObject::SetOwnedText(PdfKind kind, const char* text, size_t length) {
  payload_.text = DuplicateText(text, length);
  kind_ = kind;
}

void CPdfObject::SetName(const char* text, size_t length) {
  SetOwnedText(PDF_NAME, text, length);
}

void CPdfObject::SetKeyword(const char* text, size_t length) {
  SetOwnedText(PDF_KEYWORD, text, length);
}

void CPdfObject::SetString(const CPdfString& str) {
  payload_.string = new CPdfString(str);
  kind_ = PDF_STRING;
}

void CPdfObject::SetNull() {
  kind_ = PDF_NULL;
}

void CPdfObject::SetError() {
  kind_ = PDF_ERROR;
}

void CPdfObject::SetEof() {
  kind_ = PDF_EOF;
}

void CPdfObject::SetRef(int32_t num, int32_t gen) {
  kind_ = PDF_REF;
  payload_.ref.num = num;
  payload_.ref.gen = gen;
}

void CPdfObject::NewArray(CPdfResolver* xref) {
  payload_.array = new CPdfArray(xref);
  kind_ = PDF_ARRAY;
}

void CPdfObject::NewDictionary(CPdfResolver* xref) {
  payload_.dict = new CPdfDictionary(xref);
  kind_ = PDF_DICT;
}

void CPdfObject::SetDictionary(CPdfDictionary* dict) {
  dict->AddRef();
  payload_.dict = dict;
  kind_ = PDF_DICT;
}

void CPdfObject::SetStream(CPdfStream* stream, CPdfDictionary* dict) {
  payload_.stream_object = new CPdfStreamObject(stream, dict);
  kind_ = PDF_STREAM;
}

bool CPdfObject::IsSameSimpleValue(const CPdfObject& other) const {
  if (kind_ != other.kind_) {
    return false;
  }
  switch (kind_) {
    case PDF_BOOL:
      return GetBool() == other.GetBool();
    case PDF_INT:
      return GetInt() == other.GetInt();
    case PDF_REAL:
      return GetReal() == other.GetReal();
    case PDF_NAME:
    case PDF_KEYWORD:
      return std::strcmp(GetText(), other.GetText()) == 0;
    case PDF_STRING:
      return GetString()->GetLength() == other.GetString()->GetLength() &&
             std::memcmp(GetString()->GetData(), other.GetString()->GetData(),
                         GetString()->GetLength()) == 0;
    case PDF_REF:
      return GetRefNum() == other.GetRefNum() && GetRefGen() == other.GetRefGen();
    case PDF_NULL:
      return true;
    default:
      return false;
  }
}
