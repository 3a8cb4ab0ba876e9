#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CPdfCatalog;
class CPdfFileStream;
class CPdfInputFile;
class CPdfFetcher;
class CPdfNotesObserver;
class CPdfPageFactsStore;
class CPdfStream;
class CPdfXRef;

// An input PDF read from a file its caller opened: its cross-reference data and its checked
// catalog. Here too is decided which encrypted files are refused.
class CPdfDocument {
 public:
  // A copy lists every offset with the ten digits of a classic table's line, so larger inputs
  // are refused.
  static constexpr int64_t kMaxInputSize = 9999999999;

  CPdfDocument();
  CPdfDocument(const CPdfDocument&) = delete;
  CPdfDocument& operator=(const CPdfDocument&) = delete;
  ~CPdfDocument();

  // Reads file, which stays its caller's and must stay open until Close. With boxes, the
  // catalog's walk reads the pages' boxes too (CPdfCatalog::Load). With repair (-repair), a
  // page without /Resources reads as having none, and a file whose cross-reference data
  // cannot be used as it stands, or that fails to open through it, is read through a table
  // made again from the scan of the whole file (CPdfTableRebuild). observer, borrowed, is told
  // what the reader notes of each dictionary it steps over, while the document is open.
  void Open(CPdfInputFile& file,
            bool with_boxes = false,
            bool repair = false,
            CPdfNotesObserver* observer = nullptr);
  void Close();
  // Valid while open.
  CPdfFetcher* GetFetcher() const { return fetcher_.get(); }
  // The whole file as a stream, from its first byte.
  CPdfStream* GetStream() const;
  CPdfCatalog* GetCatalog() const { return catalog_.get(); }
  // The header token without its percent sign, e.g. "PDF-1.4". A file without one is refused.
  const std::string& GetVersion() const { return version_; }
  // The trailer's values for keys, as the copy writes them (CPdfRawTrailer::Read).
  std::map<std::string, std::string> ReadTrailer(const std::vector<std::string>& keys) const;

 private:
  void Load();
  void LoadSections();
  void LoadCatalog();
  // -repair: through the sections where they can be used as they stand, else through a table
  // made from the scan (false where none leads to a catalog), else through the sections as
  // they were read around.
  void LoadRepairing();
  bool LoadRebuilt();
  void DropReader();
  // The observers a reader tells, in order: the walk's page facts, then the caller's.
  std::vector<CPdfNotesObserver*> Observers() const;
  void ReadHeader();

  CPdfInputFile* file_ = nullptr;  // Borrowed.
  bool with_boxes_ = false;
  bool repair_ = false;
  CPdfNotesObserver* observer_ = nullptr;
  std::unique_ptr<CPdfPageFactsStore> page_facts_;
  std::map<std::string, std::string> made_trailer_;  // of a rebuilt table, when it made one
  CPdfFileStream* stream_ = nullptr;
  std::unique_ptr<CPdfXRef> xref_;
  std::unique_ptr<CPdfFetcher> fetcher_;
  std::unique_ptr<CPdfCatalog> catalog_;
  std::string version_;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
