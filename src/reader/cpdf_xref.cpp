#include "reader/cpdf_xref.h"

#include <algorithm>
#include <cstring>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/cpdf_string.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_objstm.h"
#include "streams/cpdf_stream.h"

namespace {

constexpr int kStartXRefWindow = 1023;

// The offset after the last "startxref" in the file's last 1023 bytes, or 0.
int64_t FindStartXRef(CPdfStream* stream) {
  stream->Seek(kStartXRefWindow, 2);
  char window[kStartXRefWindow + 1];
  int count = 0;
  while (count < kStartXRefWindow) {
    int c = stream->GetChar();
    if (c < 0) {
      break;
    }
    window[count++] = c == 0 ? ' ' : static_cast<char>(c);
  }
  window[count] = 0;
  static const char kKeyword[] = "startxref";
  for (int pos = count - 9; pos >= 0; --pos) {
    if (std::memcmp(window + pos, kKeyword, 9) != 0) {
      continue;
    }
    const char* p = window + pos + 9;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') {
      ++p;
    }
    bool negative = false;
    if (*p == '-' || *p == '+') {
      negative = *p == '-';
      ++p;
    }
    int64_t value = 0;
    while (*p >= '0' && *p <= '9' && value <= INT32_MAX) {
      value = value * 10 + (*p++ - '0');
    }
    return negative ? -value : value;
  }
  return 0;
}

// Whether value takes no more than *budget bytes parsed (each value counted at 32 bytes and
// its text), and holds no stream, whose reading position cannot be shared.
bool FitsIn(const CPdfObject& value, int64_t* budget) {
  *budget -= 32;
  if (value.IsKind(PDF_STRING)) {
    *budget -= value.GetString()->GetLength();
  } else if (value.IsKind(PDF_NAME)) {
    *budget -= static_cast<int64_t>(std::strlen(value.GetText()));
  }
  if (*budget < 0 || value.IsKind(PDF_STREAM)) {
    return false;
  }
  if (value.IsKind(PDF_ARRAY)) {
    const CPdfArray& array = *value.GetArray();
    for (int32_t i = 0; i < array.GetCount(); ++i) {
      if (!FitsIn(array.At(i), budget)) {
        return false;
      }
    }
  } else if (value.IsKind(PDF_DICT)) {
    for (const auto& entry : value.GetDict()->GetEntries()) {
      if (!FitsIn(entry.second, budget)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

// /Prev as an integer or, leniently, the number of a reference.
bool CPdfXRef::ReadPrevOf(const CPdfDictionary& dict, int64_t* prev) {
  CPdfObject value;
  dict.LookupRaw("Prev", value);
  if (value.IsKind(PDF_INT)) {
    *prev = value.GetInt();
    return true;
  }
  if (value.IsKind(PDF_REF)) {
    *prev = value.GetRefNum();
    return true;
  }
  return false;
}

CPdfXRef::CPdfXRef() = default;

CPdfXRef::~CPdfXRef() = default;

void CPdfXRef::Load(CPdfStream* stream) {
  stream_ = stream;
  header_offset_ = stream->GetStartOffset();
  int64_t offset = FindStartXRef(stream);
  if (offset == 0) {
    throw CPdfException(kMsgDamaged);
  }
  trailer_section_ = offset;
  int64_t prev = 0;
  // A section already read ends the chain, so /Prev loops cannot repeat it.
  while (ReadSection(offset, &prev) && visited_sections_.count(prev) == 0) {
    offset = prev;
  }
  table_.Finish();
  if (!trailer_.IsKind(PDF_DICT)) {
    throw CPdfException(kMsgDamaged);
  }
  CPdfDictionary* trailer = trailer_.GetDict();
  CPdfObject root;
  trailer->LookupRaw("Root", root);
  if (!root.IsKind(PDF_REF)) {
    throw CPdfException(kMsgDamaged);
  }
  root_num_ = root.GetRefNum();
  root_gen_ = root.GetRefGen();
  CPdfObject info;
  trailer->LookupRaw("Info", info);
  if (info.IsKind(PDF_REF)) {
    info_num_ = info.GetRefNum();
    info_gen_ = info.GetRefGen();
  }
  trailer->SetResolver(this);
}

std::map<std::string, std::string> CPdfXRef::ReadRawTrailer(const std::vector<std::string>& keys) {
  std::map<std::string, std::string> values;
  // From a classic table's "trailer" on, else the section: a cross-reference stream's first
  // "<<" opens its dictionary.
  CPdfRefPtr<CPdfStream> window = CPdfRefPtr<CPdfStream>::Adopt(
      trailer_dict_at_ >= 0 ? OpenAt(trailer_dict_at_) : OpenWindow(trailer_section_));
  if (!window) {
    return values;
  }
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window.Get(), true)};
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kDictOpen; t = lexer.Next()) {
    if (t.kind == PdfTokenKind::kEnd) {
      return values;
    }
  }
  // Where each entry stands, read back once the dictionary is passed: keys of a few bytes
  // only, since the longest wanted key takes three bytes a letter when written all in escapes.
  size_t longest = 0;
  for (const std::string& k : keys) {
    longest = std::max(longest, 3 * k.size());
  }
  std::vector<PdfDictEntry> entries;
  PdfDictEntry entry;
  while (lexer.NextDictEntry(&entry)) {
    if (entry.key.end - entry.key.begin <= longest + 1 && entry.value_end > entry.value_begin) {
      entries.push_back(entry);
    }
  }
  auto read = [&window](uint64_t begin, uint64_t end) {
    std::string bytes(static_cast<size_t>(end - begin), '\0');
    window->Seek(static_cast<int32_t>(begin), 0);
    bytes.resize(window->ReadBytes(reinterpret_cast<uint8_t*>(&bytes[0]), bytes.size()));
    return bytes;
  };
  for (const PdfDictEntry& e : entries) {
    const std::string name = read(e.key.begin + 1, e.key.end);
    const std::string key =
        DecodePdfName(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    if (std::find(keys.begin(), keys.end(), key) != keys.end() && values.count(key) == 0) {
      // A value left open (an /ID array that "startxref" cuts off) cannot be written as it
      // stands: it would swallow what the copy writes after it.
      if (!e.whole) {
        throw CPdfException(kMsgDamaged);
      }
      values[key] = read(e.value_begin, e.value_end);
    }
  }
  return values;
}

CPdfStream* CPdfXRef::OpenWindow(int64_t offset) {
  return offset < 0 ? nullptr : OpenAt(static_cast<int64_t>(header_offset_) + offset);
}

CPdfStream* CPdfXRef::OpenAt(int64_t start, int64_t end) {
  if (start < 0 || start > UINT32_MAX) {
    return nullptr;
  }
  CPdfObject null_dict;
  null_dict.SetNull();
  // A length of 0 runs to the end of the file.
  const int64_t length = end > start ? std::min<int64_t>(end - start, UINT32_MAX) : 0;
  return stream_->CreateSubStream(static_cast<uint32_t>(start), static_cast<uint32_t>(length),
                                  null_dict);
}

bool CPdfXRef::ReadSection(int64_t offset, int64_t* prev) {
  if (++sections_read_ > kMaxSections) {
    throw CPdfException(kMsgDamaged);
  }
  visited_sections_.insert(offset);
  CPdfStream* window = OpenWindow(offset);
  if (!window) {
    throw CPdfException(kMsgXRef);
  }
  CPdfParser parser(nullptr, window);
  CPdfObject first;
  parser.ParseObject(first);
  if (first.IsKeyword("xref")) {
    return ReadTable(window, parser, prev);
  }
  if (!first.IsKind(PDF_INT)) {
    throw CPdfException(kMsgXRef);
  }
  CPdfObject gen;
  CPdfObject keyword;
  CPdfObject body;
  parser.ParseObject(gen);
  if (gen.IsKind(PDF_INT)) {
    parser.ParseObject(keyword);
    if (keyword.IsKeyword("obj")) {
      parser.ParseObject(body);
    }
  }
  if (!body.IsKind(PDF_STREAM)) {
    throw CPdfException(kMsgXRefStream);
  }
  return ReadXRefStream(body, prev);
}

bool CPdfXRef::ReadTable(CPdfStream* window, CPdfParser& parser, int64_t* prev) {
  section_free_.clear();
  // The table holds only numbers and the keywords n and f: read token by token, no values
  // built. The parser, which has read "xref" and nothing after it, takes over at "trailer".
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window, true)};
  std::string text;
  const auto next = [&]() {
    text.clear();
    return lexer.Next(&text);
  };
  const auto integer = [&](const PdfToken& t, int64_t* value) {
    if (t.kind != PdfTokenKind::kNumber) {
      return false;
    }
    const PdfNumber n = ParsePdfNumber(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    *value = n.value;
    return n.integer;
  };
  uint64_t dict_at = 0;
  for (;;) {
    PdfToken t = next();
    if (t.Is(PdfKeyword::kTrailer)) {
      dict_at = t.end;
      break;
    }
    int64_t first = 0;
    int64_t count = 0;
    if (!integer(t, &first) || !integer(next(), &count)) {
      throw CPdfException(kMsgXRefTable);
    }
    // Negative numbers and tables past the format's limit are refused before anything grows.
    if (first < 0 || count < 0 || first > kMaxObjects || first + count > kMaxObjects) {
      throw CPdfException(kMsgXRefTable);
    }
    const int64_t end = first + count;
    declared_size_ = std::max(declared_size_, end);
    for (int64_t i = first; i < end; ++i) {
      int64_t offset = 0;
      int64_t generation = 0;
      if (!integer(next(), &offset) || !integer(next(), &generation)) {
        throw CPdfException(kMsgXRefTable);
      }
      t = next();
      const bool in_use = t.kind == PdfTokenKind::kKeyword && text == "n";
      if (!in_use && !(t.kind == PdfTokenKind::kKeyword && text == "f")) {
        throw CPdfException(kMsgXRefTable);
      }
      // Held at the 32-bit ends rather than wrapped: such an offset leads to no header, and
      // the object is then looked for by its header.
      const XRefEntry entry{
          static_cast<int32_t>(std::clamp<int64_t>(offset, INT32_MIN, INT32_MAX)),
          static_cast<int32_t>(std::clamp<int64_t>(generation, INT32_MIN, INT32_MAX)),
          in_use ? 1 : 0};
      if (in_use) {
        table_.Add(static_cast<int32_t>(i), entry);
      } else {
        section_free_.emplace_back(static_cast<int32_t>(i), entry);
      }
    }
  }
  CPdfObject trailer;
  parser.ParseObject(trailer);
  if (!trailer.IsKind(PDF_DICT)) {
    throw CPdfException(kMsgTrailerType);
  }
  if (trailer_.IsKind(PDF_NONE)) {
    trailer_.Assign(trailer);
    trailer_dict_at_ = static_cast<int64_t>(dict_at);
  }
  ReadHybridStream(*trailer.GetDict());
  for (const auto& [n, entry] : section_free_) {
    table_.Add(n, entry);
  }
  section_free_.clear();
  return ReadPrevOf(*trailer.GetDict(), prev);
}

void CPdfXRef::ReadHybridStream(const CPdfDictionary& trailer) {
  // In a hybrid file the objects kept in object streams are listed only in the stream that
  // /XRefStm names. Its entries belong to this section: they fill what the table left free or
  // undefined, ahead of every older section (the table's free entries are added after them).
  // Its own /Prev is not followed.
  CPdfObject xref_stm;
  trailer.LookupRaw("XRefStm", xref_stm);
  if (!xref_stm.IsKind(PDF_INT) || visited_sections_.count(xref_stm.GetInt()) != 0) {
    return;
  }
  std::vector<std::pair<int32_t, XRefEntry>> table_free;
  table_free.swap(section_free_);
  int64_t ignored = 0;
  ReadSection(xref_stm.GetInt(), &ignored);
  section_free_.swap(table_free);
}

void CPdfXRef::GetObjectForWalk(int32_t num, int32_t gen, CPdfObject& out) {
  walk_fetch_ = true;
  GetObject(num, gen, out);
}

void CPdfXRef::GetObject(int32_t num, int32_t gen, CPdfObject& out) {
  const bool walk = walk_fetch_;
  walk_fetch_ = false;
  const XRefEntry* found = table_.Find(num);
  if (!found) {
    if (num < 0 || num >= declared_size_) {
      throw CPdfException(kMsgCorrupted);
    }
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
    CPdfXRef* xref;
    Guard(CPdfXRef* x, int32_t n) : xref(x) {
      ++xref->fetch_depth_;
      xref->in_progress_.push_back(n);
    }
    ~Guard() {
      --xref->fetch_depth_;
      xref->in_progress_.pop_back();
    }
  } guard(this, num);
  if (entry.type == 1) {
    FetchDirect(num, gen, entry, out, walk);
  } else if (entry.type == 2 && gen == 0) {
    FetchCompressed(num, entry, out, walk);
  } else {
    out.SetNull();
  }
}

bool CPdfXRef::FindKept(int32_t num, const XRefEntry& entry, CPdfObject& out) const {
  const auto kept = kept_values_.find(num);
  if (kept == kept_values_.end() || kept->second.entry.offset != entry.offset ||
      kept->second.entry.generation != entry.generation || kept->second.entry.type != entry.type) {
    return false;
  }
  out.Clear();
  out.Assign(kept->second.value);
  return true;
}

void CPdfXRef::KeepIfSmall(int32_t num,
                           const XRefEntry& entry,
                           uint64_t bytes_read,
                           const CPdfObject& value) {
  int64_t budget = kKeptValueBytes;
  if (bytes_read > kKeepAfterBytes && FitsIn(value, &budget)) {
    kept_values_.emplace(num, Kept{entry, CPdfObject(value)});
  }
}

void CPdfXRef::FetchDirect(int32_t num,
                           int32_t gen,
                           const XRefEntry& entry,
                           CPdfObject& out,
                           bool walk) {
  out.SetNull();
  if (gen != entry.generation) {
    return;
  }
  if (FindKept(num, entry, out)) {
    return;
  }
  // Where the entry leads, or else where the index of headers finds the object.
  int64_t start = entry.offset < 0 ? -1 : static_cast<int64_t>(header_offset_) + entry.offset;
  for (int attempt = 0; attempt < 2; ++attempt) {
    // The value is read where the copy finds it: up to the next object the table places.
    // Whether a header stands where the next entry leads is asked only when the read gets
    // that far (mostly it ends well before): it is then read again, up to the next header
    // that does stand.
    const int64_t next = start < 0 ? -1 : NextEntryPosition(start);
    DirectRead read = ReadDirect(num, gen, entry, start, next, walk, next < 0, out);
    if (read == DirectRead::kPastEnd) {
      read = ReadDirect(num, gen, entry, start, NextObjectStart(start), walk, true, out);
    }
    if (read == DirectRead::kValue) {
      return;
    }
    out.SetNull();
    start = attempt == 0 ? FindObjectByHeader(num, gen) : -1;
    if (start < 0) {
      return;
    }
  }
}

CPdfXRef::DirectRead CPdfXRef::ReadDirect(int32_t num,
                                          int32_t gen,
                                          const XRefEntry& entry,
                                          int64_t start,
                                          int64_t end,
                                          bool walk,
                                          bool final,
                                          CPdfObject& out) {
  CPdfStream* window = OpenAt(start, end);
  if (!window) {
    return DirectRead::kNoHeader;
  }
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window, false)};
  CPdfParser parser(this, window);
  parser.SetWalkOnly(walk);
  parser.SetDecodeStreams(!walk);
  // A read that got to the window's end (or failed, perhaps for want of what lies past it)
  // may read otherwise in a longer window.
  const auto past_end = [&] { return !final && window->Tell() >= end; };
  try {
    if (!LexObjectHeader(lexer, num, gen)) {
      return past_end() ? DirectRead::kPastEnd : DirectRead::kNoHeader;
    }
    const uint32_t begin = window->Tell();
    out.Clear();
    parser.ParseObject(out);
    if (past_end()) {
      return DirectRead::kPastEnd;
    }
    // A value built in part must not answer a whole fetch.
    if (!walk) {
      KeepIfSmall(num, entry, window->Tell() - begin, out);
    }
    return DirectRead::kValue;
  } catch (const CPdfException&) {
    if (final) {
      throw;
    }
    return DirectRead::kPastEnd;
  }
}

int64_t CPdfXRef::FindObjectByHeader(int32_t num, int32_t gen, int32_t* found_gen) {
  if (!headers_indexed_) {
    headers_indexed_ = true;
    IndexHeaders();
  }
  // The spots of num are together, ordered by generation, each generation's last one last.
  const auto after = std::upper_bound(
      headers_.begin(), headers_.end(), std::make_pair(num, gen < 0 ? INT32_MAX : gen),
      [](const std::pair<int32_t, int32_t>& key, const HeaderSpot& spot) {
        return key < std::make_pair(spot.num, spot.gen);
      });
  if (after == headers_.begin()) {
    return -1;
  }
  const HeaderSpot& last = *(after - 1);
  if (last.num != num || (gen >= 0 && last.gen != gen)) {
    return -1;
  }
  if (found_gen) {
    *found_gen = last.gen;
  }
  return last.position;
}

void CPdfXRef::ListStarts() {
  starts_listed_ = true;
  starts_.reserve(static_cast<size_t>(table_.Count()) + visited_sections_.size());
  for (const CPdfXRefTable::Item& item : table_) {
    if (item.entry.type == 1 && item.entry.offset >= 0) {
      const int64_t at = int64_t{header_offset_} + item.entry.offset;
      starts_.push_back(Start{at, item.num, item.entry.generation, 0, 0});
    }
  }
  for (const int64_t section : visited_sections_) {
    if (section >= 0) {
      const int64_t at = int64_t{header_offset_} + section;
      starts_.push_back(Start{at, -1, 0, 0, 1});
    }
  }
  // Entries come in a few runs that rise through the file (objects numbered as they are
  // written, interleaved kinds, an update at the end): neighbouring runs are merged, so the
  // sort costs a pass per halving of the runs.
  const auto earlier = [](const Start& a, const Start& b) { return a.position < b.position; };
  std::vector<size_t> runs{0};
  for (size_t k = 1; k < starts_.size(); ++k) {
    if (earlier(starts_[k], starts_[k - 1])) {
      runs.push_back(k);
    }
  }
  runs.push_back(starts_.size());
  while (runs.size() > 2) {
    std::vector<size_t> merged{0};
    for (size_t k = 0; k + 2 < runs.size(); k += 2) {
      std::inplace_merge(starts_.begin() + static_cast<std::ptrdiff_t>(runs[k]),
                         starts_.begin() + static_cast<std::ptrdiff_t>(runs[k + 1]),
                         starts_.begin() + static_cast<std::ptrdiff_t>(runs[k + 2]), earlier);
      merged.push_back(runs[k + 2]);
    }
    if (runs.size() % 2 == 0) {
      merged.push_back(runs.back());  // an odd run out waits for the next pass
    }
    runs.swap(merged);
  }
}

int64_t CPdfXRef::NextEntryPosition(int64_t position) {
  if (!starts_listed_) {
    ListStarts();
  }
  // Asked mostly in file order, or nearly (objects of two kinds numbered apart but written in
  // turn): the answer is looked for forward from the last one in doubling steps, and only
  // then in the whole list. The answer lies in [low, high].
  const auto before = [&](size_t k) { return starts_[k].position <= position; };
  size_t low = std::min(start_hint_, starts_.size());
  if (low > 0 && !before(low - 1)) {
    low = 0;
  }
  size_t high = low;
  for (size_t step = 1; high < starts_.size() && before(high); step *= 2) {
    low = high + 1;
    high = low + step;
  }
  high = std::min(high, starts_.size());
  start_hint_ = static_cast<size_t>(
      std::upper_bound(starts_.begin() + static_cast<std::ptrdiff_t>(low),
                       starts_.begin() + static_cast<std::ptrdiff_t>(high), position,
                       [](int64_t p, const Start& s) { return p < s.position; }) -
      starts_.begin());
  return start_hint_ == starts_.size() ? -1 : starts_[start_hint_].position;
}

int64_t CPdfXRef::NextObjectStart(int64_t position) {
  for (int64_t at = NextEntryPosition(position); at >= 0; at = NextEntryPosition(at)) {
    const int64_t header = HeaderAtEntry(at);
    if (header >= 0) {
      return header;
    }
  }
  return -1;
}

int64_t CPdfXRef::HeaderAtEntry(int64_t position) {
  if (!starts_listed_) {
    ListStarts();
  }
  // Mostly the entry NextEntryPosition just gave.
  const size_t k = start_hint_;
  const bool at_hint = k < starts_.size() && starts_[k].position == position &&
                       (k == 0 || starts_[k - 1].position < position);
  auto it = at_hint ? starts_.begin() + static_cast<std::ptrdiff_t>(k)
                    : std::lower_bound(starts_.begin(), starts_.end(), position,
                                       [](const Start& s, int64_t p) { return s.position < p; });
  for (; it != starts_.end() && it->position == position; ++it) {
    if (it->verdict == 0) {
      it->verdict = HeaderStandsAt(it->position, it->num, it->gen, &it->skip) ? 1 : -1;
    }
    if (it->verdict > 0) {
      return it->position + it->skip;
    }
  }
  return -1;
}

bool CPdfXRef::HeaderStandsAt(int64_t position, int32_t num, int32_t gen, uint8_t* skip) {
  // A few bytes only: an entry that leads into a string must not make this read it whole.
  constexpr size_t kHeaderBytes = 64;
  const CPdfRefPtr<CPdfStream> window = CPdfRefPtr<CPdfStream>::Adopt(
      OpenAt(position, position + static_cast<int64_t>(kHeaderBytes)));
  if (!window) {
    return false;
  }
  // Read in place: only the header's bytes are looked at.
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window.Get(), true)};
  uint64_t at = 0;
  if (!LexObjectHeader(lexer, num, gen, &at)) {
    return false;
  }
  // The object starts at its header, past white space the entry leads to.
  *skip = static_cast<uint8_t>(at - static_cast<uint64_t>(position));
  return true;
}

void CPdfXRef::IndexHeaders() {
  const CPdfRefPtr<CPdfStream> window = CPdfRefPtr<CPdfStream>::Adopt(OpenAt(0));
  if (!window) {
    return;
  }
  CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(window.Get(), true)};
  // The two tokens before the current one, for "num gen obj".
  PdfToken before[2];
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
    if (t.Is(PdfKeyword::kObj) && before[0].kind == PdfTokenKind::kNumber &&
        before[1].kind == PdfTokenKind::kNumber) {
      int32_t n = 0;
      int32_t g = 0;
      if (ReadIndexNumber(before[0], &n) && ReadIndexNumber(before[1], &g)) {
        headers_.push_back(HeaderSpot{n, g, static_cast<int64_t>(before[0].begin)});
      }
    } else if (t.Is(PdfKeyword::kStream) && before[1].kind == PdfTokenKind::kDictClose) {
      // A body may hold any bytes; it ends at the first "endstream".
      lexer.SkipPast("endstream");
      t = PdfToken{PdfTokenKind::kKeyword, PdfKeyword::kEndstream, t.end, window->Tell()};
    }
    before[0] = before[1];
    before[1] = t;
  }
  // Sorted by number and generation; equal ones keep their order in the file.
  std::stable_sort(headers_.begin(), headers_.end(), [](const HeaderSpot& a, const HeaderSpot& b) {
    return a.num != b.num ? a.num < b.num : a.gen < b.gen;
  });
}

bool CPdfXRef::ReadIndexNumber(const PdfToken& token, int32_t* value) {
  // A header's numbers are short; anything longer is no object number or generation.
  constexpr uint64_t kLongest = 12;
  if (token.end - token.begin > kLongest) {
    return false;
  }
  const CPdfRefPtr<CPdfStream> window =
      CPdfRefPtr<CPdfStream>::Adopt(OpenAt(static_cast<int64_t>(token.begin)));
  if (!window) {
    return false;
  }
  uint8_t bytes[kLongest];
  const size_t length = static_cast<size_t>(token.end - token.begin);
  for (size_t i = 0; i < length; ++i) {
    const int c = window->NextByte();
    if (c < 0) {
      return false;
    }
    bytes[i] = static_cast<uint8_t>(c);
  }
  const PdfNumber n = ParsePdfNumber(bytes, length);
  if (!n.integer || n.value < 0 || n.value > INT32_MAX) {
    return false;
  }
  *value = static_cast<int32_t>(n.value);
  return true;
}
