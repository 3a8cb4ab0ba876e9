#ifndef QUILLTURN_SRC_READER_CPDF_COPY_PLAN_H_
#define QUILLTURN_SRC_READER_CPDF_COPY_PLAN_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class CPdfFetcher;

// The objects of the input in the order the copy writes them: every number in use, in number
// order, but for two things. The members of an object stream whose member numbers interleave
// another stream's go out together when the first of them comes up, so that each stream is
// decoded once. A stream that gives members the table places in it is left out: they are copied
// on their own. Memory: 8 bytes per member.
class CPdfCopyPlan {
 public:
  struct Step {
    int32_t num = 0;
    bool member = false;  // kept in object stream `stream`; else an object of the file
    int32_t stream = 0;
  };

  explicit CPdfCopyPlan(CPdfFetcher* fetcher);

  // Table lines the copy writes at most: a header the map found, or a member, for each.
  size_t MostObjects() const { return most_objects_; }
  // Bytes the copy writes at least: those of the objects in the file that entries lead to, but
  // for streams that members are placed in (they may be left out).
  uint64_t LeastBytes() const;
  // The next object to copy; false past the last.
  bool Next(Step* step);

 private:
  // A member the table places in an object stream.
  struct Member {
    int32_t stream;
    int32_t num;
    bool operator<(const Member& other) const {
      return stream != other.stream ? stream < other.stream : num < other.num;
    }
  };
  using MemberIt = std::vector<Member>::const_iterator;
  std::pair<MemberIt, MemberIt> MembersOf(int32_t stream) const;
  void FindInterleavedStreams();
  // Whether the object num in the file is an object stream that gives members placed in it.
  bool GivesItsMembers(int32_t num);

  CPdfFetcher* fetcher_;
  size_t item_ = 0;  // the table's next entry
  size_t most_objects_ = 0;
  std::vector<Member> members_;       // by stream, then number
  std::vector<int32_t> interleaved_;  // streams whose members' numbers overlap another's
  MemberIt group_;                    // members of a stream that go out together, still to go
  MemberIt group_end_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_COPY_PLAN_H_
