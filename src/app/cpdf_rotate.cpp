#include "app/cpdf_rotate.h"

#include <algorithm>
#include <string>

#include "app/rotate_patch.h"
#include "document/cpdf_catalog.h"
#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/raw_object.h"
#include "streams/cpdf_input_file.h"
#include "writer/platform_file.h"

CPdfRotate::CPdfRotate() = default;

CPdfRotate::~CPdfRotate() = default;

bool CPdfRotate::Run() {
  try {
    RunSteps();
  } catch (...) {
    DiscardOutput();
    document_.Close();  // before the file it reads is closed
    input_file_.reset();
    throw;
  }
  return true;
}

void CPdfRotate::RunSteps() {
  OpenInput();
  // Writing over the input would destroy it before it is read.
  if (IsSameFile(input_file_->GetFile(), output_path_)) {
    throw CPdfException(kMsgOutputIsInput);
  }
  // A wrong output path (a folder, a missing or read-only folder) fails before any work.
  CreateOutput();
  // The document reads the very file that was opened and checked above.
  document_.Open(input_file_->GetFile());
  reader_ = document_.GetXRef();
  table_ = &reader_->GetTable();
  output_size_ = table_->GetSize();
  CheckEncryption();
  WriteHeader(document_.GetVersion());

  // The document's own check of the catalog and the page tree has already walked every page
  // (and refused a catalog or /Pages that is no dictionary, a node without /Kids, a kid that
  // is no dictionary, a cycle); it kept the pages as the rotation sees them.
  records_.clear();
  for (const PageRef& ref : document_.GetCatalog()->GetPageRefs()) {
    PageRecord record;
    record.object_number = ref.object_number;
    record.rotation = ref.rotation;
    records_.push_back(record);
  }

  SelectPages();
  output_entries_.clear();
  output_entries_.reserve(table_->Count());
  CopyObjects();
  const int32_t xref_offset = OutputPosition();
  WriteXRefTable();
  // /Encrypt stays with /ID, which its key needs, so an encrypted copy remains readable.
  WriteTrailer(xref_offset, reader_->ReadRawTrailer({"Encrypt", "ID", "Info", "Root"}));
  // Past this point every byte of the output is on its way; only then does it replace the path.
  FinishOutput();
  document_.Close();
  input_file_.reset();
}

void CPdfRotate::CheckEncryption() const {
  // The copy keeps strings and streams encrypted under the same key and carries /Encrypt over
  // as a reference; a dictionary written directly in the trailer cannot be carried that way.
  // (Encrypted object streams are already refused when the document opens.)
  const CPdfObject* encrypt = reader_->GetTrailer().GetDict()->Find("Encrypt");
  if (encrypt && !encrypt->IsKind(PDF_NULL) && !encrypt->IsKind(PDF_REF)) {
    throw CPdfException(kMsgEncryptedDirect);
  }
}

int32_t CPdfRotate::CountPages() {
  page_count_ = document_.GetCatalog()->GetPageCount();
  return page_count_;
}

void CPdfRotate::SelectPages() {
  ::SelectPages(
      options_, [this] { return CountPages(); }, records_);
  // A page written inside its parent's /Kids has no object of its own to patch.
  for (const PageRecord& record : records_) {
    if (record.selected && record.object_number < 0) {
      throw CPdfException(kMsgDamaged);
    }
  }
}

void CPdfRotate::CopyObjects() {
  // The page records by object number, walked beside the table, so that the copy needs no
  // search per object.
  std::vector<std::pair<int32_t, size_t>> by_number;
  by_number.reserve(records_.size());
  for (size_t k = 0; k < records_.size(); ++k) {
    by_number.emplace_back(records_[k].object_number, k);
  }
  std::sort(by_number.begin(), by_number.end());
  auto next_record = by_number.begin();
  for (const CPdfXRefTable::Item& item : *table_) {
    const int32_t n = item.num;
    const XRefEntry& entry = item.entry;
    while (next_record != by_number.end() && next_record->first < n) {
      ++next_record;
    }
    if (entry.type == 0) {
      continue;
    }
    // A page object reached at several places in the tree is patched when any of its places
    // was chosen; every chosen record carries the same angle.
    const PageRecord* record = nullptr;
    for (; next_record != by_number.end() && next_record->first == n; ++next_record) {
      if (!record || !record->selected) {
        record = &records_[next_record->second];
      }
    }
    const bool patch = record && record->selected;
    if (entry.type == 1 && !patch) {
      // Objects in the file are copied as ranges of it: neighbours in one piece, large ones
      // (images, fonts) from file to file unread.
      RawSpan span = LocateDirectObject(*input_file_, n, *reader_, *table_);
      if (span.length == 0 || span.object_stream) {
        continue;
      }
      NoteObject(n, entry);
      AppendInputRange(span.start, span.length);
      continue;
    }
    RawObjectInfo info;
    std::vector<uint8_t> bytes = ExtractObject(*input_file_, n, *reader_, *table_, &info);
    // Object streams are dropped: every object they hold is copied on its own.
    if (bytes.empty() || info.object_stream) {
      continue;
    }
    NoteObject(n, entry);
    WriteObject(bytes, record);
  }
}

void CPdfRotate::NoteObject(int32_t n, const XRefEntry& entry) {
  // The table's lines hold five digits of generation. A larger one (the format's own limit is
  // 65535) cannot be listed, and a copy under another generation would break every reference
  // to the object.
  if (entry.type == 1 && (entry.generation < 0 || entry.generation > kMaxGeneration)) {
    throw CPdfException(kMsgDamaged);
  }
  output_entries_.push_back(
      OutputEntry{n, OutputPosition(), entry.type == 1 ? entry.generation : 0});
}

void CPdfRotate::WriteObject(const std::vector<uint8_t>& bytes, const PageRecord* record) {
  if (!record || !record->selected) {
    WriteBytes(bytes.data(), bytes.size());
    return;
  }
  std::vector<uint8_t> patched;
  if (!PatchRotate(bytes.data(), bytes.size(), record->rotation, &patched)) {
    throw CPdfException(kMsgDamaged);
  }
  WriteBytes(patched.data(), patched.size());
}
