#include "reader/cpdf_member_frames.h"

#include <algorithm>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_char_class.h"
#include "streams/pdf_span_source.h"

const CPdfMemberFrames::Frame* CPdfMemberFrames::Add(size_t entry,
                                                     const uint8_t* bytes,
                                                     size_t length,
                                                     int after,
                                                     PageFacts* facts,
                                                     bool* page) {
  *page = false;
  const bool keep = facts != nullptr;
  if (entry >= entries_) {
    return nullptr;
  }
  Frame& frame = keep ? KeptFrame(entry) : PassingFrame();
  std::vector<std::pair<uint32_t, uint32_t>>& spots = keep ? spots_ : passing_spots_;
  frame = Frame();
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(bytes, length)};
  const PdfToken first = lexer.Next();
  if (first.kind == PdfTokenKind::kEnd) {
    frame.flags |= kEmpty;
    return &frame;
  }
  bool whole = true;
  PdfToken last;
  if (first.kind == PdfTokenKind::kDictOpen) {
    last = AddDictionary(lexer, first, bytes, &frame, &spots, facts, page);
    whole = last.kind == PdfTokenKind::kDictClose;
  } else {
    last = lexer.StepOverValue(first, &whole);
  }
  // A string or container the member's bytes end inside: in its stream it ends where the
  // stream does, but framed as an object of the file it would take the "endobj" written
  // after it and the objects after that. A number, name or keyword that the next member's
  // first byte continues ("12" read as 1 and 2): readers take the longer token, which the
  // member's own bytes do not hold.
  const bool continues =
      last.kind == PdfTokenKind::kNumber
          ? (after >= '0' && after <= '9') || after == '.'
          : (last.kind == PdfTokenKind::kName || last.kind == PdfTokenKind::kKeyword) &&
                PdfIsRegular(after);
  if (!whole || (continues && last.end == length)) {
    frame.flags |= kDamaged;
  }
  frame.end = static_cast<uint32_t>(last.end);
  return &frame;
}

CPdfMemberFrames::Frame& CPdfMemberFrames::KeptFrame(size_t entry) {
  if (index_.empty()) {
    index_.assign(entries_, kNone);
  }
  if (index_[entry] == kNone) {
    index_[entry] = static_cast<uint32_t>(kept_.size());
    kept_.emplace_back();
  }
  return kept_[index_[entry]];
}

CPdfMemberFrames::Frame& CPdfMemberFrames::PassingFrame() {
  passing_spots_.clear();
  return passing_;
}

PdfToken CPdfMemberFrames::AddDictionary(CPdfLexer<PdfSpanSource>& lexer,
                                         const PdfToken& open,
                                         const uint8_t* bytes,
                                         Frame* frame,
                                         std::vector<std::pair<uint32_t, uint32_t>>* spots,
                                         PageFacts* facts,
                                         bool* page) {
  const bool keep = facts != nullptr;
  frame->open_end = static_cast<uint32_t>(open.end);
  const auto view = [bytes](uint64_t b, uint64_t) { return bytes + b; };
  const PdfToken last = notes_.Take(lexer, open.end, view, [](const PdfToken&) { return false; });
  const RotateSpots& noted = notes_.Spots();
  frame->flags = static_cast<uint8_t>(frame->flags | kDictionary | notes_.Flags());
  // The few values a page has are kept, so many in all; past that the patch reads a
  // dictionary full of /Rotate keys again.
  if (noted.values.size() <= UINT8_MAX &&
      (!keep || spots->size() + noted.values.size() <= std::max<size_t>(kFewSpots, 4 * entries_))) {
    frame->flags |= kSpotsKept;
    frame->first_spot = static_cast<uint32_t>(spots->size());
    frame->spot_count = static_cast<uint8_t>(noted.values.size());
    spots->insert(spots->end(), noted.values.begin(), noted.values.end());
  }
  // A dictionary that "stream" follows is read as a stream, which is no page.
  *page = keep && notes_.Facts(facts) && !lexer.Peek(0).Is(PdfKeyword::kStream);
  if (*page) {
    frame->facts = static_cast<uint32_t>(facts_.size());
    facts_.push_back(*facts);
  }
  return last;
}

bool CPdfMemberFrames::SpotsOf(const Frame& frame, RotateSpots* spots) const {
  if ((frame.flags & kSpotsKept) == 0) {
    return false;
  }
  spots->open_joins = (frame.flags & CPdfDictionaryNotes::kOpenJoins) != 0;
  spots->value_joins = (frame.flags & CPdfDictionaryNotes::kValueJoins) != 0;
  spots->complete = true;
  spots->open_end = frame.open_end;
  const auto& from = &frame == &passing_ ? passing_spots_ : spots_;
  spots->values.assign(from.begin() + frame.first_spot,
                       from.begin() + frame.first_spot + frame.spot_count);
  return true;
}

bool CPdfMemberFrames::FactsOf(const Frame& frame, PageFacts* facts) const {
  if (frame.facts == kNoFacts) {
    return false;
  }
  *facts = facts_[frame.facts];
  return true;
}
