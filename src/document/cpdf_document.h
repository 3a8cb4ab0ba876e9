#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_

#include <cstdio>
#include <memory>
#include <string>

class CPdfCatalog;
class CPdfFileStream;
class CPdfInputFile;
class CPdfFetcher;
class CPdfStream;
class CPdfXRef;

// An open input PDF: its file, its cross-reference data and its checked catalog.
class CPdfDocument {
 public:
  // Offsets are 32-bit in this program, so larger inputs are refused.
  static constexpr long kMaxInputSize = 0x7FFFFFFF;

  CPdfDocument();
  CPdfDocument(const CPdfDocument&) = delete;
  CPdfDocument& operator=(const CPdfDocument&) = delete;
  ~CPdfDocument();

  void Open(const char* path);
  // Reads a file that is already open; it must stay open until Close.
  void Open(FILE* file);
  void Close();
  // Valid while open.
  CPdfXRef* GetXRef() const { return xref_.get(); }
  CPdfFetcher* GetFetcher() const { return fetcher_.get(); }
  // The whole file as a stream, from its first byte.
  CPdfStream* GetStream() const;
  CPdfCatalog* GetCatalog() const { return catalog_.get(); }
  // The header token without its percent sign, e.g. "PDF-1.4". A file without one is refused.
  const std::string& GetVersion() const { return version_; }

 private:
  void Load();
  void ReadHeader();

  std::unique_ptr<CPdfInputFile> file_;  // Must outlive stream_: closed after it is released.
  CPdfFileStream* stream_ = nullptr;
  std::unique_ptr<CPdfXRef> xref_;
  std::unique_ptr<CPdfFetcher> fetcher_;
  std::unique_ptr<CPdfCatalog> catalog_;
  std::string version_;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_DOCUMENT_H_
