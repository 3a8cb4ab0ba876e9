#include "reader/cpdf_table_rebuild.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_member_frames.h"
#include "reader/cpdf_object_map.h"
#include "reader/cpdf_objstm.h"
#include "reader/cpdf_xref.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_stream.h"

namespace {

// The generations a table line can list.
constexpr int32_t kMaxGeneration = 65535;

// What the fetches here build of a dictionary: its /Type; the trailer's keys; nothing.
PdfKeep TypeOnly(std::string_view key) {
  return key == "Type" ? PdfKeep::kValue : PdfKeep::kNothing;
}
PdfKeep TrailerKeys(std::string_view key) {
  return key == "Root" || key == "Info" || key == "Encrypt" || key == "ID" ? PdfKeep::kValue
                                                                           : PdfKeep::kNothing;
}
PdfKeep NoKeys(std::string_view) {
  return PdfKeep::kNothing;
}

const CPdfDictionary* DictOf(const CPdfObject& object) {
  if (object.IsKind(PDF_DICT)) {
    return object.GetDict();
  }
  return object.IsKind(PDF_STREAM) ? object.GetStreamDict() : nullptr;
}

bool TypeIs(const CPdfObject& object, const char* type) {
  const CPdfDictionary* dict = DictOf(object);
  const CPdfObject* value = dict ? dict->Find("Type") : nullptr;
  return value && value->IsKind(PDF_NAME) && std::strcmp(value->GetText(), type) == 0;
}

std::string RefText(const CPdfObject& ref) {
  return std::to_string(ref.GetRefNum()) + " " + std::to_string(ref.GetRefGen()) + " R";
}

}  // namespace

CPdfTableRebuild::CPdfTableRebuild(CPdfStream* stream,
                                   CPdfInputFile* file,
                                   std::vector<CPdfNotesObserver*> observers)
    : stream_(stream),
      file_(file),
      observers_(std::move(observers)),
      header_offset_(stream->GetStartOffset()) {}

CPdfTableRebuild::~CPdfTableRebuild() {
  // The fetcher reads through the sections: it goes first.
  fetcher_.reset();
}

bool CPdfTableRebuild::Run() {
  Scan();
  OpenReader(plain_);
  FindStreams();
  CPdfXRefTable with_members;
  if (AddMembers(&with_members)) {
    OpenReader(std::move(with_members));
  }
  return ChooseTrailer();
}

std::unique_ptr<CPdfXRef> CPdfTableRebuild::TakeXRef() {
  return std::move(xref_);
}

std::unique_ptr<CPdfFetcher> CPdfTableRebuild::TakeFetcher() {
  return std::move(fetcher_);
}

void CPdfTableRebuild::Scan() {
  CPdfXRefTable none;
  none.Finish();
  CPdfObjectMap map;
  map.ForRebuild();
  // No table: a stream's /Length by reference cannot be had yet, and its body ends at the first
  // "endstream" (the reader's pass over the table made here reads it by its /Length).
  map.Build(file_, header_offset_, none, [](int32_t, int32_t) { return int64_t{-1}; });
  trailers_ = map.Trailers();
  // Newest first, as sections are given: the table keeps the first entry of a number.
  for (size_t k = map.Count(); k-- > 0;) {
    const CPdfObjectMap::Object& object = map.At(k);
    if (map.IsDamaged(k) || map.IsUnended(k) || object.num <= 0 ||
        object.num >= CPdfXRef::kMaxObjects || object.gen > kMaxGeneration ||
        object.start < header_offset_) {
      continue;
    }
    plain_.Add(object.num, XRefEntry{static_cast<int64_t>(object.start - header_offset_),
                                     object.gen, XRefEntry::kInFile});
  }
  plain_.Finish();
}

void CPdfTableRebuild::OpenReader(CPdfXRefTable table) {
  fetcher_.reset();
  xref_ = std::make_unique<CPdfXRef>();
  xref_->Adopt(stream_, std::move(table));
  fetcher_ = std::make_unique<CPdfFetcher>(stream_, file_, *xref_);
  for (CPdfNotesObserver* observer : observers_) {
    fetcher_->AddObserver(observer);
  }
  fetcher_->BuildMap();
}

void CPdfTableRebuild::FindStreams() {
  // Only the objects with a stream body are read: their dictionaries' /Type.
  const CPdfObjectMap& map = fetcher_->GetMap();
  const WalkRequest walk{TypeOnly};
  for (const CPdfXRefTable::Item& item : plain_) {
    int32_t gen = 0;
    const int64_t index = fetcher_->Locate(item.num, false, &gen);
    PdfOffset body[2];
    if (index < 0 || !map.BodyOf(static_cast<size_t>(index), &body[0], &body[1])) {
      continue;
    }
    CPdfObject object;
    fetcher_->GetObject(item.num, gen, object, &walk);
    const Found found{item.num, gen, static_cast<int64_t>(header_offset_) + item.entry.offset};
    if (TypeIs(object, "ObjStm")) {
      object_streams_.push_back(found);
    } else if (TypeIs(object, "XRef")) {
      xref_streams_.push_back(found);
    }
  }
  const auto by_position = [](const Found& a, const Found& b) { return a.position < b.position; };
  std::sort(object_streams_.begin(), object_streams_.end(), by_position);
  std::sort(xref_streams_.begin(), xref_streams_.end(), by_position);
}

bool CPdfTableRebuild::AddMembers(CPdfXRefTable* table) {
  for (const CPdfXRefTable::Item& item : plain_) {
    table->Add(item.num, item.entry);
  }
  bool added = false;
  int64_t decoded = 0;
  const int64_t most = MostDecoded(file_->Size());
  CPdfMemberFrames frames(1, nullptr);
  // The last stream first: of two that give a number, the later one's member is kept.
  for (auto it = object_streams_.rbegin(); it != object_streams_.rend(); ++it) {
    if (it->gen != 0) {
      continue;
    }
    if (decoded >= most) {
      // The members of the streams not listed would be lost without a word.
      throw CPdfException(kMsgDamaged);
    }
    CPdfObjStmData data(it->num);
    data.Build(*fetcher_);
    decoded += static_cast<int64_t>(data.GetDecodedBytes());
    for (int32_t k = 0; data.IsValid() && k < data.GetCount(); ++k) {
      const int32_t num = data.NumberAt(k);
      const uint8_t* bytes = nullptr;
      size_t length = 0;
      if (num <= 0 || num >= CPdfXRef::kMaxObjects || num == it->num || plain_.Find(num) ||
          !data.GetBytes(num, k, &bytes, &length)) {
        continue;
      }
      // A member whose end nothing tells, or with no value, is left out as such an object is.
      const CPdfMemberFrames::Frame* frame =
          frames.Add(0, bytes, length, data.ByteAfter(bytes, length), false);
      if (!frame || frame->Damaged() || frame->Empty()) {
        continue;
      }
      table->Add(num, XRefEntry{it->num, k, XRefEntry::kInStream});
      added = true;
    }
  }
  table->Finish();
  return added;
}

bool CPdfTableRebuild::ChooseTrailer() {
  CPdfObject info;
  int tries = 0;
  for (auto it = trailers_.rbegin(); it != trailers_.rend() && tries < kMostTries; ++it, ++tries) {
    if (TryTrailerAt(*it, &info)) {
      return true;
    }
  }
  tries = 0;
  for (auto it = xref_streams_.rbegin(); it != xref_streams_.rend() && tries < kMostTries;
       ++it, ++tries) {
    if (TryXRefStream(*it, &info)) {
      return true;
    }
  }
  return MakeTrailer(info);
}

bool CPdfTableRebuild::TryTrailerAt(PdfOffset position, CPdfObject* info) {
  const int64_t left = file_->Size() - static_cast<int64_t>(position);
  CPdfStream* window =
      left <= 0 ? nullptr
                : stream_->CreateSubStream(
                      position, std::min<PdfOffset>(static_cast<PdfOffset>(left), kTrailerWindow));
  if (!window) {
    return false;
  }
  CPdfObject dict;
  try {
    CPdfParser parser(fetcher_.get(), window);
    parser.ParseObject(dict);
  } catch (const CPdfException&) {
    return false;
  }
  if (!dict.IsKind(PDF_DICT) || !UsableRoot(dict, info)) {
    return false;
  }
  xref_->AdoptTrailer(dict, position);
  return true;
}

bool CPdfTableRebuild::TryXRefStream(const Found& stream, CPdfObject* info) {
  CPdfObject object;
  const WalkRequest walk{TrailerKeys};
  fetcher_->GetObject(stream.num, stream.gen, object, &walk);
  if (!object.IsKind(PDF_STREAM) || !object.GetStreamDict()) {
    return false;
  }
  CPdfObject dict;
  dict.SetDictionary(object.GetStreamDict());
  if (!UsableRoot(dict, info)) {
    return false;
  }
  xref_->AdoptTrailer(dict, stream.position);
  return true;
}

bool CPdfTableRebuild::UsableRoot(const CPdfObject& dict, CPdfObject* info) {
  const CPdfObject* found_info = dict.GetDict()->Find("Info");
  if (info->IsKind(PDF_NONE) && found_info && found_info->IsKind(PDF_REF) &&
      LeadsToDictionary(*found_info)) {
    info->Assign(*found_info);
  }
  const CPdfObject* root = dict.GetDict()->Find("Root");
  return root && root->IsKind(PDF_REF) && LeadsToDictionary(*root);
}

bool CPdfTableRebuild::LeadsToDictionary(const CPdfObject& ref) {
  CPdfObject object;
  const WalkRequest walk{NoKeys};
  fetcher_->GetObject(ref.GetRefNum(), ref.GetRefGen(), object, &walk);
  return object.IsKind(PDF_DICT);
}

bool CPdfTableRebuild::MakeTrailer(const CPdfObject& info) {
  // The catalog that stands last in the file; an object stream's members stand at the stream.
  const CPdfXRefTable& table = xref_->GetTable();
  const WalkRequest walk{TypeOnly};
  CPdfObject root;
  std::pair<int64_t, int32_t> last{-1, 0};
  for (const CPdfXRefTable::Item& item : table) {
    const bool member = item.entry.type == XRefEntry::kInStream;
    const XRefEntry* at = member ? table.Find(item.entry.offset) : &item.entry;
    const std::pair<int64_t, int32_t> place{at ? at->offset : -1,
                                            member ? item.entry.generation : -1};
    const int32_t gen = member ? 0 : item.entry.generation;
    CPdfObject object;
    if (place <= last) {
      continue;
    }
    fetcher_->GetObject(item.num, gen, object, &walk);
    if (object.IsKind(PDF_DICT) && TypeIs(object, "Catalog")) {
      last = place;
      root.SetRef(item.num, gen);
    }
  }
  if (!root.IsKind(PDF_REF)) {
    return false;
  }
  CPdfObject trailer;
  trailer.NewDictionary(fetcher_.get());
  trailer.GetDict()->Add("Root", root);
  made_["Root"] = RefText(root);
  if (info.IsKind(PDF_REF)) {
    trailer.GetDict()->Add("Info", info);
    made_["Info"] = RefText(info);
  }
  xref_->AdoptTrailer(trailer, -1);
  return true;
}
