#include "document/cpdf_document.h"

#include <cstring>

#include "document/cpdf_catalog.h"
#include "document/cpdf_page_facts_store.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_object.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_raw_trailer.h"
#include "reader/cpdf_table_rebuild.h"
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

// Refusals of what this program does not do, whatever table the file is read through.
bool IsRefusal(const CPdfException& e) {
  return std::strcmp(e.GetMessage(), kMsgEncryptedObjStm) == 0 ||
         std::strcmp(e.GetMessage(), kMsgEncryptedDirect) == 0;
}

}  // namespace

CPdfDocument::CPdfDocument() = default;

CPdfDocument::~CPdfDocument() {
  Close();
}

void CPdfDocument::Open(CPdfInputFile& file,
                        bool with_boxes,
                        bool repair,
                        CPdfNotesObserver* observer) {
  Close();
  file_ = &file;
  with_boxes_ = with_boxes;
  repair_ = repair;
  observer_ = observer;
  page_facts_ = std::make_unique<CPdfPageFactsStore>();
  Load();
}

void CPdfDocument::Load() {
  try {
    if (file_->Size() > kMaxInputSize) {
      throw CPdfException(kMsgInputTooLarge);
    }
    stream_ = CPdfFileStream::Create(file_, 0, 0);
    ReadHeader();
    if (repair_) {
      LoadRepairing();
    } else {
      LoadSections();
    }
  } catch (...) {
    Close();
    throw;
  }
}

void CPdfDocument::LoadSections() {
  xref_ = std::make_unique<CPdfXRef>();
  xref_->Load(stream_);
  RefuseEncryptedObjectStreams(*xref_);
  fetcher_ = std::make_unique<CPdfFetcher>(stream_, file_, *xref_);
  for (CPdfNotesObserver* observer : Observers()) {
    fetcher_->AddObserver(observer);
  }
  fetcher_->BuildMap();
  LoadCatalog();
}

void CPdfDocument::LoadCatalog() {
  catalog_ = std::make_unique<CPdfCatalog>();
  if (repair_) {
    catalog_->AllowPagesWithoutResources();
  }
  catalog_->Load(fetcher_.get(), page_facts_.get(), with_boxes_);
  page_facts_->Release();
  RefuseDirectEncrypt(*xref_);
}

void CPdfDocument::LoadRepairing() {
  // Why the sections' reading failed; empty where it read around damage and went on.
  std::string damage;
  try {
    // A /Prev chain that loops, a /Prev or /XRefStm of no usable kind: sections read around.
    LoadSections();
    if (!xref_->ReadAround()) {
      return;
    }
  } catch (const CPdfException& e) {
    if (IsRefusal(e)) {
      throw;
    }
    damage = e.GetMessage();
  }
  DropReader();
  try {
    if (LoadRebuilt()) {
      return;
    }
  } catch (const CPdfException& e) {
    // A page tree that cannot be walked even through the rebuilt table is refused as it is.
    if (!damage.empty() || IsRefusal(e)) {
      throw;
    }
  }
  // Where the sections were read around their damage, that reading stands.
  DropReader();
  if (!damage.empty()) {
    throw CPdfException(damage.c_str());
  }
  LoadSections();
}

bool CPdfDocument::LoadRebuilt() {
  CPdfTableRebuild rebuild(stream_, file_, Observers());
  if (!rebuild.Run()) {
    return false;
  }
  xref_ = rebuild.TakeXRef();
  fetcher_ = rebuild.TakeFetcher();
  made_trailer_ = rebuild.MadeTrailer();
  RefuseEncryptedObjectStreams(*xref_);
  LoadCatalog();
  return true;
}

std::vector<CPdfNotesObserver*> CPdfDocument::Observers() const {
  std::vector<CPdfNotesObserver*> observers{page_facts_.get()};
  if (observer_) {
    observers.push_back(observer_);
  }
  return observers;
}

void CPdfDocument::DropReader() {
  catalog_.reset();
  fetcher_.reset();
  xref_.reset();
  made_trailer_.clear();
}

std::map<std::string, std::string> CPdfDocument::ReadTrailer(
    const std::vector<std::string>& keys) const {
  if (made_trailer_.empty()) {
    return CPdfRawTrailer::Read(stream_, xref_->GetTrailerPosition(), keys);
  }
  std::map<std::string, std::string> values;
  for (const std::string& key : keys) {
    const auto it = made_trailer_.find(key);
    if (it != made_trailer_.end()) {
      values.insert(*it);
    }
  }
  return values;
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
  DropReader();
  page_facts_.reset();
  if (stream_) {
    stream_->Release();
    stream_ = nullptr;
  }
  file_ = nullptr;
}
