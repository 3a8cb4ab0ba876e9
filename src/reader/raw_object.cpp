#include "reader/raw_object.h"

#include <string>

#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "streams/cpdf_input_file.h"
#include "streams/pdf_span_source.h"

namespace {

constexpr const char* kEndobjTail = "\nendobj\n";

const char* TailText(CPdfObjectMap::Tail tail) {
  switch (tail) {
    case CPdfObjectMap::Tail::kNone:
      return "";
    case CPdfObjectMap::Tail::kLineFeed:
      return "\n";
    case CPdfObjectMap::Tail::kEndobj:
      return kEndobjTail;
    case CPdfObjectMap::Tail::kEndstream:
      return "\nendstream\nendobj\n";
  }
  return "";
}

bool MapSpots(CPdfFetcher& fetcher, int64_t index, RotateSpots* spots) {
  return index >= 0 && fetcher.GetMap().RotateSpotsOf(static_cast<size_t>(index), spots);
}

}  // namespace

RawSpan LocateDirectObject(CPdfFetcher& fetcher, int32_t num) {
  RawSpan span;
  const int64_t index = fetcher.Locate(num, true, &span.generation);
  const CPdfObjectMap& map = fetcher.GetMap();
  if (index < 0) {
    // No object where the entry leads, nor under its number anywhere: there is nothing to copy,
    // unless its header stands there inside another object, which a copy would lose.
    const XRefEntry* entry = fetcher.GetTable().Find(num);
    if (entry && entry->type == 1 && entry->offset >= 0 &&
        map.HeaderTextAt(int64_t{fetcher.GetXRef().GetHeaderOffset()} + entry->offset, num,
                         entry->generation)) {
      throw CPdfException(kMsgDamaged);
    }
    return span;
  }
  const auto k = static_cast<size_t>(index);
  // A string still open at the end of the file, or a body whose end nothing tells: no framing
  // keeps its bytes and what follows apart.
  if (map.IsDamaged(k)) {
    throw CPdfException(kMsgDamaged);
  }
  span.index = index;
  span.start = map.At(k).start;
  span.length = map.At(k).length;
  span.tail = TailText(map.TailOf(k));
  return span;
}

std::vector<uint8_t> ExtractObject(CPdfFetcher& fetcher, int32_t num, RawObjectInfo* info) {
  std::vector<uint8_t> out;
  const XRefEntry* found = fetcher.GetTable().Find(num);
  if (!found || found->type == 0) {
    return out;
  }
  const uint8_t* slice = nullptr;
  size_t length = 0;
  // A member its stream cannot give may stand in the file under its own header: it is copied
  // from there, as a direct object is.
  int after = -1;
  if (found->type == 2 && fetcher.GetObjectStreamBytes(num, &slice, &length, &after)) {
    // The member's value alone: whatever its last byte (a "%", an open "(", a "/"), the
    // "endobj" written after it stays a token of its own.
    CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(slice, length)};
    const PdfToken first = lexer.Next();
    if (first.kind == PdfTokenKind::kEnd) {
      return out;
    }
    bool whole = true;
    const PdfToken last = info && info->want_spots && first.kind == PdfTokenKind::kDictOpen
                              ? NoteRotateSpots(lexer, slice, &whole, &info->spots)
                              : lexer.StepOverValue(first, &whole);
    const std::string head = std::to_string(num) + " 0 obj\r";
    if (info && info->want_spots && first.kind == PdfTokenKind::kDictOpen) {
      info->has_spots = true;
      // From the member's first byte to the framed object's.
      for (auto& [key_end, value_end] : info->spots.values) {
        key_end += static_cast<uint32_t>(head.size());
        value_end += static_cast<uint32_t>(head.size());
      }
    }
    // A string or container the member's bytes end inside: in its stream it ends where the
    // stream does, but framed as an object of the file it would take the "endobj" written
    // after it and the objects after that.
    if (!whole) {
      throw CPdfException(kMsgDamaged);
    }
    // A number, name or keyword that the next member's first byte continues ("12" read as 1
    // and 2): readers take the longer token, which the member's own bytes do not hold.
    const bool continues =
        last.kind == PdfTokenKind::kNumber
            ? (after >= '0' && after <= '9') || after == '.'
            : (last.kind == PdfTokenKind::kName || last.kind == PdfTokenKind::kKeyword) &&
                  PdfIsRegular(after);
    if (continues && last.end == length) {
      throw CPdfException(kMsgDamaged);
    }
    const size_t end = static_cast<size_t>(last.end);
    out.reserve(head.size() + end + 8);
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), slice, slice + end);
    out.insert(out.end(), kEndobjTail, kEndobjTail + std::char_traits<char>::length(kEndobjTail));
    if (info) {
      info->compressed = true;
    }
    return out;
  }
  const RawSpan span = LocateDirectObject(fetcher, num);
  if (span.length == 0) {
    return out;
  }
  const size_t tail = std::char_traits<char>::length(span.tail);
  out.resize(static_cast<size_t>(span.length));
  out.resize(fetcher.GetFile().ReadAt(span.start, out.data(), out.size()));
  out.insert(out.end(), span.tail, span.tail + tail);
  if (info) {
    info->generation = span.generation;
    info->has_spots = info->want_spots && MapSpots(fetcher, span.index, &info->spots);
  }
  return out;
}
