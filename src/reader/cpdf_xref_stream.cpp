// Cross-reference streams.
#include <algorithm>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_xref.h"
#include "streams/cpdf_stream.h"

namespace {

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
  CPdfDictionary* dict = stream.GetStreamDict();
  if (!dict) {
    throw CPdfException(kMsgXRefStream);
  }
  CPdfObject size;
  dict->LookupRaw("Size", size);
  if (!size.IsKind(PDF_INT) || size.GetInt() < 0 || size.GetInt() > kMaxObjects) {
    throw CPdfException(kMsgXRefSize);
  }
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
  // Records are read whole; a negative width reads nothing.
  const size_t record_size = static_cast<size_t>(std::max(widths[0], 0)) +
                             static_cast<size_t>(std::max(widths[1], 0)) +
                             static_cast<size_t>(std::max(widths[2], 0));
  uint8_t record[3 * kMaxFieldWidth];
  // Every object a record can point to takes bytes of the file, so a stream that inflates to
  // more records than the file could hold objects for is refused before the table grows by
  // them. Subsections that repeat cannot define more numbers than the format has.
  const int64_t most_records = MostRecords(file_size_);
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
