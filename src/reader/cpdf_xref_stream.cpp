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

// A subsection of the stream's records: the numbers first to first + count - 1.
struct Subsection {
  int32_t first;
  int32_t count;
};

// /Size: an integer count of object numbers, within the format's.
int32_t CheckXRefSize(const CPdfDictionary& dict) {
  CPdfObject size;
  dict.LookupRaw("Size", size);
  if (!size.IsKind(PDF_INT) || size.GetInt() < 0 || size.GetInt() > CPdfXRef::kMaxObjects) {
    throw CPdfException(kMsgXRefSize);
  }
  return static_cast<int32_t>(size.GetInt());
}

int32_t ReadWidth(const CPdfArray& w, int32_t index) {
  CPdfObject value;
  w.Get(index, value);
  if (!value.IsKind(PDF_INT) || value.GetInt() > CPdfXRef::kMaxFieldWidth) {
    throw CPdfException(kMsgXRefW);
  }
  // Every negative width reads nothing; held at -1 so that none wraps.
  return static_cast<int32_t>(std::max<int64_t>(value.GetInt(), -1));
}

// /W: an array of three integer widths, none past kMaxFieldWidth, that read some bytes between
// them.
void CheckXRefWidths(const CPdfDictionary& dict, int32_t widths[3]) {
  CPdfObject w;
  dict.LookupRaw("W", w);
  if (!w.IsKind(PDF_ARRAY)) {
    throw CPdfException(kMsgXRefW);
  }
  const CPdfArray& array = *w.GetArray();
  if (array.GetCount() < 3) {
    throw CPdfException(kMsgXRefWLength);
  }
  for (int32_t f = 0; f < 3; ++f) {
    widths[f] = ReadWidth(array, f);
  }
  // A record of no bytes would let a short stream define millions of entries.
  if (widths[0] + widths[1] + widths[2] <= 0) {
    throw CPdfException(kMsgXRefW);
  }
}

// The /Index pair at i: a first number and a count, neither negative, that stay within the
// format's object numbers.
Subsection CheckXRefIndex(const CPdfArray& pairs, int32_t i) {
  CPdfObject first;
  CPdfObject count;
  pairs.Get(i, first);
  pairs.Get(i + 1, count);
  if (!first.IsKind(PDF_INT) || !count.IsKind(PDF_INT) || first.GetInt() < 0 ||
      count.GetInt() < 0 || first.GetInt() > CPdfXRef::kMaxObjects ||
      first.GetInt() + count.GetInt() > CPdfXRef::kMaxObjects) {
    throw CPdfException(kMsgXRefIndex);
  }
  return Subsection{static_cast<int32_t>(first.GetInt()), static_cast<int32_t>(count.GetInt())};
}

// A record's entry. A file offset is held past any file when it is larger; the other fields
// (a stream number, a generation, an index) take 32 bits, and one past them names nothing (-1).
XRefEntry RecordEntry(const uint64_t fields[3]) {
  const auto in32 = [](uint64_t v) {
    return v > UINT32_MAX ? -1 : static_cast<int32_t>(static_cast<uint32_t>(v));
  };
  const int32_t type = static_cast<int32_t>(fields[0]);
  const int64_t offset = type != XRefEntry::kInFile
                             ? in32(fields[1])
                             : static_cast<int64_t>(std::min<uint64_t>(
                                   fields[1], static_cast<uint64_t>(XRefEntry::kPastAnyFile)));
  return XRefEntry{offset, in32(fields[2]), type};
}

}  // namespace

bool CPdfXRef::ReadXRefStream(const CPdfObject& stream, int64_t* prev) {
  CPdfStream* body = stream.GetStream();
  CPdfDictionary* dict = stream.GetStreamDict();
  if (!dict) {
    throw CPdfException(kMsgXRefStream);
  }
  const int32_t size = CheckXRefSize(*dict);
  int32_t widths[3];
  CheckXRefWidths(*dict, widths);
  body->Rewind();
  records_in_section_ = 0;
  // Each pair is checked when its subsection comes up, after the records before it are read.
  CPdfObject index;
  dict->LookupRaw("Index", index);
  if (index.IsKind(PDF_ARRAY)) {
    const CPdfArray& pairs = *index.GetArray();
    for (int32_t i = 0; i < pairs.GetCount() - 1; i += 2) {
      const Subsection subsection = CheckXRefIndex(pairs, i);
      ReadStreamSubsection(body, widths, subsection.first, subsection.count);
    }
  } else {
    ReadStreamSubsection(body, widths, 0, size);
  }
  // Records read from data a filter refuses further on are not the stream's: readers take none.
  if (body->Refused()) {
    throw CPdfException(kMsgXRefStream);
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
      throw CPdfException(stream->Refused() ? kMsgXRefStream : kMsgXRefEof);
    }
    // Fields up to 8 bytes are read whole; a wider one that does not fit 64 bits is held at
    // the top, past any file.
    uint64_t fields[3] = {widths[0] == 0 ? 1u : 0u, 0, 0};
    const uint8_t* p = record;
    for (int f = 0; f < 3; ++f) {
      for (int32_t b = 0; b < widths[f]; ++b, ++p) {
        fields[f] = fields[f] > (UINT64_MAX >> 8) ? UINT64_MAX : (fields[f] << 8) | *p;
      }
    }
    if (fields[0] > 2) {
      throw CPdfException(kMsgXRefEntryType);
    }
    table_.Add(static_cast<int32_t>(i), RecordEntry(fields));
  }
}
