// Cross-reference streams and the objects kept in object streams.
#include <algorithm>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_objstm.h"
#include "reader/cpdf_xref.h"
#include "streams/cpdf_memory_stream.h"
#include "streams/cpdf_stream.h"

namespace {

// Decoding again what the cache let go is bounded for the whole run: a file whose fetches
// would decode more than this, beside four times each stream's size (members spread so that
// every fetch evicts the stream the next one needs), is refused instead of taking time in
// proportion to fetches times stream size.
constexpr int64_t kDecodeAllowanceBase = int64_t{64} * 1024 * 1024;
constexpr int64_t kDecodeAllowancePerInputByte = 64;

// Cross-reference stream records a file may hold: this many, and one per this many bytes of it.
constexpr int64_t kRecordAllowanceBase = int64_t{1} << 20;
constexpr int64_t kFileBytesPerRecord = 4;

int32_t ReadWidth(const CPdfArray& w, int32_t index) {
  CPdfObject value;
  w.Get(index, value);
  if (!value.IsKind(PDF_INT) || value.GetInt() > CPdfXRef::kMaxFieldWidth) {
    throw CPdfException(kMsgXRefW);
  }
  // Every negative width reads nothing; held at -1 so that none wraps.
  return static_cast<int32_t>(std::max<int64_t>(value.GetInt(), -1));
}

}  // namespace

bool CPdfXRef::ReadXRefStream(const CPdfObject& stream, int64_t* prev) {
  CPdfStream* body = stream.GetStream();
  CPdfDictionary* dict = body->GetDictionary();
  if (!dict) {
    throw CPdfException(kMsgXRefStream);
  }
  CPdfObject size;
  dict->LookupRaw("Size", size);
  if (!size.IsKind(PDF_INT) || size.GetInt() < 0 || size.GetInt() > kMaxObjects) {
    throw CPdfException(kMsgXRefSize);
  }
  declared_size_ = std::max<int64_t>(declared_size_, size.GetInt());
  CPdfObject w;
  dict->LookupRaw("W", w);
  if (!w.IsKind(PDF_ARRAY)) {
    throw CPdfException(kMsgXRefW);
  }
  if (w.GetArray()->GetCount() < 3) {
    throw CPdfException(kMsgXRefWLength);
  }
  const int32_t widths[3] = {ReadWidth(*w.GetArray(), 0), ReadWidth(*w.GetArray(), 1),
                             ReadWidth(*w.GetArray(), 2)};
  // A record of no bytes would let a short stream define millions of entries.
  if (widths[0] + widths[1] + widths[2] <= 0) {
    throw CPdfException(kMsgXRefW);
  }
  body->Rewind();
  records_in_section_ = 0;
  CPdfObject index;
  dict->LookupRaw("Index", index);
  if (index.IsKind(PDF_ARRAY)) {
    CPdfArray* pairs = index.GetArray();
    for (int32_t i = 0; i < pairs->GetCount() - 1; i += 2) {
      CPdfObject first;
      CPdfObject count;
      pairs->Get(i, first);
      pairs->Get(i + 1, count);
      if (!first.IsKind(PDF_INT) || !count.IsKind(PDF_INT) || first.GetInt() < 0 ||
          count.GetInt() < 0 || first.GetInt() > kMaxObjects ||
          first.GetInt() + count.GetInt() > kMaxObjects) {
        throw CPdfException(kMsgXRefIndex);
      }
      ReadStreamSubsection(body, widths, static_cast<int32_t>(first.GetInt()),
                           static_cast<int32_t>(count.GetInt()));
    }
  } else {
    ReadStreamSubsection(body, widths, 0, static_cast<int32_t>(size.GetInt()));
  }
  if (trailer_.IsKind(PDF_NONE)) {
    trailer_.SetDictionary(dict);
  }
  return ReadPrevOf(*dict, prev);
}

void CPdfXRef::ReadStreamSubsection(CPdfStream* stream,
                                    const int32_t widths[3],
                                    int32_t first,
                                    int32_t count) {
  const int64_t end = static_cast<int64_t>(first) + count;
  declared_size_ = std::max(declared_size_, end);
  // Records are read whole; a negative width reads nothing.
  const size_t record_size = static_cast<size_t>(std::max(widths[0], 0)) +
                             static_cast<size_t>(std::max(widths[1], 0)) +
                             static_cast<size_t>(std::max(widths[2], 0));
  uint8_t record[3 * kMaxFieldWidth];
  // Every object a record can point to takes bytes of the file, so a stream that inflates to
  // more records than the file could hold objects for is refused before the table grows by
  // them. Subsections that repeat cannot define more numbers than the format has.
  const int64_t most_records =
      kRecordAllowanceBase + static_cast<int64_t>(stream_->GetLength()) / kFileBytesPerRecord;
  for (int64_t i = first; i < end; ++i) {
    if (++records_in_section_ > kMaxObjects || ++records_read_ > most_records) {
      throw CPdfException(kMsgXRefStream);
    }
    if (stream->ReadBytes(record, record_size) != record_size) {
      throw CPdfException(kMsgXRefEof);
    }
    uint32_t fields[3] = {widths[0] == 0 ? 1u : 0u, 0, 0};
    const uint8_t* p = record;
    for (int f = 0; f < 3; ++f) {
      for (int32_t b = 0; b < widths[f]; ++b) {
        fields[f] = (fields[f] << 8) | *p++;
      }
    }
    if (fields[0] > 2) {
      throw CPdfException(kMsgXRefEntryType);
    }
    table_.Add(static_cast<int32_t>(i),
               XRefEntry{static_cast<int32_t>(fields[1]), static_cast<int32_t>(fields[2]),
                         static_cast<int32_t>(fields[0])});
  }
}

std::shared_ptr<CPdfObjStmData> CPdfXRef::GetObjStm(int32_t stream_num) {
  auto found = objstm_index_.find(stream_num);
  if (found != objstm_index_.end()) {
    objstm_cache_.splice(objstm_cache_.begin(), objstm_cache_, found->second);
    return objstm_cache_.front();
  }
  // A stream larger than the budget was kept only for the fetches that needed it; it goes
  // before another is decoded, so no more than the budget is held beside the new one.
  EvictObjStms(0);
  auto data = std::make_shared<CPdfObjStmData>(stream_num);
  data->Build(*this);
  const auto size = static_cast<int64_t>(data->GetDecodedBytes());
  decoded_bytes_ += size;
  // The first decoding of each stream is bounded by the per-stream cap and always allowed;
  // decoding again is what the allowance bounds.
  if (decoded_streams_.insert(stream_num).second) {
    distinct_bytes_ += size;
  } else {
    if (decoded_bytes_ > 3 * distinct_bytes_) {
      // Once for the page walk and once for the copy is the usual; beyond that streams are
      // evicting one another.
      objstm_cache_budget_ = kObjStmCacheCeiling;
    }
    if (decoded_bytes_ >
        kDecodeAllowanceBase + 4 * distinct_bytes_ +
            kDecodeAllowancePerInputByte * static_cast<int64_t>(stream_->GetLength())) {
      throw CPdfException(kMsgDamaged);
    }
  }
  // Building may have filled the cache through nested fetches; look again before adding.
  found = objstm_index_.find(stream_num);
  if (found != objstm_index_.end()) {
    return *found->second;
  }
  objstm_cache_.push_front(data);
  objstm_index_[stream_num] = objstm_cache_.begin();
  objstm_cache_bytes_ += data->GetMemoryUse();
  EvictObjStms(1);
  return data;
}

void CPdfXRef::EvictObjStms(size_t keep) {
  while (objstm_cache_.size() > keep && objstm_cache_bytes_ > objstm_cache_budget_) {
    objstm_cache_bytes_ -= objstm_cache_.back()->GetMemoryUse();
    objstm_index_.erase(objstm_cache_.back()->GetStreamNum());
    objstm_cache_.pop_back();
  }
}

void CPdfXRef::FetchCompressed(int32_t num, const XRefEntry& entry, CPdfObject& out, bool walk) {
  if (FindKept(num, entry, out)) {
    return;
  }
  std::shared_ptr<CPdfObjStmData> data = GetObjStm(entry.offset);
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  if (!data->GetBytes(num, entry.generation, &bytes, &length)) {
    // A member its stream cannot give may stand in the file under its own header.
    FetchDirect(num, 0, XRefEntry{-1, 0, 1}, out, walk);
    return;
  }
  // Parsed afresh on every request: the decoded bytes are what is kept.
  CPdfParser parser(this, new CPdfMemoryStream(bytes, length));
  parser.SetWalkOnly(walk);
  parser.ParseObject(out);
  if (!walk) {
    KeepIfSmall(num, entry, length, out);
  }
}

bool CPdfXRef::GetObjectStreamBytes(int32_t num, const uint8_t** data, size_t* length) {
  const XRefEntry* found = table_.Find(num);
  if (!found) {
    return false;
  }
  const XRefEntry entry = *found;
  if (entry.type != 2) {
    return false;
  }
  return GetObjStm(entry.offset)->GetBytes(num, entry.generation, data, length);
}
