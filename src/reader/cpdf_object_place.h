#ifndef QUILLTURN_SRC_READER_CPDF_OBJECT_PLACE_H_
#define QUILLTURN_SRC_READER_CPDF_OBJECT_PLACE_H_

#include <cstddef>
#include <cstdint>

// Where an object stepped over stands: at a position of the file (its header's first byte), or
// in an object stream (the member's entry in the table). Positions noted in an object count
// from there: the file position, or the member's first byte.
class CPdfObjectPlace {
 public:
  static CPdfObjectPlace InFile(uint64_t start) { return CPdfObjectPlace(start); }
  static CPdfObjectPlace Member(size_t entry) { return CPdfObjectPlace(kMemberBit | entry); }

  bool IsMember() const { return (key_ & kMemberBit) != 0; }
  uint64_t Start() const { return key_; }                                   // in the file
  size_t Entry() const { return static_cast<size_t>(key_ & ~kMemberBit); }  // a member's
  // Where positions noted in the object count from, in the file's terms.
  uint64_t Origin() const { return IsMember() ? 0 : key_; }

 private:
  static constexpr uint64_t kMemberBit = uint64_t{1} << 63;
  explicit CPdfObjectPlace(uint64_t key) : key_(key) {}

  uint64_t key_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJECT_PLACE_H_
