#include "reader/cpdf_object_map.h"

#include <algorithm>
#include <memory>

#include "streams/cpdf_input_file.h"
#include "streams/pdf_span_source.h"

namespace {

constexpr char kEndstream[] = "endstream";

}  // namespace

void CPdfObjectMap::Build(CPdfInputFile* file,
                          PdfOffset header_offset,
                          const CPdfXRefTable& table,
                          const LengthOf& length_of,
                          CPdfNotesObserver* observer) {
  file_ = file;
  observer_ = observer;
  table_ = &table;
  header_offset_ = header_offset;
  size_ = static_cast<uint64_t>(file->Size());
  probe_ = CPdfHeaderProbe(file);
  if (rebuild_) {
    line_headers_ = std::make_unique<CPdfLineHeaders>(file);
  }
  read_again_ = 0;
  ends_at_line_headers_ = false;
  body_finder_.Start(file, length_of);
  places_.List(table, header_offset, size_);
  // Mostly one object per entry; objects take at least seven bytes each.
  const auto expected = static_cast<size_t>(std::min<uint64_t>(table.Count(), size_ / 7));
  objects_.reserve(expected);
  flags_.reserve(expected);
  Pass();
  AdoptStrayEntries();
  body_finder_.Finish();
  // Only the pass asks where entries lead: the copy holds what the objects need.
  places_.Release();
  built_ = true;
}

void CPdfObjectMap::Pass() {
  Lexer lexer{PdfFileSource(file_, header_offset_)};
  lexer.SetBetweenObjects(true);
  // The two tokens before the current one, for "num gen obj".
  PdfToken before[2];
  // A stream whose body ended at the first "endstream" that "endobj" follows, and how many
  // tokens came after it: one that the next header or a keyword of the file's structure does
  // not follow at once may go on past there (the keywords stand in its data).
  size_t searched = SIZE_MAX;
  int since = 0;
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
    const bool header = t.Is(PdfKeyword::kObj) && before[0].IsCount() && before[1].IsCount() &&
                        (!rebuild_ || SetApart(before, t));
    if (searched != SIZE_MAX) {
      if ((header && since == 2) ||
          (since == 0 && (t.Is(PdfKeyword::kXref) || t.Is(PdfKeyword::kTrailer) ||
                          t.Is(PdfKeyword::kStartxref)))) {
        searched = SIZE_MAX;
      } else if (since == 0 && t.Is(PdfKeyword::kEndobj)) {
        // The "endobj" of a body that only its /Length ends, which the copy writes itself.
      } else if (++since > 2) {
        flags_[searched] |= kDamaged;
        searched = SIZE_MAX;
      }
    }
    if (header) {
      const size_t index = objects_.size();
      ScanObject(lexer, before[0].value, before[1].value, before[0].begin);
      if ((flags_[index] & kSearched) != 0) {
        searched = index;
        since = 0;
      }
      if (rebuild_) {
        EndAtLineHeader(lexer, index);
      }
      before[0] = before[1] = PdfToken{};
      continue;
    }
    if (t.Is(PdfKeyword::kXref) && lexer.QueueEmpty()) {
      // A classic table's lines hold no header: stepped over byte by byte, not lexed. Digits,
      // white space and the letters n and f: no "obj" can hide in them.
      lexer.GetSource().SkipWhile([](uint8_t c) {
        return (c >= '0' && c <= '9') || c == 'n' || c == 'f' || kPdfChars.cls[c] == kPdfWhite;
      });
      before[0] = before[1] = PdfToken{};
      continue;
    }
    if (rebuild_ && t.Is(PdfKeyword::kTrailer)) {
      trailers_.push_back(t.end);
    }
    if (t.Is(PdfKeyword::kStream) && before[1].kind == PdfTokenKind::kDictClose &&
        lexer.QueueEmpty()) {
      // A body outside any object (its header is damaged): its bytes are no headers. In a
      // rebuild, one without "endstream" ends at the next header that begins a line.
      if (rebuild_) {
        lexer.GetSource().SetLimit(line_headers_->After(t.end));
      }
      lexer.SkipPast(kEndstream);
      lexer.GetSource().SetLimit(UINT64_MAX);
      before[0] = before[1] = PdfToken{};
      continue;
    }
    before[0] = before[1];
    before[1] = t;
  }
}

bool CPdfObjectMap::IsCurrent(int32_t num, int32_t gen, uint64_t start) const {
  const XRefEntry* entry = table_->Find(num);
  if (!entry || entry->type != XRefEntry::kInFile || entry->generation != gen ||
      entry->offset < 0) {
    return false;
  }
  const uint64_t at = header_offset_ + static_cast<uint64_t>(entry->offset);
  return at <= start && start - at <= CPdfHeaderProbe::kWindow;
}

void CPdfObjectMap::ScanObject(Lexer& lexer, int32_t num, int32_t gen, uint64_t start) {
  lexer.SetBetweenObjects(false);
  lexer.ClearRanOutInString();
  Scan scan;
  scan.start = start;
  scan.index = objects_.size();
  objects_.push_back(Object{start, 0, num, gen});
  flags_.push_back(0);
  // The next object an entry leads to. An object that its own entry leads to is read whole,
  // whatever entry leads inside it; any other (an older definition, one no entry names) ends
  // there at the latest: it cannot take the objects the table names.
  scan.current = IsCurrent(num, gen, start);
  if (!scan.current) {
    lexer.GetSource().SetLimit(NextTrustedOf(&scan));
  }
  uint8_t flags = 0;
  int64_t value_end = static_cast<int64_t>(lexer.GetSource().Tell());
  if (!lexer.AtObjectEnd()) {
    const PdfToken first = lexer.Next();
    if (first.kind == PdfTokenKind::kDictOpen) {
      value_end = ScanDictionary(lexer, first, &scan, &flags);
    } else {
      bool whole = true;
      value_end = static_cast<int64_t>(lexer.StepOverValue(first, &whole).end);
      // A container left open is damage, never an end (ScanDictionary).
      if (!whole) {
        flags |= kDamaged;
      }
    }
  } else {
    flags |= kNoValue;
  }
  ScanTail(lexer, value_end, flags, &scan);
  lexer.SetBetweenObjects(true);
}

int64_t CPdfObjectMap::ScanDictionary(Lexer& lexer,
                                      const PdfToken& open,
                                      Scan* scan,
                                      uint8_t* flags) {
  // A dictionary may be a stream's: its first /Length is noted on the way. The observer keeps
  // what the walk and the patch read of it, which then need not parse it again.
  PdfFileSource& source = lexer.GetSource();
  const PdfToken close = notes_.Take(
      lexer, open.end, [&source](uint64_t b, uint64_t e) { return source.View(b, e); },
      [this, &lexer](const PdfToken& key) { return body_finder_.IsLengthKey(lexer, key); });
  const bool stream = close.kind != PdfTokenKind::kEnd && lexer.Peek(0).Is(PdfKeyword::kStream);
  if (observer_) {
    observer_->Noted(CPdfObjectPlace::InFile(scan->start), notes_, stream);
  }
  if (close.kind == PdfTokenKind::kEnd) {
    // A dictionary that a keyword of the file's structure, the next header or the end leaves
    // open: what follows may be its own keys (a string's stray ")" leaves "trailer" bare), so
    // no end cut here is sound.
    *flags |= kDamaged;
    return static_cast<int64_t>(close.begin);
  }
  if (!stream) {
    return static_cast<int64_t>(close.end);
  }
  lexer.Next();
  if (notes_.LengthsDiffer()) {
    *flags |= kDamaged;
  }
  const int64_t end =
      ScanBody(lexer, notes_.Length(), scan->index, scan->current ? size_ : NextTrustedOf(scan));
  if ((flags_[scan->index] & kTailBits) == static_cast<uint8_t>(Tail::kEndstream)) {
    *flags |= static_cast<uint8_t>(Tail::kEndstream);
  }
  if (end < 0) {
    *flags |= kDamaged;
    return static_cast<int64_t>(source.Tell());
  }
  return end;
}

void CPdfObjectMap::ScanTail(Lexer& lexer, int64_t value_end, uint8_t flags, Scan* scan) {
  PdfFileSource& source = lexer.GetSource();
  // Tokens between the value and "endobj" stay with the object, as they stand in the input;
  // one that runs over the next object an entry leads to ("endobj" and a header run together)
  // ends the object there.
  bool cut = false;
  while (!lexer.AtObjectEnd()) {
    const PdfToken t = lexer.Next();
    if (t.end - t.begin > 1 && t.kind != PdfTokenKind::kLiteralString &&
        t.kind != PdfTokenKind::kHexString && t.begin < NextTrustedOf(scan) && scan->next < t.end) {
      cut = true;
      break;
    }
  }
  if (lexer.RanOutInString()) {
    flags |= kDamaged;
  }
  uint64_t end = static_cast<uint64_t>(value_end);
  uint64_t resume = 0;  // where the pass goes on, when not where the lexer stands
  if (cut) {
    flags |= static_cast<uint8_t>(Tail::kEndobj);
    resume = NextTrustedOf(scan);
  } else if ((flags & kTailBits) == 0) {
    if (lexer.Peek(0).Is(PdfKeyword::kEndobj)) {
      // "endobj" and the line end after it, which the next object follows.
      end = lexer.Next().end;
      const int c = lexer.QueueEmpty() ? source.Peek() : -1;
      if (c == '\r') {
        source.Next();
        end += source.Peek() == '\n' ? 2 : 1;
      } else if (c == '\n' || c == ' ' || c == '\t' || c == '\f' || c == 0) {
        source.Next();
        end += 1;
      } else {
        flags |= static_cast<uint8_t>(Tail::kLineFeed);
      }
    } else {
      flags |= static_cast<uint8_t>(Tail::kEndobj);
      resume = lexer.Peek(0).begin;
    }
  }
  if (!scan->current) {
    source.SetLimit(UINT64_MAX);
  }
  // Tokens lexed ahead within the limit (an end that is only the limit) are read again.
  if (cut || (!scan->current && !lexer.QueueEmpty())) {
    lexer.DropQueue();
    source.Seek(resume > 0 ? resume : source.Tell());
  }
  objects_[scan->index].length = end - scan->start;
  flags_[scan->index] =
      static_cast<uint8_t>((flags_[scan->index] & (kHasBody | kSearched)) | flags);
}

uint64_t CPdfObjectMap::NextTrustedOf(Scan* scan) {
  if (scan->next == UINT64_MAX) {
    scan->next = NextTrusted(scan->start);
  }
  return scan->next;
}

int64_t CPdfObjectMap::ScanBody(Lexer& lexer,
                                const PdfDictEntry* length,
                                size_t object,
                                uint64_t limit) {
  CPdfStreamBodyFinder::Body body;
  int64_t end = body_finder_.ByLength(lexer, length, limit, &body);
  if (end < 0) {
    // No /Length tells: the body ends at the first "endstream", and never past the next object
    // that an entry leads to, nor in a rebuild past a header that begins a line.
    flags_[object] |= kSearched;
    uint64_t before = std::min<uint64_t>(limit, NextTrusted(body.start));
    if (rebuild_) {
      before = std::min(before, line_headers_->After(body.start));
    }
    end = body_finder_.BySearch(lexer, before, &body);
  }
  if (end < 0) {
    return -1;
  }
  bodies_.Add(objects_[object].start, body.start, body.length);
  flags_[object] |= kHasBody;
  if (body.bare) {
    flags_[object] |= static_cast<uint8_t>(Tail::kEndstream);
  }
  return end;
}

uint64_t CPdfObjectMap::NextTrusted(uint64_t from) {
  const uint64_t next = places_.Next(from, [this](const CPdfEntryPlaces::Place& place) {
    const CPdfXRefTable::Item& item = table_->begin()[place.entry];
    return probe_.Is(place.position, item.num, item.entry.generation);
  });
  return ends_at_line_headers_ ? std::min(next, line_headers_->After(from)) : next;
}

bool CPdfObjectMap::BodyOf(size_t index, PdfOffset* start, PdfOffset* length) const {
  return (flags_[index] & kHasBody) != 0 && bodies_.Find(objects_[index].start, start, length);
}
