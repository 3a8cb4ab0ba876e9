#include "reader/cpdf_fetcher.h"

#include <algorithm>

#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_member_frames.h"
#include "reader/cpdf_objstm.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "streams/cpdf_stream.h"
#include "streams/pdf_stream_source.h"

CPdfFetcher::CPdfFetcher(CPdfStream* stream, CPdfInputFile* file, const CPdfXRef& xref)
    : stream_(stream),
      file_(file),
      xref_(xref),
      objstms_(file->Size()),
      members_(xref.GetTable().Count(), this) {}

CPdfFetcher::~CPdfFetcher() = default;

void CPdfFetcher::BuildMap() {
  Begin(static_cast<uint64_t>(file_->Size()), GetTable().Count());
  map_.Build(
      file_, xref_.GetHeaderOffset(), xref_.GetTable(),
      [this](int32_t num, int32_t gen) {
        CPdfObject length;
        GetObject(num, gen, length);
        return length.IsKind(PDF_INT) && length.GetInt() >= 0 ? length.GetInt() : int64_t{-1};
      },
      this);
}

void CPdfFetcher::Begin(uint64_t file_size, size_t entries) {
  for (CPdfNotesObserver* observer : observers_) {
    observer->Begin(file_size, entries);
  }
}

void CPdfFetcher::Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) {
  for (CPdfNotesObserver* observer : observers_) {
    observer->Noted(place, notes, stream);
  }
}

void CPdfFetcher::FilePassDone() {
  for (CPdfNotesObserver* observer : observers_) {
    observer->FilePassDone();
  }
}

void CPdfFetcher::GetObject(int32_t num, int32_t gen, CPdfObject& out) {
  GetObject(num, gen, out, nullptr);
}

void CPdfFetcher::GetObject(int32_t num, int32_t gen, CPdfObject& out, const WalkRequest* walk) {
  Fetch(num, gen, out, Request{walk, FilterChoice::kFlate});
}

void CPdfFetcher::GetObjectStream(int32_t num, CPdfObject& out) {
  Fetch(num, 0, out, Request{nullptr, FilterChoice::kStructure});
}

void CPdfFetcher::Fetch(int32_t num, int32_t gen, CPdfObject& out, const Request& request) {
  const XRefEntry* found = GetTable().Find(num);
  // A number no section defines, below /Size or past it, is a missing object: null.
  if (!found) {
    out.SetNull();
    return;
  }
  const XRefEntry entry = *found;
  // An object reached again while it is being fetched (a /Length naming its own stream, an
  // object stream inside itself) cannot be had.
  if (fetch_depth_ >= kMaxFetchDepth ||
      std::find(in_progress_.begin(), in_progress_.end(), num) != in_progress_.end()) {
    out.SetNull();
    return;
  }
  struct Guard {
    CPdfFetcher* fetcher;
    Guard(CPdfFetcher* f, int32_t n) : fetcher(f) {
      ++fetcher->fetch_depth_;
      fetcher->in_progress_.push_back(n);
    }
    ~Guard() {
      --fetcher->fetch_depth_;
      fetcher->in_progress_.pop_back();
    }
  } guard(this, num);
  if (entry.type == XRefEntry::kInFile) {
    FetchDirect(num, gen, entry, out, request);
  } else if (entry.type == XRefEntry::kInStream && gen == 0) {
    FetchCompressed(num, entry, out, request);
  } else {
    out.SetNull();
  }
}

bool CPdfFetcher::NotedPlaceOf(int32_t num, int32_t gen, CPdfObjectPlace* place) {
  const XRefEntry* found = GetTable().Find(num);
  if (!found || fetch_depth_ > 0 || !map_.IsBuilt()) {
    return false;
  }
  if (found->type == XRefEntry::kInFile) {
    int32_t found_gen = 0;
    const int64_t index = gen == found->generation ? Locate(num, false, &found_gen) : -1;
    if (index < 0) {
      return false;
    }
    *place = CPdfObjectPlace::InFile(map_.At(static_cast<size_t>(index)).start);
    return true;
  }
  const uint8_t* bytes = nullptr;
  const CPdfMemberFrames::Frame* frame = nullptr;
  if (found->type != XRefEntry::kInStream || gen != 0 || !FrameMember(num, &bytes, &frame, true)) {
    return false;
  }
  *place = CPdfObjectPlace::Member(static_cast<size_t>(GetTable().IndexOf(num)));
  return true;
}

int64_t CPdfFetcher::Locate(int32_t num, bool any_generation, int32_t* gen) const {
  const XRefEntry* found = GetTable().Find(num);
  if (!found || found->type == XRefEntry::kFree) {
    return -1;
  }
  // An object stream's member is looked for by its header alone, under generation 0.
  const bool direct = found->type == XRefEntry::kInFile;
  *gen = direct ? found->generation : 0;
  int64_t index = direct ? map_.Honoured(num) : -1;
  if (index < 0) {
    index = map_.Last(num, *gen);
  }
  if (index < 0 && any_generation) {
    index = map_.Last(num, -1);
    if (index >= 0) {
      *gen = map_.At(static_cast<size_t>(index)).gen;
    }
  }
  return index;
}

void CPdfFetcher::FetchDirect(int32_t num,
                              int32_t gen,
                              const XRefEntry& entry,
                              CPdfObject& out,
                              const Request& request) {
  out.SetNull();
  if (!map_.IsBuilt()) {
    // While the map is being made: where the entry leads, read to the end of the value.
    if (gen == entry.generation) {
      const int64_t at =
          entry.offset < 0 ? -1 : static_cast<int64_t>(xref_.GetHeaderOffset()) + entry.offset;
      ReadAt(num, gen, at, -1, nullptr, request, out);
    }
    return;
  }
  // An object that stands only under another generation than its entry's is copied under that
  // one (LocateDirectObject), so references under it read it here too: what a reference leads
  // to in the output, it leads to in the input.
  int32_t found_gen = 0;
  const int64_t index = Locate(num, gen != entry.generation, &found_gen);
  if (index < 0 || found_gen != gen) {
    return;
  }
  const CPdfObjectMap::Object& object = map_.At(static_cast<size_t>(index));
  // A body whose /Length is unusable is copied where the map ends it, but its data is not
  // decoded: read by its /Length, such a stream gives nothing, as it gives readers nothing.
  PdfOffset body[2];
  const bool has_body = map_.BodyOf(static_cast<size_t>(index), &body[0], &body[1]) &&
                        !map_.BodySearched(static_cast<size_t>(index));
  ReadAt(num, gen, static_cast<int64_t>(object.start),
         static_cast<int64_t>(object.start + object.length), has_body ? body : nullptr, request,
         out);
}

void CPdfFetcher::ReadAt(int32_t num,
                         int32_t gen,
                         int64_t start,
                         int64_t end,
                         const PdfOffset* body,
                         const Request& request,
                         CPdfObject& out) {
  const WalkRequest* walk = request.walk;
  if (start < 0) {
    return;
  }
  const int64_t length = end > start ? end - start : 0;
  CPdfStream* window =
      stream_->CreateSubStream(static_cast<PdfOffset>(start), static_cast<PdfOffset>(length));
  if (!window) {
    return;
  }
  CPdfParser parser(this, window);
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window, PdfStreamSource::Positions::kZero)};
  if (!LexObjectHeader(lexer, num, gen)) {
    return;
  }
  if (walk) {
    parser.SetWalkKeys(walk->keys);
    parser.SetWalkArrayLimit(walk->array_limit);
  }
  parser.SetDecodeStreams(!walk);
  parser.SetFilterChoice(request.filters);
  if (body) {
    parser.SetStreamBody(body[0], body[1]);
  }
  out.Clear();
  parser.ParseObject(out);
}

void CPdfFetcher::FetchCompressed(int32_t num,
                                  const XRefEntry& entry,
                                  CPdfObject& out,
                                  const Request& request) {
  const WalkRequest* walk = request.walk;
  std::shared_ptr<CPdfObjStmData> data = GetObjStm(static_cast<int32_t>(entry.offset));
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  if (!data->GetBytes(num, entry.generation, &bytes, &length)) {
    // A member its stream cannot give may stand in the file under its own header.
    FetchDirect(num, 0, XRefEntry{-1, 0, XRefEntry::kInFile}, out, request);
    return;
  }
  // Parsed afresh on every request: the decoded bytes are what is kept.
  CPdfParser parser(this, new CPdfMemoryStream(bytes, length));
  if (walk) {
    parser.SetWalkKeys(walk->keys);
    parser.SetWalkArrayLimit(walk->array_limit);
  }
  parser.ParseObject(out);
}

std::shared_ptr<CPdfObjStmData> CPdfFetcher::GetObjStm(int32_t stream_num) {
  return objstms_.Get(stream_num, [this](CPdfObjStmData& data) { data.Build(*this); });
}

bool CPdfFetcher::GetObjectStreamMember(int32_t num,
                                        const uint8_t** data,
                                        const CPdfMemberFrames::Frame** frame) {
  return FrameMember(num, data, frame, false);
}

bool CPdfFetcher::FrameMember(int32_t num,
                              const uint8_t** data,
                              const CPdfMemberFrames::Frame** frame,
                              bool keep) {
  *frame = nullptr;
  const XRefEntry* found = GetTable().Find(num);
  if (!found || found->type != XRefEntry::kInStream) {
    return false;
  }
  const XRefEntry entry = *found;
  held_ = GetObjStm(static_cast<int32_t>(entry.offset));
  size_t length = 0;
  if (!held_->GetBytes(num, entry.generation, data, &length)) {
    return false;
  }
  const auto k = static_cast<size_t>(GetTable().IndexOf(num));
  *frame = members_.Find(k);
  if (!*frame) {
    *frame = members_.Add(k, *data, length, held_->ByteAfter(*data, length), keep);
  }
  return *frame != nullptr;
}

bool CPdfFetcher::GivesMembers(int32_t stream_num, const std::vector<int32_t>& members) {
  const std::shared_ptr<CPdfObjStmData> data = GetObjStm(stream_num);
  if (!data->IsValid()) {
    return false;
  }
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  for (const int32_t num : members) {
    const XRefEntry* found = GetTable().Find(num);
    if (found && found->type == XRefEntry::kInStream && found->offset == stream_num &&
        data->GetBytes(num, found->generation, &bytes, &length)) {
      return true;
    }
  }
  return false;
}
