#include "objects/cpdf_object.h"

#include <cstring>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_resolver.h"
#include "objects/cpdf_string.h"
#include "streams/cpdf_stream.h"

namespace {

char* DuplicateText(const char* text) {
  size_t len = std::strlen(text);
  char* copy = new char[len + 1];
  std::memcpy(copy, text, len + 1);
  return copy;
}

}  // namespace

CPdfObject::CPdfObject(const CPdfObject& other) {
  Assign(other);
}

CPdfObject::~CPdfObject() {
  Clear();
}

void CPdfObject::Clear() {
  switch (kind_) {
    case PDF_TEXT:
    case PDF_NAME:
    case PDF_KEYWORD:
      delete[] payload_.text;
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
      payload_.stream->Release();
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
    case PDF_TEXT:
    case PDF_NAME:
    case PDF_KEYWORD:
      payload_.text = DuplicateText(source.payload_.text);
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
      payload_.stream = source.payload_.stream;
      payload_.stream->AddRef();
      break;
    default:
      payload_ = source.payload_;
      break;
  }
  kind_ = source.kind_;
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
  return kind_ == PDF_KEYWORD && std::strcmp(payload_.text, text) == 0;
}

void CPdfObject::SetBool(bool value) {
  kind_ = PDF_BOOL;
  payload_.boolean = value;
}

void CPdfObject::SetInt(int32_t value) {
  kind_ = PDF_INT;
  payload_.integer = value;
}

void CPdfObject::SetReal(double value) {
  kind_ = PDF_REAL;
  payload_.real = value;
}

void CPdfObject::SetOwnedText(PdfKind kind, const char* text) {
  payload_.text = DuplicateText(text);
  kind_ = kind;
}

void CPdfObject::SetText(const char* text) {
  SetOwnedText(PDF_TEXT, text);
}

void CPdfObject::SetName(const char* text) {
  SetOwnedText(PDF_NAME, text);
}

void CPdfObject::SetKeyword(const char* text) {
  SetOwnedText(PDF_KEYWORD, text);
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

void CPdfObject::SetStream(CPdfStream* stream) {
  stream->AddRef();
  payload_.stream = stream;
  kind_ = PDF_STREAM;
}
