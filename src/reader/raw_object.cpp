#include "reader/raw_object.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/pdf_messages.h"
#include "streams/cpdf_input_file.h"

namespace {

// The input file from a position up to where the next object the reader knows starts (or the
// file ends), read in growing pieces that are kept while the object is short, so that its keys
// and short values are read back from memory.
class FileBytes {
 public:
  FileBytes(CPdfInputFile* file, CPdfXRef* reader, uint64_t start)
      : file_(file), reader_(reader), base_(start) {
    const int64_t next = reader->NextEntryPosition(static_cast<int64_t>(start));
    final_ = next < 0;
    limit_ = static_cast<uint64_t>(final_ ? file->Size() : next);
  }

  // Moved, never copied: the read position points into the buffer.
  FileBytes(FileBytes&&) = default;
  FileBytes& operator=(FileBytes&&) = default;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() = default;

  // The buffer never holds bytes past the limit, so only a refill looks at it. Every byte of
  // an object goes through these, so they compare one pointer.
  int Next() { return at_ < end_ ? *at_++ : Refill(true); }
  int Peek() { return at_ < end_ ? *at_ : Refill(false); }
  // Whether the bytes before position are the object's to read. A place an entry names is
  // looked at only when the object's bytes get there: an object that ends before its
  // neighbour's entry costs no read of it.
  bool Reaches(uint64_t position) {
    while (limit_ < position && !final_) {
      const int64_t header = reader_->HeaderAtEntry(static_cast<int64_t>(limit_));
      if (header >= 0) {
        limit_ = static_cast<uint64_t>(header);
        final_ = true;
      } else {
        const int64_t next = reader_->NextEntryPosition(static_cast<int64_t>(limit_));
        final_ = next < 0;
        limit_ = static_cast<uint64_t>(final_ ? file_->Size() : next);
      }
    }
    return position <= limit_;
  }
  uint64_t Tell() const { return base_ + static_cast<uint64_t>(at_ - buffer_.data()); }
  void Seek(uint64_t position) {
    if (position >= base_ && position <= base_ + buffer_.size()) {
      at_ = buffer_.data() + (position - base_);
    } else {
      base_ = position;
      buffer_.clear();
      at_ = end_ = buffer_.data();
    }
  }
  // The bytes [begin, end) of the file, from memory when they are still held, else read into
  // scratch; empty when they are more than kMaxSmallValue.
  std::string_view Small(uint64_t begin, uint64_t end, std::string* scratch) const {
    if (end <= begin || end - begin > kMaxSmallValue) {
      return {};
    }
    const size_t length = static_cast<size_t>(end - begin);
    if (begin >= base_ && end <= base_ + buffer_.size()) {
      return {reinterpret_cast<const char*>(buffer_.data() + (begin - base_)), length};
    }
    scratch->resize(length);
    scratch->resize(file_->ReadAt(static_cast<int64_t>(begin),
                                  reinterpret_cast<uint8_t*>(scratch->data()), length));
    return *scratch;
  }

  // A key or a /Length value read back is no longer than this.
  static constexpr size_t kMaxSmallValue = 64;

 private:
  static constexpr size_t kFirstPiece = 1024;
  static constexpr size_t kLargestPiece = size_t{64} * 1024;

  // With every held byte read.
  int Refill(bool consume) {
    // Past the largest piece nothing more is kept: a long body is read through, not held.
    if (buffer_.size() >= kLargestPiece) {
      base_ += buffer_.size();
      buffer_.clear();
      at_ = end_ = buffer_.data();
    }
    const size_t held = buffer_.size();
    if (!Reaches(base_ + held + 1)) {
      return -1;
    }
    const size_t piece =
        static_cast<size_t>(std::min<uint64_t>(std::max(kFirstPiece, held), limit_ - base_ - held));
    buffer_.resize(held + piece);
    buffer_.resize(held +
                   file_->ReadAt(static_cast<int64_t>(base_ + held), buffer_.data() + held, piece));
    at_ = buffer_.data() + held;
    end_ = buffer_.data() + buffer_.size();
    if (at_ >= end_) {
      return -1;
    }
    return consume ? *at_++ : *at_;
  }

  CPdfInputFile* file_;
  CPdfXRef* reader_;
  uint64_t base_;
  uint64_t limit_ = 0;
  bool final_ = false;  // limit_ is an object's header or the end of the file
  std::vector<uint8_t> buffer_;
  // The next byte and the end of the held bytes, in buffer_.
  const uint8_t* at_ = nullptr;
  const uint8_t* end_ = nullptr;
};

using FileLexer = CPdfLexer<FileBytes>;

constexpr const char* kEndobjTail = "\nendobj\n";

// Whether t ends the object: its "endobj", or what comes after an object that has none.
enum class Ending { kNone, kEndobj, kMissing };
Ending EndingAt(const PdfToken& t, FileLexer& lexer) {
  if (t.Is(PdfKeyword::kEndobj)) {
    return Ending::kEndobj;
  }
  if (t.kind == PdfTokenKind::kEnd || t.Is(PdfKeyword::kXref) || t.Is(PdfKeyword::kTrailer) ||
      t.Is(PdfKeyword::kStartxref)) {
    return Ending::kMissing;
  }
  if (t.kind == PdfTokenKind::kNumber && lexer.Peek(0).kind == PdfTokenKind::kNumber &&
      lexer.Peek(1).Is(PdfKeyword::kObj)) {
    return Ending::kMissing;
  }
  return Ending::kNone;
}

// A /Length value: a non-negative integer, or a reference to one. -1 otherwise.
int64_t ReadLength(const std::string& value, CPdfXRef& reader) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(value.data());
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, value.size())};
  const PdfToken first = lexer.Next();
  if (first.kind != PdfTokenKind::kNumber) {
    return -1;
  }
  const PdfNumber n = ParsePdfNumber(bytes + first.begin, first.end - first.begin);
  const PdfToken second = lexer.Next();
  if (second.kind != PdfTokenKind::kNumber) {
    return n.integer && n.value >= 0 ? n.value : -1;
  }
  const PdfNumber g = ParsePdfNumber(bytes + second.begin, second.end - second.begin);
  if (!n.integer || !g.integer || n.value < 0 || n.value > INT32_MAX || g.value < 0 ||
      g.value > INT32_MAX) {
    return -1;
  }
  CPdfObject length;
  reader.GetObject(static_cast<int32_t>(n.value), static_cast<int32_t>(g.value), length);
  return length.IsKind(PDF_INT) && length.GetInt() >= 0 ? length.GetInt() : -1;
}

// Steps over a stream body after its "stream" keyword: by /Length when "endstream" stands
// there, else through the first "endstream" bytes. The end of "endstream", or 0 when the
// body has none. The body starts after the line end, as the parser reads it: after the first
// LF, or a CR and the LF after it.
uint64_t StepOverBody(FileLexer& lexer, int64_t length, bool* no_endstream) {
  FileBytes& bytes = lexer.GetSource();
  for (int c = bytes.Next(); c >= 0 && c != '\n'; c = bytes.Next()) {
    if (c == '\r') {
      if (bytes.Peek() == '\n') {
        bytes.Next();
      }
      break;
    }
  }
  const uint64_t data = bytes.Tell();
  // A /Length that runs past the next object's header is wrong.
  const bool fits = length >= 0 && bytes.Reaches(data + static_cast<uint64_t>(length));
  if (fits) {
    // Only white space and "endstream" are read there, never a token that could run on
    // (a string opened by a body's byte), so no byte of the body is read twice.
    bytes.Seek(data + static_cast<uint64_t>(length));
    while (PdfIsWhite(bytes.Peek())) {
      bytes.Next();
    }
    const char* keyword = "endstream";
    while (*keyword != '\0' && bytes.Peek() == static_cast<uint8_t>(*keyword)) {
      bytes.Next();
      ++keyword;
    }
    if (*keyword == '\0' && !PdfIsRegular(bytes.Peek())) {
      return bytes.Tell();
    }
  }
  bytes.Seek(data);
  if (lexer.SkipPast("endstream")) {
    return bytes.Tell();
  }
  // No "endstream" anywhere after the body: a /Length that fits the file is all that tells
  // where it ends.
  *no_endstream = fits;
  if (fits) {
    bytes.Seek(data + static_cast<uint64_t>(length));
    return bytes.Tell();
  }
  return 0;
}

}  // namespace

std::vector<uint8_t> ExtractObject(CPdfInputFile& file,
                                   int32_t num,
                                   CPdfXRef& reader,
                                   const CPdfXRefTable& table,
                                   RawObjectInfo* info) {
  std::vector<uint8_t> out;
  const XRefEntry* found = table.Find(num);
  if (!found || found->type == 0) {
    return out;
  }
  const uint8_t* slice = nullptr;
  size_t length = 0;
  // A member its stream cannot give may stand in the file under its own header: it is copied
  // from there, as a direct object is.
  if (found->type == 2 && reader.GetObjectStreamBytes(num, &slice, &length)) {
    // The member's value alone: whatever its last byte (a "%", an open "(", a "/"), the
    // "endobj" written after it stays a token of its own.
    CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(slice, length)};
    const PdfToken first = lexer.Next();
    if (first.kind == PdfTokenKind::kEnd) {
      return out;
    }
    // A dictionary's entries, with the /Rotate spots noted on the way, end where stepping
    // over it ends when every key is a name and ">>" closes it; else it is stepped over anew.
    PdfToken last = first;
    bool stepped = false;
    bool whole = true;
    if (info && first.kind == PdfTokenKind::kDictOpen) {
      info->rotate.NoteOpen(first.end, lexer);
      PdfDictEntry entry;
      while (lexer.NextDictEntry(&entry, &last)) {
        if (PdfNameIs(slice + entry.key.begin + 1, entry.key.end - entry.key.begin - 1, "Rotate")) {
          info->rotate.NoteRotate(entry, lexer);
        }
      }
      stepped = entry.passed_over == 0 && last.kind == PdfTokenKind::kDictClose;
    }
    if (!stepped) {
      if (info) {
        info->rotate = PdfRotateSpots();
      }
      lexer = CPdfLexer<PdfSpanSource>{PdfSpanSource(slice, length)};
      last = lexer.StepOverValue(lexer.Next(), &whole);
    }
    // A string or container the member's bytes end inside: in its stream it ends where the
    // stream does, but framed as an object of the file it would take the "endobj" written
    // after it and the objects after that.
    if (!whole) {
      throw CPdfException(kMsgDamaged);
    }
    const size_t end = static_cast<size_t>(last.end);
    const std::string head = std::to_string(num) + " 0 obj\r";
    out.reserve(head.size() + end + 8);
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), slice, slice + end);
    out.insert(out.end(), kEndobjTail, kEndobjTail + std::char_traits<char>::length(kEndobjTail));
    if (info) {
      info->compressed = true;
      info->rotate.Shift(static_cast<int64_t>(head.size()));
    }
    return out;
  }
  const RawSpan span = LocateDirectObject(file, num, reader, table, info ? &info->rotate : nullptr);
  if (span.length == 0) {
    return out;
  }
  const size_t tail = std::char_traits<char>::length(span.tail);
  out.resize(static_cast<size_t>(span.length));
  out.resize(file.ReadAt(span.start, out.data(), out.size()));
  out.insert(out.end(), span.tail, span.tail + tail);
  if (info) {
    info->generation = span.generation;
    info->rotate.Shift(-span.start);
  }
  return out;
}

RawSpan LocateDirectObject(CPdfInputFile& file,
                           int32_t num,
                           CPdfXRef& reader,
                           const CPdfXRefTable& table,
                           PdfRotateSpots* rotate) {
  RawSpan span;
  const XRefEntry* found = table.Find(num);
  if (!found || found->type == 0) {
    return span;
  }
  // Where the entry leads, or else where the reader's index of headers finds the object: with
  // the entry's generation, or else under the generation its own header gives it. An object
  // stream's member is looked for by its header alone.
  const bool direct = found->type == 1;
  span.generation = direct ? found->generation : 0;
  const int64_t at =
      !direct || found->offset < 0 ? -1 : reader.GetHeaderOffset() + int64_t{found->offset};
  // No object runs past the next one the reader knows, or past the end of the file.
  const auto bytes_from = [&](int64_t from) {
    return FileBytes(&file, &reader, static_cast<uint64_t>(from));
  };
  FileLexer lexer{bytes_from(std::max<int64_t>(at, 0))};
  FileBytes& bytes = lexer.GetSource();
  // The copy starts at the header's first byte, after any white space the offset leads to.
  uint64_t start = 0;
  if (at < 0 || !LexObjectHeader(lexer, num, span.generation, &start)) {
    int64_t elsewhere = reader.FindObjectByHeader(num, span.generation);
    if (elsewhere < 0) {
      elsewhere = reader.FindObjectByHeader(num, -1, &span.generation);
    }
    if (elsewhere < 0) {
      return span;
    }
    lexer = FileLexer{bytes_from(elsewhere)};
    if (!LexObjectHeader(lexer, num, span.generation, &start)) {
      return span;
    }
  }
  uint64_t value_end = bytes.Tell();
  bool no_endstream = false;
  PdfToken t = lexer.Next();
  Ending ending = EndingAt(t, lexer);
  if (ending == Ending::kNone && t.kind == PdfTokenKind::kDictOpen) {
    // A dictionary may be a stream's: its first /Length is noted on the way.
    std::string length_value;
    bool have_length = false;
    std::string scratch;
    PdfDictEntry entry;
    PdfToken close;
    if (rotate) {
      rotate->NoteOpen(t.end, lexer);
    }
    while (lexer.NextDictEntry(&entry, &close)) {
      const std::string_view key = bytes.Small(entry.key.begin + 1, entry.key.end, &scratch);
      const auto* key_bytes = reinterpret_cast<const uint8_t*>(key.data());
      if (!have_length && PdfNameIs(key_bytes, key.size(), "Length")) {
        have_length = true;
        length_value = bytes.Small(entry.value_begin, entry.value_end, &scratch);
      } else if (rotate && PdfNameIs(key_bytes, key.size(), "Rotate")) {
        rotate->NoteRotate(entry, lexer);
      } else if (rotate && entry.key.end - entry.key.begin - 1 > FileBytes::kMaxSmallValue) {
        // A long key (escapes, a zero byte) is not read back here: the patch reads it.
        rotate->has_dict = false;
      }
    }
    value_end = close.kind == PdfTokenKind::kEnd ? close.begin : close.end;
    if (close.kind == PdfTokenKind::kDictClose && lexer.Peek(0).Is(PdfKeyword::kStream)) {
      lexer.Next();
      value_end = StepOverBody(lexer, ReadLength(length_value, reader), &no_endstream);
      if (value_end == 0) {
        // Neither "endstream" nor a usable /Length: no reader can tell where the body ends.
        return span;
      }
    }
    t = lexer.Next();
    ending = EndingAt(t, lexer);
  } else if (ending == Ending::kNone) {
    value_end = lexer.StepOverValue(t).end;
    t = lexer.Next();
    ending = EndingAt(t, lexer);
  }
  // Tokens between the value and "endobj" stay with the object, as they stand in the input.
  while (ending == Ending::kNone) {
    t = lexer.Next();
    ending = EndingAt(t, lexer);
  }
  // A string still open where the next object begins (or the file ends): no framing keeps
  // its bytes and the object after it apart, and readers take neither for what it was.
  if (lexer.RanOutInString()) {
    throw CPdfException(kMsgDamaged);
  }
  span.start = static_cast<int64_t>(start);
  if (ending == Ending::kMissing || no_endstream) {
    span.length = static_cast<int64_t>(value_end - start);
    span.tail = no_endstream ? "\nendstream\nendobj\n" : kEndobjTail;
    return span;
  }
  // "endobj" and the line end after it, which the next object follows.
  uint64_t end = t.end;
  const int c = bytes.Next();
  if (c == '\r') {
    end += bytes.Peek() == '\n' ? 2 : 1;
  } else if (c == '\n' || c == ' ' || c == '\t' || c == '\f' || c == 0) {
    end += 1;
  } else {
    span.tail = "\n";
  }
  span.length = static_cast<int64_t>(end - start);
  return span;
}
