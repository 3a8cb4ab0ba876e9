#ifndef QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
#define QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "reader/cpdf_dictionary_notes.h"
#include "reader/page_facts.h"
#include "reader/rotate_spots.h"
#include "streams/pdf_span_source.h"

// Where object-stream members end, each found once: the scanner steps over a member's value
// when it is asked for, noting on the way what the copy reads of it (its dictionary's /Rotate
// values) and what the walk reads (a page's facts). The frames the walk asks for (pages, and
// the nodes it reaches) are kept by table entry, not with the decoded stream, so that neither
// a stream decoded again after the cache let it go nor a page the tree reaches again is
// stepped over again; the copy, which asks for each member once, finds them there. A frame
// only the copy asks for is not kept. Memory: 4 bytes per table entry once the walk frames a
// member, 20 per frame kept and 16 more for a page, 8 per /Rotate value kept (4,096 or four
// per entry at most).
class CPdfMemberFrames {
 public:
  // One member: its value's extent in its bytes, and whether a copy framed as an object of its
  // own keeps it whole.
  struct Frame {
    uint32_t end = 0;           // the value's end, from the member's first byte
    uint32_t first_spot = 0;    // its /Rotate values in spots_
    uint32_t open_end = 0;      // past its "<<", for a dictionary
    uint32_t facts = kNoFacts;  // its page facts in facts_, when it is a page
    uint8_t spot_count = 0;
    uint8_t flags = 0;
    bool Empty() const { return (flags & kEmpty) != 0; }
    // A value left open, or a last token the next member's first byte continues.
    bool Damaged() const { return (flags & kDamaged) != 0; }
    // A dictionary: its /Rotate values were noted.
    bool Dictionary() const { return (flags & kDictionary) != 0; }
  };

  explicit CPdfMemberFrames(size_t entries) : entries_(entries) {}

  // The frame kept for the member at table entry, when the walk asked for it.
  const Frame* Find(size_t entry) const {
    return entry < index_.size() && index_[entry] != kNone ? &kept_[index_[entry]] : nullptr;
  }
  // Steps over the member at table entry, bytes [bytes, bytes + length) (after: the decoded
  // byte that follows them, -1 at the end of the stream's data). With facts (the walk asks),
  // the frame is kept and facts set, *page telling whether the member is a page with facts
  // known; without, the frame stands until the next Add.
  const Frame* Add(size_t entry,
                   const uint8_t* bytes,
                   size_t length,
                   int after,
                   PageFacts* facts,
                   bool* page);
  // The page facts kept with a frame made for the walk; false when it is no such page.
  bool FactsOf(const Frame& frame, PageFacts* facts) const;
  // Where the /Rotate values of a member's dictionary stand, from its first byte; false when
  // they were not kept.
  bool SpotsOf(const Frame& frame, RotateSpots* spots) const;

 private:
  // The low bits are the dictionary's notes (CPdfDictionaryNotes::Flag).
  static constexpr uint8_t kEmpty = 16;
  static constexpr uint8_t kDamaged = 32;
  static constexpr uint8_t kDictionary = 64;
  static constexpr uint8_t kSpotsKept = 128;
  static constexpr uint32_t kNoFacts = UINT32_MAX;
  static constexpr uint32_t kNone = UINT32_MAX;
  static constexpr size_t kFewSpots = 4096;

  // The frame kept for the member at table entry, made on the first request.
  Frame& KeptFrame(size_t entry);
  // The frame that stands until the next Add, its values cleared.
  Frame& PassingFrame();
  // With "<<" read (open): the member's dictionary stepped over and noted into frame; its last
  // token.
  PdfToken AddDictionary(CPdfLexer<PdfSpanSource>& lexer,
                         const PdfToken& open,
                         const uint8_t* bytes,
                         Frame* frame,
                         std::vector<std::pair<uint32_t, uint32_t>>* spots,
                         PageFacts* facts,
                         bool* page);

  size_t entries_;
  std::vector<uint32_t> index_;  // by table entry, into kept_; sized on the first frame kept
  std::vector<Frame> kept_;
  std::vector<std::pair<uint32_t, uint32_t>> spots_;  // of the frames kept
  std::vector<PageFacts> facts_;
  Frame passing_;  // the last frame not kept, its /Rotate values in passing_spots_
  CPdfDictionaryNotes notes_;
  std::vector<std::pair<uint32_t, uint32_t>> passing_spots_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
