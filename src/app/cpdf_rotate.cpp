#include "app/cpdf_rotate.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "app/rotate_patch.h"
#include "document/cpdf_catalog.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "platform/input_file.h"
#include "reader/cpdf_copy_plan.h"
#include "reader/cpdf_read_around.h"
#include "reader/raw_object.h"
#include "streams/cpdf_input_file.h"

CPdfRotate::CPdfRotate(CommandLine command_line) : command_line_(std::move(command_line)) {}

CPdfRotate::~CPdfRotate() = default;

void CPdfRotate::Run() {
  try {
    RunSteps();
  } catch (...) {
    output_.Discard();
    document_.Close();  // before the file it reads is closed
    input_.reset();
    throw;
  }
}

void CPdfRotate::OpenInput() {
  FILE* file = OpenInputFile(command_line_.input_path);
  if (!file) {
    throw CPdfException(kMsgInputOpen);
  }
  input_ = CPdfInputFile::Adopt(file);
  input_stamp_ = GetFileStamp(file);
}

void CPdfRotate::RunSteps() {
  OpenInput();
  // Writing over the input would destroy it before it is read.
  if (IsSameFile(input_->GetFile(), command_line_.output_path)) {
    throw CPdfException(kMsgOutputIsInput);
  }
  // A wrong output path (a folder, a missing or read-only folder) fails before any work.
  output_.Create(command_line_.output_path);
  if (command_line_.incremental && input_->Size() <= CPdfDocument::kMaxInputSize) {
    // The update starts with every byte of the input: the disk writes them while the input is
    // read.
    output_.AppendFileNow(*input_, input_->Size());
  }
  // The document reads the very file that was opened and checked above; the pages' boxes only
  // for a choice by shape, since reading them parses every page.
  const SelectionOptions& options = command_line_.options;
  document_.Open(*input_, options.wide || options.tall, command_line_.repair, &spots_);
  reader_ = document_.GetFetcher();
  table_ = &reader_->GetTable();
  if (command_line_.incremental) {
    WriteUpdate();
  } else {
    WriteCopy();
  }
  // The trailer's writes have put out every range copied from the input. Another program that
  // wrote to the input while it was read may have left a mixed copy.
  if (GetFileStamp(input_->GetFile()) != input_stamp_) {
    throw CPdfException(kMsgInputOpen);
  }
  // Past this point every byte of the output is on its way; only then does it replace the path.
  output_.Finish();
  document_.Close();
  input_.reset();
}

void CPdfRotate::ListPages() {
  // The document's own check of the catalog and the page tree has already walked every page
  // (and refused a catalog or /Pages that is no dictionary, a node without /Kids, a kid that
  // is no dictionary, a cycle); it kept the pages as the rotation sees them.
  const std::vector<PageRef>& refs = document_.GetCatalog()->GetPageRefs();
  const std::vector<PageSize>& sizes = document_.GetCatalog()->GetPageSizes();
  records_.clear();
  records_.reserve(refs.size());
  for (size_t k = 0; k < refs.size(); ++k) {
    PageRecord record;
    record.object_number = refs[k].object_number;
    record.rotation = refs[k].rotation;
    if (k < sizes.size()) {
      record.shape = ShownShape(sizes[k].width, sizes[k].height, refs[k].rotation);
    }
    records_.push_back(record);
  }
}

void CPdfRotate::WriteCopy() {
  CPdfCopyPlan plan(reader_);
  // An input whose objects alone outgrow what the output's table can list is refused before
  // anything is written.
  if (plan.LeastBytes() > static_cast<uint64_t>(CPdfOutput::kMaxSize)) {
    throw CPdfException(kMsgInputTooLarge);
  }
  output_.WriteHeader(document_.GetVersion());
  ListPages();
  SelectPages();
  CopyObjects(plan);
  const int64_t xref_offset = output_.OutputPosition();
  const int32_t size = output_.WriteXRefTable(table_->GetSize());
  // /Encrypt stays with /ID, which its key needs, so an encrypted copy remains readable.
  const std::map<std::string, std::string> trailer =
      document_.ReadTrailer({"Encrypt", "ID", "Info", "Root"});
  // The catalog was read from the parsed trailer; where the bytes of the newest section name
  // none, a copy without /Root would open nowhere.
  if (trailer.count("Root") == 0) {
    throw CPdfException(kMsgDamaged);
  }
  output_.WriteTrailer(size, xref_offset, trailer);
}

void CPdfRotate::WriteUpdate() {
  ListPages();
  SelectPages();
  const CPdfObject* encrypt = reader_->GetXRef().GetTrailer().GetDict()->Find("Encrypt");
  update_.FindChanges(records_, encrypt && !encrypt->IsKind(PDF_NULL));
  // Whatever the copy refuses is refused here too, with its message: it runs without writing,
  // and keeps the changed pages as it patches them.
  members_from_headers_ = false;
  output_.SetMeasuring(true);
  CPdfCopyPlan plan(reader_);
  CopyObjects(plan);
  output_.SetMeasuring(false);
  update_.ReadTrailer(*reader_, document_.GetStream());
  // The copy writes a fresh table over whatever the reader had to read around; an update
  // leaves the old sections to every other reader, who would have to guess as well.
  if (members_from_headers_ || CPdfReadAround::Found(*reader_)) {
    throw CPdfException(kMsgUpdateDamaged);
  }
  update_.Write(*input_, *reader_, output_);
}

void CPdfRotate::SelectPages() {
  ::SelectPages(command_line_.options, document_.GetCatalog()->GetPageCount(), records_);
  // A page written inside its parent's /Kids has no object of its own to patch.
  for (const PageRecord& record : records_) {
    if (record.selected && record.object_number < 0) {
      throw CPdfException(kMsgDamaged);
    }
  }
}

void CPdfRotate::CopyObjects(CPdfCopyPlan& plan) {
  // The page records by object number, so that the copy needs no scan per object.
  record_index_.clear();
  record_index_.reserve(records_.size());
  for (size_t k = 0; k < records_.size(); ++k) {
    record_index_.emplace_back(records_[k].object_number, static_cast<uint32_t>(k));
  }
  // Pages listed in number order (the usual tree) need no sort.
  if (!std::is_sorted(record_index_.begin(), record_index_.end())) {
    std::sort(record_index_.begin(), record_index_.end());
  }
  output_.ReserveEntries(plan.MostObjects());
  for (CPdfCopyPlan::Step step; plan.Next(&step);) {
    if (step.member) {
      CopyMember(step.num);
    } else {
      CopyDirect(step.num);
    }
  }
}

void CPdfRotate::CopyDirect(int32_t n) {
  const PageRecord* record = RecordOf(n);
  if (!record || !record->selected) {
    // Objects in the file are copied as ranges of it: neighbours in one piece, large ones
    // (images, fonts) from file to file unread.
    RawSpan span = LocateDirectObject(*reader_, n);
    if (span.length == 0) {
      return;
    }
    // Under the generation its header gives it (the entry's, unless only another exists).
    NoteObject(n, span.generation);
    output_.AppendInputRange(*input_, span.start, span.length);
    // Only a written tail ends the run of neighbouring ranges.
    if (*span.tail != '\0') {
      output_.WriteBytes(span.tail, std::char_traits<char>::length(span.tail));
    }
    return;
  }
  RawObjectInfo info;
  std::vector<uint8_t> bytes = ExtractObject(*reader_, n, &info);
  if (bytes.empty()) {
    return;
  }
  NoteObject(n, info.generation);
  WriteObject(n, bytes, record, info);
}

void CPdfRotate::CopyMember(int32_t n) {
  const PageRecord* record = RecordOf(n);
  RawObjectInfo info;
  std::vector<uint8_t> bytes = ExtractObject(*reader_, n, &info);
  // The table puts the object in this stream, the stream does not yield it and no header in
  // the file does: copying the rest would lose it without a word.
  if (bytes.empty()) {
    throw CPdfException(kMsgDamaged);
  }
  // From the stream under generation 0, or from its own header under that header's.
  if (info.compressed) {
    output_.AddEntry(n, 0);
  } else {
    NoteObject(n, info.generation);
  }
  members_from_headers_ = members_from_headers_ || !info.compressed;
  WriteObject(n, bytes, record, info);
}

const PageRecord* CPdfRotate::RecordOf(int32_t n) const {
  // A page object reached at several places in the tree is patched when any of its places
  // was chosen, with the first chosen record's angle (with /t, places under nodes of other
  // rotations may differ).
  const PageRecord* record = nullptr;
  // Objects are mostly asked for in number order: where the last search ended is tried first.
  const size_t count = record_index_.size();
  size_t k = next_record_;
  if (k > count || (k < count && record_index_[k].first < n) ||
      (k > 0 && record_index_[k - 1].first >= n)) {
    k = static_cast<size_t>(std::lower_bound(record_index_.begin(), record_index_.end(),
                                             std::make_pair(n, uint32_t{0})) -
                            record_index_.begin());
  }
  for (; k < count && record_index_[k].first == n; ++k) {
    if (!record || !record->selected) {
      record = &records_[record_index_[k].second];
    }
  }
  next_record_ = k;
  return record;
}

void CPdfRotate::NoteObject(int32_t n, int32_t generation) {
  // The table's lines hold five digits of generation. A larger one (the format's own limit is
  // 65535) cannot be listed, and a copy under another generation would break every reference
  // to the object.
  if (generation < 0 || generation > kMaxGeneration) {
    throw CPdfException(kMsgDamaged);
  }
  output_.AddEntry(n, generation);
}

void CPdfRotate::WriteObject(int32_t n,
                             const std::vector<uint8_t>& bytes,
                             const PageRecord* record,
                             const RawObjectInfo& info) {
  if (!record || !record->selected) {
    output_.WriteBytes(bytes.data(), bytes.size());
    return;
  }
  // Where its /Rotate values were noted on the way, the page is not read again for them.
  std::vector<uint8_t> patched;
  RotateSpots spots;
  const bool noted = spots_.Find(info.place, info.shift, &spots);
  if (!PatchRotate(bytes.data(), bytes.size(), record->angle, &patched, noted ? &spots : nullptr)) {
    throw CPdfException(kMsgDamaged);
  }
  output_.WriteBytes(patched.data(), patched.size());
  if (command_line_.incremental && update_.Changes(n)) {
    update_.Keep(n, info.generation, info.compressed, std::move(patched));
  }
}
