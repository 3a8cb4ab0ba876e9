#ifndef QUILLTURN_SRC_READER_CPDF_XREF_TABLE_H_
#define QUILLTURN_SRC_READER_CPDF_XREF_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// What the reader knows of one object number: its type says where the object is. Offset and
// type share 64 bits and the entry keeps 4-byte alignment, so that a table's item takes 16
// bytes, as with 32-bit offsets, in tables of millions of them.
#pragma pack(push, 4)
struct XRefEntry {
  static constexpr int32_t kFree = 0;
  static constexpr int32_t kInFile = 1;    // at offset (from the header), generation
  static constexpr int32_t kInStream = 2;  // in object stream `offset` at index `generation`
  // Offsets as read are held here rather than wrapped: past every file this program reads, and
  // far from where adding the header's offset to one could overflow.
  static constexpr int64_t kPastAnyFile = int64_t{1} << 38;
  XRefEntry() : offset(0), type(kFree), generation(0) {}
  XRefEntry(int64_t at, int32_t gen, int32_t kind) : offset(at), type(kind), generation(gen) {}
  int64_t offset : 40;  // for kInStream, a stream number within 32 bits
  int64_t type : 24;
  int32_t generation;
};
#pragma pack(pop)

// The object numbers the cross-reference sections define, and nothing else: its memory follows
// the entries the file holds, never the numbers or sizes it declares.
class CPdfXRefTable {
 public:
  struct Item {
    int32_t num;
    XRefEntry entry;
  };

  // While loading: entries in order of precedence, newest first. The first one given for a
  // number is the one kept.
  void Add(int32_t num, const XRefEntry& entry);
  // Numbers defined again by older sections take room until the next compaction, which comes
  // once the entries have doubled, so the table stays within twice the distinct numbers.
  // Ends loading: afterwards the table is sorted by number and holds one entry per number.
  void Finish();

  // The entry of num, or nullptr when no section defines it.
  const XRefEntry* Find(int32_t num) const;
  // Where num's entry stands among them all (begin() + index), -1 when none does.
  int64_t IndexOf(int32_t num) const;
  // Every defined number, in increasing order.
  const Item* begin() const { return items_.data(); }
  const Item* end() const { return items_.data() + items_.size(); }
  size_t Count() const { return items_.size(); }
  // The numbers whose entries put an object somewhere (in the file or in an object stream).
  size_t CountInUse() const { return in_use_; }
  // One past the highest defined number: the /Size the table calls for.
  int32_t GetSize() const { return items_.empty() ? 0 : items_.back().num + 1; }

 private:
  void Compact();

  std::vector<Item> items_;
  size_t in_use_ = 0;
  size_t next_compaction_ = kFirstCompaction;
  static constexpr size_t kFirstCompaction = size_t{1} << 20;
};

static_assert(sizeof(CPdfXRefTable::Item) == 16, "an item is its number and a 12-byte entry");

#endif  // QUILLTURN_SRC_READER_CPDF_XREF_TABLE_H_
