#include "reader/raw_object.h"

#include <string>

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_member_frames.h"
#include "streams/cpdf_input_file.h"

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

}  // namespace

RawSpan LocateDirectObject(CPdfFetcher& fetcher, int32_t num) {
  RawSpan span;
  const int64_t index = fetcher.Locate(num, true, &span.generation);
  const CPdfObjectMap& map = fetcher.GetMap();
  if (index < 0) {
    // No object where the entry leads, nor under its number anywhere: there is nothing to copy,
    // unless its header stands there inside another object, which a copy would lose.
    if (map.HeaderAtEntry(num)) {
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
  span.start = map.At(k).start;
  span.length = map.At(k).length;
  span.tail = TailText(map.TailOf(k));
  return span;
}

std::vector<uint8_t> ExtractObject(CPdfFetcher& fetcher, int32_t num, RawObjectInfo* info) {
  std::vector<uint8_t> out;
  const XRefEntry* found = fetcher.GetTable().Find(num);
  if (!found || found->type == XRefEntry::kFree) {
    return out;
  }
  const uint8_t* slice = nullptr;
  const CPdfMemberFrames::Frame* frame = nullptr;
  // A member its stream cannot give may stand in the file under its own header: it is copied
  // from there, as a direct object is.
  if (found->type == XRefEntry::kInStream && fetcher.GetObjectStreamMember(num, &slice, &frame)) {
    // The member's value alone, as its frame ends it: whatever its last byte (a "%", an open
    // "(", a "/"), the "endobj" written after it stays a token of its own.
    if (frame->Empty()) {
      return out;
    }
    const std::string head = std::to_string(num) + " 0 obj\r";
    if (frame->Damaged()) {
      throw CPdfException(kMsgDamaged);
    }
    out.reserve(head.size() + frame->end + 8);
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), slice, slice + frame->end);
    out.insert(out.end(), kEndobjTail, kEndobjTail + std::char_traits<char>::length(kEndobjTail));
    if (info) {
      info->compressed = true;
      info->place = CPdfObjectPlace::Member(static_cast<size_t>(fetcher.GetTable().IndexOf(num)));
      info->shift = static_cast<uint32_t>(head.size());
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
    info->place = CPdfObjectPlace::InFile(static_cast<uint64_t>(span.start));
  }
  return out;
}
