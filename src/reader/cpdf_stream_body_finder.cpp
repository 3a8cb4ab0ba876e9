#include "reader/cpdf_stream_body_finder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "streams/cpdf_input_file.h"

namespace {

constexpr char kEndstream[] = "endstream";
constexpr size_t kEndstreamLength = sizeof(kEndstream) - 1;
// A longer key is not /Length, however its bytes are escaped.
constexpr size_t kLongestLengthKey = 64;
// A longer number is no length of any file, whatever zeros lead it.
constexpr size_t kLongestNumber = 64;

}  // namespace

void CPdfStreamBodyFinder::Start(CPdfInputFile* file, const LengthOf& length_of) {
  file_ = file;
  length_of_ = length_of;
}

void CPdfStreamBodyFinder::Finish() {
  length_of_ = nullptr;
  lengths_.clear();
}

int64_t CPdfStreamBodyFinder::ByLength(Lexer& lexer,
                                       const PdfDictEntry* length,
                                       uint64_t limit,
                                       Body* body) {
  PdfFileSource& source = lexer.GetSource();
  // The body starts after the line end, as readers take it: after the first LF, or a CR and
  // the LF after it.
  for (int c = source.Next(); c >= 0 && c != '\n'; c = source.Next()) {
    if (c == '\r') {
      if (source.Peek() == '\n') {
        source.Next();
      }
      break;
    }
  }
  body->start = source.Tell();
  body->declared = length ? LengthValue(*length) : -1;
  if (body->declared >= 0 && body->start + static_cast<uint64_t>(body->declared) <= limit) {
    source.Seek(body->start + static_cast<uint64_t>(body->declared));
    const PdfToken after = lexer.Next();
    if (after.Is(PdfKeyword::kEndstream)) {
      body->length = static_cast<uint64_t>(body->declared);
      return static_cast<int64_t>(after.end);
    }
    lexer.DropQueue();
  }
  return -1;
}

int64_t CPdfStreamBodyFinder::BySearch(Lexer& lexer, uint64_t limit, Body* body) const {
  PdfFileSource& source = lexer.GetSource();
  const uint64_t data = body->start;
  const int64_t found = FindEndstream(data, limit);
  if (found >= 0) {
    uint64_t body_end = static_cast<uint64_t>(found) - kEndstreamLength;
    // The line end before "endstream" belongs to the syntax, not to the data.
    uint8_t eol[2] = {0, 0};
    if (body_end >= data + 2 && file_->ReadAt(static_cast<int64_t>(body_end - 2), eol, 2) == 2) {
      body_end -= eol[1] == '\n' ? (eol[0] == '\r' ? 2 : 1) : eol[1] == '\r' ? 1 : 0;
    } else if (body_end > data && file_->ReadAt(static_cast<int64_t>(body_end - 1), eol, 1) == 1 &&
               (eol[0] == '\n' || eol[0] == '\r')) {
      body_end -= 1;
    }
    body->length = body_end - data;
    source.Seek(static_cast<uint64_t>(found));
    return found;
  }
  // No "endstream" before the limit: a /Length that fits tells where the body ends, when
  // nothing but "endobj" or the next object follows it. Other bytes there would be dropped.
  const int64_t declared = body->declared;
  if (declared >= 0 && data + static_cast<uint64_t>(declared) <= limit) {
    const uint64_t end = data + static_cast<uint64_t>(declared);
    source.Seek(end);
    const bool bare = lexer.AtObjectEnd() && lexer.Peek(0).begin <= limit;
    lexer.DropQueue();
    source.Seek(end);
    if (bare) {
      body->length = static_cast<uint64_t>(declared);
      body->bare = true;
      return static_cast<int64_t>(end);
    }
  }
  source.Seek(limit);
  return -1;
}

int64_t CPdfStreamBodyFinder::LengthValue(const PdfDictEntry& entry) {
  if (!entry.reference) {
    if (entry.value_end != entry.value.end) {
      return -1;
    }
    return entry.value.IsCount() ? entry.value.value : LongLength(entry.value);
  }
  if (!entry.value.IsCount() || !entry.gen.IsCount()) {
    return -1;
  }
  const int64_t key = (int64_t{entry.value.value} << 32) | entry.gen.value;
  const auto found = lengths_.find(key);
  if (found != lengths_.end()) {
    return found->second;
  }
  const int64_t value = length_of_ ? length_of_(entry.value.value, entry.gen.value) : -1;
  lengths_.emplace(key, value);
  return value;
}

int64_t CPdfStreamBodyFinder::LongLength(const PdfToken& value) const {
  // The lexer keeps the values of 32 bits; a longer integer (a body past 2 GiB) is read from its
  // bytes.
  const uint64_t length = value.end - value.begin;
  uint8_t digits[kLongestNumber];
  if (value.kind != PdfTokenKind::kNumber || length > kLongestNumber ||
      file_->ReadAt(static_cast<int64_t>(value.begin), digits, length) != length) {
    return -1;
  }
  const PdfNumber n = ParsePdfNumber(digits, static_cast<size_t>(length));
  return n.integer && n.value >= 0 ? n.value : -1;
}

bool CPdfStreamBodyFinder::IsLengthKey(Lexer& lexer, const PdfToken& key) const {
  const uint64_t length = key.end - key.begin - 1;
  if (length < 6 || length > kLongestLengthKey) {
    return false;
  }
  const uint8_t* bytes = lexer.GetSource().View(key.begin + 1, key.end);
  uint8_t copy[kLongestLengthKey];
  if (!bytes) {
    if (file_->ReadAt(static_cast<int64_t>(key.begin + 1), copy, length) != length) {
      return false;
    }
    bytes = copy;
  }
  return PdfNameIs(bytes, length, "Length");
}

int64_t CPdfStreamBodyFinder::FindEndstream(uint64_t from, uint64_t limit) const {
  // In pieces that overlap by the pattern's length less one, so no match is missed.
  constexpr size_t kPiece = size_t{64} * 1024;
  std::vector<uint8_t> piece(kPiece);
  for (uint64_t at = from; at + kEndstreamLength <= limit;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(kPiece, limit - at));
    const size_t got = file_->ReadAt(static_cast<int64_t>(at), piece.data(), want);
    if (got < kEndstreamLength) {
      break;
    }
    const uint8_t* p = piece.data();
    const uint8_t* end = p + got;
    while (p + kEndstreamLength <= end) {
      const void* hit = std::memchr(p, 'e', static_cast<size_t>(end - p) - kEndstreamLength + 1);
      if (!hit) {
        break;
      }
      p = static_cast<const uint8_t*>(hit);
      if (std::memcmp(p, kEndstream, kEndstreamLength) == 0) {
        return static_cast<int64_t>(at + static_cast<uint64_t>(p - piece.data()) +
                                    kEndstreamLength);
      }
      ++p;
    }
    if (got < want) {
      break;
    }
    at += got - (kEndstreamLength - 1);
  }
  return -1;
}
