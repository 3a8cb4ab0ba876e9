// The pass's rules for a table rebuilt from the scan (CPdfObjectMap::ForRebuild), where no
// entry tells where objects stand: headers as readers that rebuild a table take them, and no
// object that never ends takes the objects after it.
#include "objects/pdf_char_class.h"
#include "reader/cpdf_object_map.h"
#include "streams/cpdf_input_file.h"

bool CPdfObjectMap::SetApart(const PdfToken before[2], const PdfToken& t) const {
  // "3 0obj" and ")3 0 obj": readers that rebuild a table pass over them. A number runs into
  // no regular byte before it, so only a delimiter can.
  uint8_t c = 0;
  return t.begin > before[1].end &&
         (before[0].begin == 0 ||
          file_->ReadAt(static_cast<int64_t>(before[0].begin - 1), &c, 1) != 1 ||
          kPdfChars.cls[c] == kPdfWhite);
}

void CPdfObjectMap::EndAtLineHeader(Lexer& lexer, size_t index) {
  PdfFileSource& source = lexer.GetSource();
  const Object& object = objects_[index];
  const bool damaged = (flags_[index] & kDamaged) != 0;
  const uint64_t next = line_headers_->After(object.start);
  if (next >= (damaged ? source.Tell() : object.start + object.length) ||
      (!damaged && InData(index, next))) {
    return;
  }
  // A damaged object ends there; a whole one holds the header in a string (its text, or one a
  // stray "(" opened and a stray ")" closed) and stays whole, and the header counts as well,
  // as readers that rebuild a table by lines take it.
  if (damaged) {
    objects_[index].length = next - object.start;
  }
  // Hostile files could make every object run to the end: the bytes read twice stay within
  // the file's size and once more.
  read_again_ += source.Tell() - next;
  if (read_again_ > size_) {
    ends_at_line_headers_ = true;
  }
  lexer.DropQueue();
  source.Seek(next);
}

bool CPdfObjectMap::InData(size_t index, uint64_t position) const {
  PdfOffset data = 0;
  PdfOffset length = 0;
  return BodyOf(index, &data, &length) && position >= data && position < data + length;
}
