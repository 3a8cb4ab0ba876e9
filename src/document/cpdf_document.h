#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_

#include <cstdint>
#include <memory>
#include <string>

class CPdfCatalog;
class CPdfFileStream;
class CPdfNotesObserver;
class CPdfPageFactsStore;
class CPdfInputFile;
class CPdfFetcher;
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
  // catalog's walk reads the pages' boxes too (CPdfCatalog::Load). observer, borrowed, is told
  // what the reader notes of each dictionary it steps over, while the document is open.
  void Open(CPdfInputFile& file, bool with_boxes = false, CPdfNotesObserver* observer = nullptr);
  void Close();
  // Valid while open.
  CPdfFetcher* GetFetcher() const { return fetcher_.get(); }
  // The whole file as a stream, from its first byte.
  CPdfStream* GetStream() const;
  CPdfCatalog* GetCatalog() const { return catalog_.get(); }
  // The header token without its percent sign, e.g. "PDF-1.4". A file without one is refused.
  const std::string& GetVersion() const { return version_; }

 private:
  void Load();
  void ReadHeader();

  CPdfInputFile* file_ = nullptr;  // Borrowed.
  bool with_boxes_ = false;
  CPdfNotesObserver* observer_ = nullptr;
  std::unique_ptr<CPdfPageFactsStore> page_facts_;
  CPdfFileStream* stream_ = nullptr;
  std::unique_ptr<CPdfXRef> xref_;
  std::unique_ptr<CPdfFetcher> fetcher_;
  std::unique_ptr<CPdfCatalog> catalog_;
  std::string version_;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
