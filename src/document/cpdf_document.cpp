#include "document/cpdf_document.h"

#include <cstring>

#include "document/cpdf_catalog.h"
#include "document/cpdf_page_facts_store.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_object.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_xref.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_input_file.h"

namespace {

constexpr int kHeaderWindow = 1023;
constexpr int kHeaderPositions = 1018;

// Which encrypted files are refused. This program does not decrypt: a copy keeps strings and
// streams encrypted under the same key and carries /Encrypt over as the input writes it.

// Objects inside an encrypted file's object streams cannot be read without decrypting. Checked
// before anything is fetched, which would fail on them with another message.
void RefuseEncryptedObjectStreams(const CPdfXRef& xref) {
  const CPdfObject* encrypt = xref.GetTrailer().GetDict()->Find("Encrypt");
  if (!encrypt || encrypt->IsKind(PDF_NULL)) {
    return;
  }
  for (const CPdfXRefTable::Item& item : xref.GetTable()) {
    if (item.entry.type == XRefEntry::kInStream) {
      throw CPdfException(kMsgEncryptedObjStm);
    }
  }
}

// A dictionary written directly in the trailer is refused: nothing here checks that such a
// copy could be decrypted. Checked once the catalog is read, whose faults are told first.
void RefuseDirectEncrypt(const CPdfXRef& xref) {
  const CPdfObject* encrypt = xref.GetTrailer().GetDict()->Find("Encrypt");
  if (encrypt && !encrypt->IsKind(PDF_NULL) && !encrypt->IsKind(PDF_REF)) {
    throw CPdfException(kMsgEncryptedDirect);
  }
}

}  // namespace

CPdfDocument::CPdfDocument() = default;

CPdfDocument::~CPdfDocument() {
  Close();
}

void CPdfDocument::Open(CPdfInputFile& file, bool with_boxes, CPdfNotesObserver* observer) {
  Close();
  file_ = &file;
  with_boxes_ = with_boxes;
  observer_ = observer;
  Load();
}

void CPdfDocument::Load() {
  try {
    if (file_->Size() > kMaxInputSize) {
      throw CPdfException(kMsgInputTooLarge);
    }
    stream_ = CPdfFileStream::Create(file_, 0, 0);
    ReadHeader();
    xref_ = std::make_unique<CPdfXRef>();
    xref_->Load(stream_);
    RefuseEncryptedObjectStreams(*xref_);
    fetcher_ = std::make_unique<CPdfFetcher>(stream_, file_, *xref_);
    page_facts_ = std::make_unique<CPdfPageFactsStore>();
    fetcher_->AddObserver(page_facts_.get());
    if (observer_) {
      fetcher_->AddObserver(observer_);
    }
    fetcher_->BuildMap();
    catalog_ = std::make_unique<CPdfCatalog>();
    catalog_->Load(fetcher_.get(), page_facts_.get(), with_boxes_);
    page_facts_->Release();
    RefuseDirectEncrypt(*xref_);
  } catch (...) {
    Close();
    throw;
  }
}

void CPdfDocument::ReadHeader() {
  char buffer[kHeaderWindow + 1];
  for (int i = 0; i < kHeaderWindow; ++i) {
    buffer[i] = static_cast<char>(stream_->GetChar());
  }
  buffer[kHeaderWindow] = 0;
  for (int pos = 0; pos < kHeaderPositions; ++pos) {
    if (std::memcmp(buffer + pos, "%PDF-", 5) != 0) {
      continue;
    }
    stream_->ShiftStart(pos);
    const char* token = buffer + pos + 1;
    // The version ends at white space: a form feed too, or the next line would join it.
    size_t length = std::strcspn(token, " \t\n\r\f");
    version_.assign(token, length);
    return;
  }
  // Without its header this is no PDF file, and a copy would start with a bare "%".
  throw CPdfException(kMsgDamaged);
}

CPdfStream* CPdfDocument::GetStream() const {
  return stream_;
}

void CPdfDocument::Close() {
  catalog_.reset();
  fetcher_.reset();
  page_facts_.reset();
  xref_.reset();
  if (stream_) {
    stream_->Release();
    stream_ = nullptr;
  }
  file_ = nullptr;
}
