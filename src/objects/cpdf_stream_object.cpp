#include "objects/cpdf_stream_object.h"

#include "objects/cpdf_dictionary.h"
#include "streams/cpdf_stream.h"

CPdfStreamObject::CPdfStreamObject(CPdfStream* stream, CPdfDictionary* dict)
    : stream_(stream), dict_(dict) {
  stream_->AddRef();
  if (dict_) {
    dict_->AddRef();
  }
}

CPdfStreamObject::~CPdfStreamObject() {
  if (dict_) {
    dict_->Release();
  }
  stream_->Release();
}

void CPdfStreamObject::Release() {
  if (--ref_count_ == 0) {
    delete this;
  }
}
