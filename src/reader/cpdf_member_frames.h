#ifndef QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
#define QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "reader/page_facts.h"
#include "reader/rotate_spots.h"

// Where object-stream members end, each found once: the scanner steps over a member's value
// the first time it is asked for (the walk asks for pages, the copy for all), noting on the way
// what the copy reads of it (its dictionary's /Rotate values) and what the walk reads (a page's
// facts). Kept by table entry, not with the decoded stream, so that a stream decoded again
// after the cache let it go is not stepped over again. Memory: 20 bytes per table entry once
// one member is framed, 8 per /Rotate value kept (4,096 or four per entry at most), 16 per
// page.
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
    // Framed for the walk: whether it is a page with facts known is told.
    bool FactsAsked() const { return (flags & kFactsAsked) != 0; }
  };

  explicit CPdfMemberFrames(size_t entries) : entries_(entries) {}

  // The frame of the member at table entry, when it was found.
  const Frame* Find(size_t entry) const {
    return entry < frames_.size() && (frames_[entry].flags & kFramed) != 0 ? &frames_[entry]
                                                                           : nullptr;
  }
  // Steps over the member at table entry, bytes [bytes, bytes + length) (after: the decoded
  // byte that follows them, -1 at the end of the stream's data), and keeps its frame. facts,
  // when given, is set and true is given when the member is a page with facts known; the facts
  // are kept with the frame, so that a page the tree reaches many times is stepped over once.
  bool Add(size_t entry, const uint8_t* bytes, size_t length, int after, PageFacts* facts);
  // The page facts kept with a frame made for the walk; false when it is no such page.
  bool FactsOf(const Frame& frame, PageFacts* facts) const;
  // Where the /Rotate values of a member's dictionary stand, from its first byte; false when
  // they were not kept.
  bool SpotsOf(const Frame& frame, RotateSpots* spots) const;

 private:
  static constexpr uint8_t kFramed = 1;
  static constexpr uint8_t kEmpty = 2;
  static constexpr uint8_t kDamaged = 4;
  static constexpr uint8_t kDictionary = 8;
  static constexpr uint8_t kOpenJoins = 16;
  static constexpr uint8_t kValueJoins = 32;
  static constexpr uint8_t kSpotsKept = 64;
  static constexpr uint8_t kFactsAsked = 128;
  static constexpr uint32_t kNoFacts = UINT32_MAX;
  static constexpr size_t kFewSpots = 4096;

  size_t entries_;
  std::vector<Frame> frames_;  // by table entry, sized on the first frame
  std::vector<std::pair<uint32_t, uint32_t>> spots_;
  std::vector<PageFacts> facts_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
