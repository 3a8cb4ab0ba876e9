#include "reader/cpdf_objstm.h"

#include <algorithm>

#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_lexer.h"
#include "objects/cpdf_object.h"
#include "reader/cpdf_fetcher.h"
#include "streams/cpdf_stream.h"
#include "streams/pdf_span_source.h"

CPdfObjStmData::CPdfObjStmData(int32_t stream_num) : stream_num_(stream_num) {}

CPdfObjStmData::~CPdfObjStmData() = default;

void CPdfObjStmData::Build(CPdfFetcher& fetcher) {
  if (!fetcher.GetTable().Find(stream_num_)) {
    return;
  }
  CPdfObject stream;
  fetcher.GetObjectStream(stream_num_, stream);
  if (!stream.IsKind(PDF_STREAM) || !stream.GetStreamDict()) {
    return;
  }
  CPdfDictionary* dict = stream.GetStreamDict();
  CPdfObject n;
  CPdfObject first;
  dict->Lookup("N", n);
  dict->Lookup("First", first);
  if (!n.IsKind(PDF_INT) || n.GetInt() <= 0 || n.GetInt() > INT32_MAX || !first.IsKind(PDF_INT) ||
      first.GetInt() < 0 || first.GetInt() > INT32_MAX) {
    return;
  }
  if (!ReadData(fetcher, stream.GetStream()) ||
      !ReadHeader(static_cast<int32_t>(n.GetInt()), static_cast<int32_t>(first.GetInt()))) {
    numbers_.clear();
    offsets_.clear();
    data_.clear();
    data_.shrink_to_fit();
    return;
  }
  valid_ = true;
}

bool CPdfObjStmData::ReadData(CPdfFetcher& fetcher, CPdfStream* body) {
  // Most streams are small and are read once into a growing buffer. A larger one is measured
  // to its end and read again into a buffer of its size: growing would hold the old and the
  // new copy at once, twice the data.
  // Data a filter refuses is none of the stream's: readers take no member from it.
  if (ReadUpTo(body, kGrowLimit, true) < kGrowLimit) {
    // Kept in the cache, which counts the bytes, not the room the growth left.
    data_.shrink_to_fit();
    return !body->Refused();
  }
  const size_t size = data_.size() + ReadUpTo(body, kMaxDecodedSize + 1 - data_.size(), false);
  std::vector<uint8_t>().swap(data_);
  if (size > kMaxDecodedSize || body->Refused()) {
    return false;
  }
  CPdfObject again;
  fetcher.GetObjectStream(stream_num_, again);
  if (!again.IsKind(PDF_STREAM)) {
    return false;
  }
  data_.reserve(size);
  const bool whole = ReadUpTo(again.GetStream(), size + 1, true) == size;
  decoded_bytes_ -= data_.size();  // the stream's size counts once, however it was read
  return whole;
}

size_t CPdfObjStmData::ReadUpTo(CPdfStream* body, size_t limit, bool keep) {
  uint8_t chunk[4096];
  size_t total = 0;
  while (total < limit) {
    const size_t got = body->ReadBytes(chunk, std::min(sizeof(chunk), limit - total));
    if (got == 0) {
      break;
    }
    decoded_bytes_ += got;
    total += got;
    if (keep) {
      data_.insert(data_.end(), chunk, chunk + got);
    }
  }
  return total;
}

bool CPdfObjStmData::ReadHeader(int32_t count, int32_t first) {
  // Each pair takes at least four bytes ("1 0 "), so an /N that cannot fit is refused before
  // anything is sized by it.
  if (static_cast<size_t>(first) > data_.size() || count > first / 4 + 1) {
    return false;
  }
  first_ = first;
  numbers_.reserve(static_cast<size_t>(count));
  offsets_.reserve(static_cast<size_t>(count));
  // Integers as the parser reads them: a number token of 32 bits that starts no "n g R".
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(data_.data(), static_cast<size_t>(first))};
  const auto integer = [&lexer](int32_t* value) {
    const PdfToken t = lexer.Next();
    *value = t.value;
    return t.int32 && !(lexer.Peek(0).int32 && lexer.Peek(1).Is(PdfKeyword::kR));
  };
  for (int32_t k = 0; k < count; ++k) {
    int32_t num = 0;
    int32_t offset = 0;
    if (!integer(&num) || !integer(&offset)) {
      return false;
    }
    numbers_.push_back(num);
    offsets_.push_back(offset);
  }
  return true;
}

int32_t CPdfObjStmData::FindInHeader(int32_t num) {
  if (by_number_.empty()) {
    by_number_.reserve(numbers_.size());
    for (size_t k = 0; k < numbers_.size(); ++k) {
      by_number_.emplace_back(numbers_[k], static_cast<int32_t>(k));
    }
    std::sort(by_number_.begin(), by_number_.end());
  }
  auto it = std::lower_bound(by_number_.begin(), by_number_.end(), std::make_pair(num, 0));
  return it != by_number_.end() && it->first == num ? it->second : -1;
}

bool CPdfObjStmData::GetBytes(int32_t num, int32_t index, const uint8_t** data, size_t* length) {
  // Producers that wrap a narrow index field, or list the stream itself first, give indexes
  // that miss; readers go by the numbers the stream's own header gives.
  if (index < 0 || index >= GetCount() || numbers_[static_cast<size_t>(index)] != num) {
    index = FindInHeader(num);
    if (index < 0) {
      return false;
    }
  }
  const size_t k = static_cast<size_t>(index);
  const int64_t begin = static_cast<int64_t>(first_) + offsets_[k];
  const int64_t end = k + 1 < offsets_.size() ? static_cast<int64_t>(first_) + offsets_[k + 1]
                                              : static_cast<int64_t>(data_.size());
  // Offsets that decrease or run past the data give no bytes.
  if (offsets_[k] < 0 || begin > end || end > static_cast<int64_t>(data_.size())) {
    return false;
  }
  *data = data_.data() + begin;
  *length = static_cast<size_t>(end - begin);
  return true;
}
