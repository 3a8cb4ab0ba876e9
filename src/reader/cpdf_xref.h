#ifndef QUILLTURN_SRC_READER_CPDF_XREF_H_
#define QUILLTURN_SRC_READER_CPDF_XREF_H_

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "objects/cpdf_lexer.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_resolver.h"
#include "reader/cpdf_xref_table.h"

class CPdfDictionary;
class CPdfObjStmData;
class CPdfParser;
class CPdfStream;

// Loads every cross-reference section and fetches objects by number.
class CPdfXRef : public CPdfResolver {
 public:
  // Object numbers stop at 8,388,607, the format's own limit.
  static constexpr int32_t kMaxObjects = 8388608;
  // A /Prev chain longer than this is refused rather than followed.
  static constexpr int kMaxSections = 10000;
  // Nested fetches (a /Length, an object stream) beyond this give PDF_NULL.
  static constexpr int kMaxFetchDepth = 32;
  // Widest field of a cross-reference stream record, in bytes.
  static constexpr int32_t kMaxFieldWidth = 16;

  CPdfXRef();
  CPdfXRef(const CPdfXRef&) = delete;
  CPdfXRef& operator=(const CPdfXRef&) = delete;
  ~CPdfXRef() override;

  // Borrowed: the document's whole-file stream, positioned at the header.
  void Load(CPdfStream* stream);

  int32_t GetRootNum() const { return root_num_; }
  int32_t GetRootGen() const { return root_gen_; }
  int32_t GetInfoNum() const { return info_num_; }
  int32_t GetInfoGen() const { return info_gen_; }
  const CPdfObject& GetTrailer() const { return trailer_; }
  // The trailer's values for keys as the file writes them (a direct dictionary, a reference,
  // numbers and strings byte for byte), by key; a repeated key gives its first value, the one
  // the parsed trailer keeps. Keys without a value are left out; a value left open (a container
  // or string that the section ends inside) refuses the file as damaged.
  std::map<std::string, std::string> ReadRawTrailer(const std::vector<std::string>& keys);
  const CPdfXRefTable& GetTable() const { return table_; }
  uint32_t GetHeaderOffset() const { return header_offset_; }

  void GetObject(int32_t num, int32_t gen, CPdfObject& out) override;
  // The object with only what the page-tree walk reads built (CPdfParser::SetWalkOnly); the
  // fetches it makes itself (a /Length) are whole.
  void GetObjectForWalk(int32_t num, int32_t gen, CPdfObject& out);
  // The bytes of compressed object num inside its decoded object stream. The view stays valid
  // until the next call or the reader's destruction.
  bool GetObjectStreamBytes(int32_t num, const uint8_t** data, size_t* length);
  // File position of the last "num gen obj" header in the file, -1 when there is none. A
  // negative gen takes num's highest generation found, given in found_gen. The first call
  // indexes every header in one scan of the whole file, with strings, comments and stream
  // bodies stepped over so that no bytes inside them count.
  int64_t FindObjectByHeader(int32_t num, int32_t gen, int32_t* found_gen = nullptr);
  // Where objects the table places start, so that no object's bytes run past the next one (a
  // string or stream body left open stops there). The first file position after position
  // that an entry or a section names, -1 when none does; then, for such a position, where
  // the header of an object whose entry names it stands (a section's start), -1 when no
  // entry there leads to its own "num gen obj". Only positions an object's bytes reach are
  // read, each once.
  int64_t NextEntryPosition(int64_t position);
  int64_t HeaderAtEntry(int64_t position);
  // The two together: where the next such object's header stands, -1 when none does.
  int64_t NextObjectStart(int64_t position);

 private:
  friend class CPdfObjStmData;

  static bool ReadPrevOf(const CPdfDictionary& dict, int64_t* prev);
  bool ReadSection(int64_t offset, int64_t* prev);
  // With the parser just past "xref" in window.
  bool ReadTable(CPdfStream* window, CPdfParser& parser, int64_t* prev);
  void ReadHybridStream(const CPdfDictionary& trailer);
  bool ReadXRefStream(const CPdfObject& stream, int64_t* prev);
  void ReadStreamSubsection(CPdfStream* stream,
                            const int32_t widths[3],
                            int32_t first,
                            int32_t count);
  CPdfStream* OpenWindow(int64_t offset);
  // A window from file position start to end (to the end of the file when end is not past
  // start).
  CPdfStream* OpenAt(int64_t start, int64_t end = -1);
  void IndexHeaders();
  bool HeaderStandsAt(int64_t position, int32_t num, int32_t gen, uint8_t* skip);
  bool ReadIndexNumber(const PdfToken& token, int32_t* value);
  void FetchDirect(int32_t num, int32_t gen, const XRefEntry& entry, CPdfObject& out, bool walk);
  enum class DirectRead { kValue, kNoHeader, kPastEnd };
  // Reads "num gen obj" and its value from start in a window up to end (to the end of the
  // file when end is negative). Unless final, a read that gets to end or fails is kPastEnd.
  DirectRead ReadDirect(int32_t num,
                        int32_t gen,
                        const XRefEntry& entry,
                        int64_t start,
                        int64_t end,
                        bool walk,
                        bool final,
                        CPdfObject& out);
  void FetchCompressed(int32_t num, const XRefEntry& entry, CPdfObject& out, bool walk);
  // The value kept for num when it was read for the same entry.
  bool FindKept(int32_t num, const XRefEntry& entry, CPdfObject& out) const;
  void KeepIfSmall(int32_t num,
                   const XRefEntry& entry,
                   uint64_t bytes_read,
                   const CPdfObject& value);
  // Shared so that an entry evicted while one of its values is being parsed stays alive.
  std::shared_ptr<CPdfObjStmData> GetObjStm(int32_t stream_num);
  // Drops the least recently used streams while over the budget, keeping the newest `keep`.
  void EvictObjStms(size_t keep);

  CPdfStream* stream_ = nullptr;  // Borrowed from the document.
  uint32_t header_offset_ = 0;
  int64_t trailer_section_ = 0;   // the newest section, whose dictionary is the trailer
  int64_t trailer_dict_at_ = -1;  // in the file, after that section's "trailer" when it has one
  CPdfXRefTable table_;
  // The largest extent any section names (its /Size, the end of a subsection). A reference
  // below it to an undefined object reads as null; one beyond it is damage.
  int64_t declared_size_ = 0;
  int64_t records_in_section_ = 0;
  int64_t records_read_ = 0;  // by every cross-reference stream of the file
  int32_t root_num_ = 0;
  int32_t root_gen_ = 0;
  int32_t info_num_ = 0;
  int32_t info_gen_ = 0;
  CPdfObject trailer_;
  std::set<int64_t> visited_sections_;
  int sections_read_ = 0;
  // Entries the current classic section marks free: a hybrid file's stream may fill them.
  std::vector<std::pair<int32_t, XRefEntry>> section_free_;
  // Recently decoded object streams, most recent first.
  std::list<std::shared_ptr<CPdfObjStmData>> objstm_cache_;
  std::unordered_map<int32_t, std::list<std::shared_ptr<CPdfObjStmData>>::iterator> objstm_index_;
  size_t objstm_cache_bytes_ = 0;
  // Decoded object streams are kept while their bytes fit a budget (at least one is always
  // kept), so the catalog check, the page walk and the copy each find most streams decoded.
  // The budget starts small and rises to its ceiling once streams are decoded again more than
  // the page walk and the copy explain: members that alternate between large streams then stop
  // evicting one another, while files read stream after stream keep the small budget.
  static constexpr size_t kObjStmCacheBudget = size_t{2} * 1024 * 1024;
  static constexpr size_t kObjStmCacheCeiling = size_t{24} * 1024 * 1024;
  size_t objstm_cache_budget_ = kObjStmCacheBudget;
  std::unordered_set<int32_t> decoded_streams_;  // every object stream decoded so far
  int64_t decoded_bytes_ = 0;                    // by every object stream decoding of the run
  int64_t distinct_bytes_ = 0;                   // by the first decoding of each stream
  std::vector<int32_t> in_progress_;             // objects and object streams being fetched
  // Every "num gen obj" header in the file, sorted by number and generation, the last in the
  // file last among equals; built at the first object not found where its entry says.
  struct HeaderSpot {
    int32_t num;
    int32_t gen;
    int64_t position;
  };
  std::vector<HeaderSpot> headers_;
  bool headers_indexed_ = false;
  // What an entry or a section places in the file, by position; whether an entry's header
  // stands there is read once, when first asked.
  struct Start {
    int64_t position;
    int32_t num;  // -1 for a section
    int32_t gen;
    uint8_t skip;    // white space before the header, once read
    int8_t verdict;  // 0 not read yet, 1 the header stands there, -1 it does not
  };
  std::vector<Start> starts_;
  bool starts_listed_ = false;
  size_t start_hint_ = 0;  // where the last NextEntryPosition found its answer
  void ListStarts();
  int fetch_depth_ = 0;
  bool walk_fetch_ = false;  // the next fetch is for the walk
  // A small value whose object took long to read (white space or junk after the value, which
  // the parser reads to see what follows it) is kept by number: an object many others refer
  // to, such as a shared /Length, costs its bytes once, not once per use. Kept values take
  // at most a quarter of the bytes read for them.
  static constexpr uint32_t kKeepAfterBytes = 4096;
  static constexpr int64_t kKeptValueBytes = 1024;
  struct Kept {
    XRefEntry entry;  // the entry the value was read for
    CPdfObject value;
  };
  std::unordered_map<int32_t, Kept> kept_values_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_XREF_H_
