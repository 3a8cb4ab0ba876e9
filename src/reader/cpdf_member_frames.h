#ifndef QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
#define QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reader/cpdf_dictionary_notes.h"
#include "reader/cpdf_notes_observer.h"

// Where object-stream members end, each found once: the scanner steps over a member's value
// when it is asked for, telling the observer on the way what it noted of a dictionary (what the
// walk and the patch read of it). The frames the walk asks for (pages, and the nodes it
// reaches) are kept by table entry, not with the decoded stream, so that neither a stream
// decoded again after the cache let it go nor a page the tree reaches again is stepped over
// again; the copy, which asks for each member once, finds them there. A frame only the copy
// asks for is not kept. Memory: 4 bytes per table entry once the walk frames a member, 8 per
// frame kept.
class CPdfMemberFrames {
 public:
  // One member: its value's extent in its bytes, and whether a copy framed as an object of its
  // own keeps it whole.
  struct Frame {
    uint32_t end = 0;  // the value's end, from the member's first byte
    uint8_t flags = 0;
    bool Empty() const { return (flags & kEmpty) != 0; }
    // A value left open, or a last token the next member's first byte continues.
    bool Damaged() const { return (flags & kDamaged) != 0; }
  };

  // Borrowed: told the notes of each member's dictionary (none told when null).
  CPdfMemberFrames(size_t entries, CPdfNotesObserver* observer)
      : entries_(entries), observer_(observer) {}

  // The frame kept for the member at table entry, when the walk asked for it.
  const Frame* Find(size_t entry) const {
    return entry < index_.size() && index_[entry] != kNone ? &kept_[index_[entry]] : nullptr;
  }
  // Steps over the member at table entry, bytes [bytes, bytes + length) (after: the decoded
  // byte that follows them, -1 at the end of the stream's data). With keep (the walk asks), the
  // frame is kept; without, it stands until the next Add.
  const Frame* Add(size_t entry, const uint8_t* bytes, size_t length, int after, bool keep);

 private:
  static constexpr uint8_t kEmpty = 1;
  static constexpr uint8_t kDamaged = 2;
  static constexpr uint32_t kNone = UINT32_MAX;

  // The frame kept for the member at table entry, made on the first request.
  Frame& KeptFrame(size_t entry);
  // Whether a name in the bytes has a "#" that two hex digits do not follow: readers end such
  // a name in different places, and framed as an object of its own the member may take in
  // what follows it.
  static bool HasBadNameEscape(const uint8_t* bytes, size_t length);

  size_t entries_;
  CPdfNotesObserver* observer_;
  std::vector<uint32_t> index_;  // by table entry, into kept_; sized on the first frame kept
  std::vector<Frame> kept_;
  Frame passing_;  // the last frame not kept
  CPdfDictionaryNotes notes_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_MEMBER_FRAMES_H_
