#include "reader/cpdf_xref.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/cpdf_string.h"
#include "objects/pdf_char_class.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_objstm.h"
#include "streams/cpdf_stream.h"
#include "streams/pdf_stream_source.h"

namespace {

constexpr int kStartXRefWindow = 1023;

// A table line in its usual shape, "oooooooooo ggggg n" with a white byte after it, read
// straight from the bytes the source holds: what the lexer's three tokens would give, without
// lexing them. False, with nothing read but white space, for any other shape.
bool ReadUsualLine(PdfStreamSource& source, int64_t* offset, int64_t* generation, bool* in_use) {
  const uint8_t* p;
  const uint8_t* e;
  source.Window(&p, &e);
  while (p < e && kPdfChars.cls[*p] == kPdfWhite) {
    ++p;
  }
  source.Advance(p);
  constexpr ptrdiff_t kLine = 19;
  if (e - p < kLine || p[10] != ' ' || p[16] != ' ' || (p[17] != 'n' && p[17] != 'f') ||
      kPdfChars.cls[p[18]] != kPdfWhite) {
    return false;
  }
  const auto digits = [p](int from, int to, int64_t* value) {
    *value = 0;
    for (int k = from; k < to; ++k) {
      if (p[k] < '0' || p[k] > '9') {
        return false;
      }
      *value = *value * 10 + (p[k] - '0');
    }
    return true;
  };
  if (!digits(0, 10, offset) || !digits(11, 16, generation)) {
    return false;
  }
  *in_use = p[17] == 'n';
  source.Advance(p + 18);
  return true;
}

// The lexer of a classic table's lines.
using TableLexer = CPdfLexer<PdfStreamSource>;

// The next token, its text (when it keeps one) in *text.
PdfToken NextToken(TableLexer& lexer, std::string* text) {
  text->clear();
  return lexer.Next(text);
}

// Whether t, whose text is text, is an integer; its value in *value.
bool TokenInteger(const PdfToken& t, const std::string& text, int64_t* value) {
  if (t.kind != PdfTokenKind::kNumber) {
    return false;
  }
  if (t.int32) {
    *value = t.value;
    return true;
  }
  const PdfNumber n = ParsePdfNumber(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  *value = n.value;
  return n.integer;
}

bool NextInteger(TableLexer& lexer, std::string* text, int64_t* value) {
  const PdfToken t = NextToken(lexer, text);
  return TokenInteger(t, *text, value);
}

// One line of a subsection, in its usual shape or token by token; refused when it is neither.
XRefEntry ReadTableLine(TableLexer& lexer, std::string* text) {
  int64_t offset = 0;
  int64_t generation = 0;
  bool in_use = false;
  if (!ReadUsualLine(lexer.GetSource(), &offset, &generation, &in_use)) {
    if (!NextInteger(lexer, text, &offset) || !NextInteger(lexer, text, &generation)) {
      throw CPdfException(kMsgXRefTable);
    }
    const PdfToken t = NextToken(lexer, text);
    in_use = t.Is(PdfKeyword::kN);
    if (!in_use && !t.Is(PdfKeyword::kF)) {
      throw CPdfException(kMsgXRefTable);
    }
  }
  // Held at its ends rather than wrapped: such an offset leads to no header, and the object is
  // then looked for by its header.
  return XRefEntry{std::clamp<int64_t>(offset, INT32_MIN, XRefEntry::kPastAnyFile),
                   static_cast<int32_t>(std::clamp<int64_t>(generation, INT32_MIN, INT32_MAX)),
                   in_use ? XRefEntry::kInFile : XRefEntry::kFree};
}

// The count lines of a subsection.
std::vector<XRefEntry> ReadSubsectionLines(TableLexer& lexer, std::string* text, int64_t count) {
  std::vector<XRefEntry> lines;
  lines.reserve(static_cast<size_t>(std::min<int64_t>(count, 4096)));
  for (int64_t i = 0; i < count; ++i) {
    lines.push_back(ReadTableLine(lexer, text));
  }
  return lines;
}

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
    // Digits past any file's size are not read on: such an offset leads nowhere.
    int64_t value = 0;
    while (*p >= '0' && *p <= '9' && value <= XRefEntry::kPastAnyFile / 10) {
      value = value * 10 + (*p++ - '0');
    }
    return negative ? -value : value;
  }
  return 0;
}

}  // namespace

// /Prev as an integer or, leniently, the number of a reference; 0 names no section (every
// reader takes it so), nor does a missing /Prev.
bool CPdfXRef::ReadPrevOf(const CPdfDictionary& dict, int64_t* prev) {
  CPdfObject value;
  dict.LookupRaw("Prev", value);
  if (value.IsKind(PDF_INT)) {
    *prev = value.GetInt();
  } else if (value.IsKind(PDF_REF)) {
    read_around_ = true;
    *prev = value.GetRefNum();
  } else {
    read_around_ = read_around_ || !value.IsKind(PDF_NULL);
    return false;
  }
  return *prev != 0;
}

CPdfXRef::CPdfXRef() = default;

CPdfXRef::~CPdfXRef() = default;

void CPdfXRef::Load(CPdfStream* stream) {
  stream_ = stream;
  header_offset_ = stream->GetStartOffset();
  // The whole-file stream has no length of its own (0: unbounded); its end is the file's.
  stream->Seek(0, 2);
  file_size_ = stream->Tell();
  int64_t offset = FindStartXRef(stream);
  if (offset == 0) {
    throw CPdfException(kMsgDamaged);
  }
  trailer_section_ = offset;
  int64_t prev = 0;
  // A section already read ends the chain, so /Prev loops cannot repeat it.
  while (ReadSection(offset, &prev)) {
    if (visited_sections_.count(prev) != 0) {
      read_around_ = true;
      break;
    }
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
}

void CPdfXRef::Adopt(CPdfStream* stream, CPdfXRefTable table) {
  stream_ = stream;
  header_offset_ = stream->GetStartOffset();
  table_ = std::move(table);
}

void CPdfXRef::AdoptTrailer(const CPdfObject& trailer, int64_t trailer_at) {
  trailer_.Assign(trailer);
  trailer_dict_at_ = trailer_at;
  CPdfObject root;
  trailer_.GetDict()->LookupRaw("Root", root);
  root_num_ = root.GetRefNum();
  root_gen_ = root.GetRefGen();
}

int64_t CPdfXRef::GetTrailerPosition() const {
  return trailer_dict_at_ >= 0 ? trailer_dict_at_
                               : static_cast<int64_t>(header_offset_) + trailer_section_;
}

bool CPdfXRef::HeaderAt(int64_t offset, int32_t num, int32_t gen) {
  // A few bytes only: an offset that leads into a string must not make this read it whole.
  const CPdfRefPtr<CPdfStream> window = CPdfRefPtr<CPdfStream>::Adopt(
      offset < 0 ? nullptr : OpenAt(header_offset_ + offset, header_offset_ + offset + 64));
  if (!window) {
    return false;
  }
  CPdfLexer<PdfStreamSource> lexer{
      PdfStreamSource(window.Get(), PdfStreamSource::Positions::kZero)};
  return LexObjectHeader(lexer, num, gen);
}

bool CPdfXRef::StartsOneLow(int32_t first, const std::vector<XRefEntry>& lines) {
  if (first != 1 || lines.empty() || lines[0].type != XRefEntry::kFree || lines[0].offset != 0 ||
      lines[0].generation != 65535) {
    return false;
  }
  // The first few objects in use decide: each must stand under the lower number, none under
  // the number the subsection gives it.
  int looked = 0;
  for (size_t k = 1; k < lines.size() && looked < 3; ++k) {
    if (lines[k].type != XRefEntry::kInFile) {
      continue;
    }
    ++looked;
    const int32_t given = first + static_cast<int32_t>(k);
    if (HeaderAt(lines[k].offset, given, lines[k].generation) ||
        !HeaderAt(lines[k].offset, given - 1, lines[k].generation)) {
      return false;
    }
  }
  return looked > 0;
}

CPdfStream* CPdfXRef::OpenWindow(int64_t offset) {
  // /Prev and /XRefStm are read as 64-bit integers: one past any file leads nowhere.
  return offset < 0 || offset > XRefEntry::kPastAnyFile
             ? nullptr
             : OpenAt(static_cast<int64_t>(header_offset_) + offset);
}

CPdfStream* CPdfXRef::OpenAt(int64_t start, int64_t end) {
  if (start < 0) {
    return nullptr;
  }
  // A length of 0 runs to the end of the file.
  const int64_t length = end > start ? end - start : 0;
  return stream_->CreateSubStream(static_cast<PdfOffset>(start), static_cast<PdfOffset>(length));
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
      parser.SetFilterChoice(FilterChoice::kStructure);
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
  TableLexer lexer{PdfStreamSource(window, PdfStreamSource::Positions::kTold)};
  std::string text;
  for (;;) {
    const PdfToken t = NextToken(lexer, &text);
    if (t.Is(PdfKeyword::kTrailer)) {
      return ReadTableTrailer(parser, t.end, prev);
    }
    int64_t first = 0;
    int64_t count = 0;
    if (!TokenInteger(t, text, &first) || !NextInteger(lexer, &text, &count)) {
      throw CPdfException(kMsgXRefTable);
    }
    // Negative numbers and tables past the format's limit are refused before anything grows.
    if (first < 0 || count < 0 || first > kMaxObjects || first + count > kMaxObjects) {
      throw CPdfException(kMsgXRefTable);
    }
    AddSubsection(static_cast<int32_t>(first), ReadSubsectionLines(lexer, &text, count));
  }
}

void CPdfXRef::AddSubsection(int32_t first, const std::vector<XRefEntry>& lines) {
  if (StartsOneLow(first, lines)) {
    read_around_ = true;
    --first;
  }
  for (size_t k = 0; k < lines.size(); ++k) {
    const int32_t n = first + static_cast<int32_t>(k);
    if (lines[k].type == XRefEntry::kInFile) {
      table_.Add(n, lines[k]);
    } else {
      section_free_.emplace_back(n, lines[k]);
    }
  }
}

bool CPdfXRef::ReadTableTrailer(CPdfParser& parser, uint64_t dict_at, int64_t* prev) {
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
    read_around_ = read_around_ || !xref_stm.IsKind(PDF_NULL);
    return;
  }
  std::vector<std::pair<int32_t, XRefEntry>> table_free;
  table_free.swap(section_free_);
  int64_t ignored = 0;
  ReadSection(xref_stm.GetInt(), &ignored);
  section_free_.swap(table_free);
}
