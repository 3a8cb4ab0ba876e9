#include "streams/cpdf_embed_stream.h"

#include "objects/cpdf_dictionary.h"

CPdfEmbedStream::CPdfEmbedStream(CPdfStream* wrapped,
                                 const CPdfObject& dict,
                                 bool limited,
                                 int32_t count)
    : wrapped_(wrapped), limited_(limited), remaining_(count) {
  dict_.Assign(dict);
}

CPdfEmbedStream::~CPdfEmbedStream() = default;

int32_t CPdfEmbedStream::GetChar() {
  if (limited_ && remaining_ == 0) {
    return -1;
  }
  // Only an exact 0 stops a limited view, so a negative count passes everything through.
  if (remaining_ != INT32_MIN) {
    --remaining_;
  }
  return wrapped_->GetChar();
}

int32_t CPdfEmbedStream::PeekChar() {
  if (limited_ && remaining_ == 0) {
    return -1;
  }
  return wrapped_->PeekChar();
}

CPdfDictionary* CPdfEmbedStream::GetDictionary() {
  return dict_.IsKind(PDF_DICT) ? dict_.GetDict() : nullptr;
}
