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
#include "reader/cpdf_raw_trailer.h"
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
  document_.Open(*input_, options.wide || options.tall);
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
  output_.WriteHeader(document_.GetVersion());
  ListPages();
  SelectPages();
  CopyObjects();
  const int32_t xref_offset = output_.OutputPosition();
  const int32_t size = output_.WriteXRefTable(table_->GetSize());
  // /Encrypt stays with /ID, which its key needs, so an encrypted copy remains readable.
  const std::map<std::string, std::string> trailer =
      CPdfRawTrailer::Read(document_.GetStream(), reader_->GetXRef().GetTrailerPosition(),
                           {"Encrypt", "ID", "Info", "Root"});
  // The catalog was read from the parsed trailer; where the bytes of the newest section name
  // none, a copy without /Root would open nowhere.
  if (trailer.count("Root") == 0) {
    throw CPdfException(kMsgDamaged);
  }
  output_.WriteTrailer(size, xref_offset, trailer);
}

void CPdfRotate::WriteUpdate() {
  ListPages();
  std::vector<int32_t> before;
  before.reserve(records_.size());
  for (const PageRecord& record : records_) {
    before.push_back(record.rotation);
  }
  SelectPages();
  const CPdfObject* encrypt = reader_->GetXRef().GetTrailer().GetDict()->Find("Encrypt");
  update_.FindChanges(records_, before, encrypt && !encrypt->IsKind(PDF_NULL));
  // Whatever the copy refuses is refused here too, with its message: it runs without writing,
  // and keeps the changed pages as it patches them.
  members_from_headers_ = false;
  output_.SetMeasuring(true);
  CopyObjects();
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

void CPdfRotate::CopyObjects() {
  // The page records by object number, and the members of every object stream the table names
  // by stream, so that the copy needs no scan per object.
  record_index_.clear();
  record_index_.reserve(records_.size());
  for (size_t k = 0; k < records_.size(); ++k) {
    record_index_.emplace_back(records_[k].object_number, k);
  }
  // Pages listed in number order (the usual tree) need no sort.
  if (!std::is_sorted(record_index_.begin(), record_index_.end())) {
    std::sort(record_index_.begin(), record_index_.end());
  }
  members_.clear();
  size_t in_use = 0;
  size_t in_streams = 0;
  for (const CPdfXRefTable::Item& item : *table_) {
    in_use += item.entry.type != 0 ? 1 : 0;
    in_streams += item.entry.type == 2 ? 1 : 0;
  }
  members_.reserve(in_streams);
  // Entries said to be in use are no objects: each one written is a header the map found or a
  // member, so many stray entries reserve nothing.
  output_.ReserveEntries(std::min(in_use, reader_->GetMap().Count() + in_streams));
  for (const CPdfXRefTable::Item& item : *table_) {
    if (item.entry.type == 2) {
      members_.emplace_back(item.entry.offset, item.num);
    }
  }
  if (!std::is_sorted(members_.begin(), members_.end())) {
    std::sort(members_.begin(), members_.end());
  }
  FindInterleavedStreams();
  for (const CPdfXRefTable::Item& item : *table_) {
    const int32_t n = item.num;
    if (n == 0 || item.entry.type == 0) {
      continue;  // the output's object 0 heads its free list whatever the input had there
    }
    if (item.entry.type == 2) {
      const int32_t stream = item.entry.offset;
      if (!std::binary_search(interleaved_.begin(), interleaved_.end(), stream)) {
        // No other stream's member comes between this stream's first and last: in number
        // order the stream stays decoded from its first member to its last.
        const std::pair<int32_t, int32_t> member(stream, n);
        CopyMembers(&member, &member + 1);
        continue;
      }
      // Streams whose numbers interleave would evict one another in number order: each one's
      // members go out together when its first comes up, so it is decoded once.
      const auto [begin, end] = MembersOf(stream);
      if (begin->second == n) {
        CopyMembers(&*begin, &*begin + (end - begin));
      }
      continue;
    }
    // A stream that gives objects the table places in it is dropped: they are copied on
    // their own. Any other object is copied, whatever entries name it as their stream.
    const auto [begin, end] = MembersOf(n);
    if (begin != end) {
      std::vector<int32_t> numbers;
      for (auto it = begin; it != end; ++it) {
        numbers.push_back(it->second);
      }
      if (reader_->GivesMembers(n, numbers)) {
        continue;
      }
    }
    const PageRecord* record = RecordOf(n);
    if (!record || !record->selected) {
      // Objects in the file are copied as ranges of it: neighbours in one piece, large ones
      // (images, fonts) from file to file unread.
      RawSpan span = LocateDirectObject(*reader_, n);
      if (span.length == 0) {
        continue;
      }
      // Under the generation its header gives it (the entry's, unless only another exists).
      NoteObject(n, XRefEntry{item.entry.offset, span.generation, item.entry.type});
      output_.AppendInputRange(*input_, span.start, span.length);
      // Only a written tail ends the run of neighbouring ranges.
      if (*span.tail != '\0') {
        output_.WriteBytes(span.tail, std::char_traits<char>::length(span.tail));
      }
      continue;
    }
    RawObjectInfo info;
    info.want_spots = true;
    std::vector<uint8_t> bytes = ExtractObject(*reader_, n, &info);
    if (bytes.empty()) {
      continue;
    }
    NoteObject(n, XRefEntry{item.entry.offset, info.generation, item.entry.type});
    WriteObject(n, bytes, record, info);
  }
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
    k = static_cast<size_t>(
        std::lower_bound(record_index_.begin(), record_index_.end(), std::make_pair(n, size_t{0})) -
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

std::pair<CPdfRotate::MemberIt, CPdfRotate::MemberIt> CPdfRotate::MembersOf(int32_t stream) const {
  return std::equal_range(members_.begin(), members_.end(), std::make_pair(stream, 0),
                          [](const auto& a, const auto& b) { return a.first < b.first; });
}

void CPdfRotate::FindInterleavedStreams() {
  // Each stream's members span [first, last] (members_ is sorted by stream, then number);
  // spans that overlap, after sorting by first, form clusters of more than one.
  struct Span {
    int32_t first;
    int32_t last;
    int32_t stream;
  };
  std::vector<Span> spans;
  for (auto it = members_.cbegin(); it != members_.cend();) {
    const auto [begin, end] = MembersOf(it->first);
    spans.push_back(Span{begin->second, (end - 1)->second, it->first});
    it = end;
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.first < b.first; });
  interleaved_.clear();
  for (size_t i = 0; i < spans.size();) {
    size_t j = i + 1;
    int32_t last = spans[i].last;
    for (; j < spans.size() && spans[j].first <= last; ++j) {
      last = std::max(last, spans[j].last);
    }
    for (size_t k = i; j - i > 1 && k < j; ++k) {
      interleaved_.push_back(spans[k].stream);
    }
    i = j;
  }
  std::sort(interleaved_.begin(), interleaved_.end());
}

void CPdfRotate::CopyMembers(const Member* begin, const Member* end) {
  for (const Member* it = begin; it != end; ++it) {
    const int32_t n = it->second;
    const PageRecord* record = RecordOf(n);
    RawObjectInfo info;
    info.want_spots = record && record->selected;
    std::vector<uint8_t> bytes = ExtractObject(*reader_, n, &info);
    // The table puts the object in this stream, the stream does not yield it and no header in
    // the file does: copying the rest would lose it without a word.
    if (bytes.empty()) {
      throw CPdfException(kMsgDamaged);
    }
    // From the stream under generation 0, or from its own header under that header's.
    NoteObject(n, info.compressed ? XRefEntry{it->first, 0, 2} : XRefEntry{0, info.generation, 1});
    members_from_headers_ = members_from_headers_ || !info.compressed;
    WriteObject(n, bytes, record, info);
  }
}

void CPdfRotate::NoteObject(int32_t n, const XRefEntry& entry) {
  // The table's lines hold five digits of generation. A larger one (the format's own limit is
  // 65535) cannot be listed, and a copy under another generation would break every reference
  // to the object.
  if (entry.type == 1 && (entry.generation < 0 || entry.generation > kMaxGeneration)) {
    throw CPdfException(kMsgDamaged);
  }
  output_.AddEntry(n, entry.type == 1 ? entry.generation : 0);
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
  if (!PatchRotate(bytes.data(), bytes.size(), record->rotation, &patched,
                   info.has_spots ? &info.spots : nullptr)) {
    throw CPdfException(kMsgDamaged);
  }
  output_.WriteBytes(patched.data(), patched.size());
  if (command_line_.incremental && update_.Changes(n)) {
    update_.Keep(n, info.generation, info.compressed, std::move(patched));
  }
}
