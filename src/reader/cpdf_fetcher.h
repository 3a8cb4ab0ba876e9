#ifndef QUILLTURN_SRC_READER_CPDF_FETCHER_H_
#define QUILLTURN_SRC_READER_CPDF_FETCHER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "objects/cpdf_object.h"
#include "objects/cpdf_resolver.h"
#include "objects/pdf_key_filter.h"
#include "objects/stream_filters.h"
#include "reader/cpdf_member_frames.h"
#include "reader/cpdf_notes_observer.h"
#include "reader/cpdf_object_map.h"
#include "reader/cpdf_object_place.h"
#include "reader/cpdf_objstm_cache.h"
#include "reader/cpdf_xref.h"

class CPdfInputFile;
class CPdfObjStmData;
class CPdfStream;

// What a fetch for the page-tree walk builds: of a dictionary the keys the walk reads
// (CPdfParser::SetWalkKeys), of an array no more elements than it may visit
// (CPdfParser::SetWalkArrayLimit). The walk gives it with each fetch, and the fetcher keeps
// nothing of it; the fetches the parser makes itself (a /Length) are whole.
struct WalkRequest {
  PdfKeyFilter keys = nullptr;
  size_t array_limit = SIZE_MAX;
};

// Fetches objects by number: from where the object map finds them, or from object streams.
class CPdfFetcher : public CPdfResolver, private CPdfNotesObserver {
 public:
  // Nested fetches (a /Length, an object stream) beyond this give PDF_NULL.
  static constexpr int kMaxFetchDepth = 32;

  // Borrowed, all three: the document's whole-file stream and file, and the loaded sections.
  CPdfFetcher(CPdfStream* stream, CPdfInputFile* file, const CPdfXRef& xref);
  CPdfFetcher(const CPdfFetcher&) = delete;
  CPdfFetcher& operator=(const CPdfFetcher&) = delete;
  ~CPdfFetcher() override;

  // Borrowed: told what each step over a dictionary notes, from the pass over the file on
  // (CPdfNotesObserver). Given before BuildMap.
  void AddObserver(CPdfNotesObserver* observer) { observers_.push_back(observer); }
  // The one pass over the file. Until it is done, objects are read where their entries lead
  // (a stream's /Length that the pass needs).
  void BuildMap();

  void GetObject(int32_t num, int32_t gen, CPdfObject& out) override;
  // With walk, only what it asks for; without, the whole object.
  void GetObject(int32_t num, int32_t gen, CPdfObject& out, const WalkRequest* walk);
  // Object num under generation 0, its stream's body decoded as an object stream's may be.
  void GetObjectStream(int32_t num, CPdfObject& out);

  // Where the object a walk fetch of (num, gen) would parse stands, its dictionary's notes told
  // to the observers (a member is framed for it, and kept). False when there is none, or
  // within another fetch (the walk then fetches it).
  bool NotedPlaceOf(int32_t num, int32_t gen, CPdfObjectPlace* place);

  const CPdfXRef& GetXRef() const { return xref_; }
  const CPdfXRefTable& GetTable() const { return xref_.GetTable(); }
  const CPdfObjectMap& GetMap() const { return map_; }
  CPdfInputFile& GetFile() const { return *file_; }

  // The map's object that holds num as the table places it in the file: where its entry leads,
  // else its last definition under the entry's generation, else (any_generation) under any.
  // With the generation it stands under; -1 when there is none.
  int64_t Locate(int32_t num, bool any_generation, int32_t* gen) const;
  // The bytes of compressed object num inside its decoded object stream, from its first byte,
  // and its frame there, found on the first call (CPdfMemberFrames). The views stay valid until
  // the next call or the fetcher's destruction.
  bool GetObjectStreamMember(int32_t num,
                             const uint8_t** data,
                             const CPdfMemberFrames::Frame** frame);
  const CPdfMemberFrames& GetMemberFrames() const { return members_; }
  // Whether stream_num is an object stream that gives one of the members the table places in
  // it (given sorted by number).
  bool GivesMembers(int32_t stream_num, const std::vector<int32_t>& members);

 private:
  // What one fetch reads: what the walk asks for (all when null), the filters of a stream.
  struct Request {
    const WalkRequest* walk;
    FilterChoice filters;
  };

  void Fetch(int32_t num, int32_t gen, CPdfObject& out, const Request& request);
  void FetchDirect(int32_t num,
                   int32_t gen,
                   const XRefEntry& entry,
                   CPdfObject& out,
                   const Request& request);
  // Reads "num gen obj" and its value from start, up to end (the end of the file when end is
  // not past start); with body, the stream's data lies there.
  void ReadAt(int32_t num,
              int32_t gen,
              int64_t start,
              int64_t end,
              const PdfOffset* body,
              const Request& request,
              CPdfObject& out);
  void FetchCompressed(int32_t num,
                       const XRefEntry& entry,
                       CPdfObject& out,
                       const Request& request);
  std::shared_ptr<CPdfObjStmData> GetObjStm(int32_t stream_num);
  // Member num's bytes in held_ and its frame (found once, kept with keep), false when its
  // stream does not give it.
  bool FrameMember(int32_t num,
                   const uint8_t** data,
                   const CPdfMemberFrames::Frame** frame,
                   bool keep);
  // Tells every observer.
  void Begin(uint64_t file_size, size_t entries) override;
  void Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) override;
  void FilePassDone() override;

  CPdfStream* stream_;
  CPdfInputFile* file_;
  const CPdfXRef& xref_;
  std::vector<CPdfNotesObserver*> observers_;
  CPdfObjectMap map_;
  CPdfObjStmCache objstms_;
  CPdfMemberFrames members_;
  int fetch_depth_ = 0;
  std::vector<int32_t> in_progress_;      // objects and object streams being fetched
  std::shared_ptr<CPdfObjStmData> held_;  // the stream the last bytes were viewed in
};

#endif  // QUILLTURN_SRC_READER_CPDF_FETCHER_H_
