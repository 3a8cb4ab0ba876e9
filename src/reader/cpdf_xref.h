#ifndef QUILLTURN_SRC_READER_CPDF_XREF_H_
#define QUILLTURN_SRC_READER_CPDF_XREF_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "objects/cpdf_object.h"
#include "reader/cpdf_xref_table.h"
#include "streams/pdf_offset.h"

class CPdfDictionary;
class CPdfParser;
class CPdfStream;

// Loads every cross-reference section of the /Prev chain into one table and keeps the newest
// trailer.
class CPdfXRef {
 public:
  // Object numbers stop at 8,388,607, the format's own limit.
  static constexpr int32_t kMaxObjects = 8388608;
  // A /Prev chain longer than this is refused rather than followed.
  static constexpr int kMaxSections = 10000;
  // Widest field of a cross-reference stream record, in bytes.
  static constexpr int32_t kMaxFieldWidth = 16;
  // Cross-reference stream records a file may hold in all: 2^20, and one per four bytes of it.
  static constexpr int64_t MostRecords(int64_t file_size) {
    return (int64_t{1} << 20) + file_size / 4;
  }

  CPdfXRef();
  CPdfXRef(const CPdfXRef&) = delete;
  CPdfXRef& operator=(const CPdfXRef&) = delete;
  ~CPdfXRef();

  // Borrowed: the document's whole-file stream, positioned at the header.
  void Load(CPdfStream* stream);

  // A table made from a scan of the file instead (CPdfTableRebuild), finished.
  void Adopt(CPdfStream* stream, CPdfXRefTable table);
  // Its trailer: a dictionary written at trailer_at in the file, or -1 where the rebuild made it.
  void AdoptTrailer(const CPdfObject& trailer, int64_t trailer_at);

  int32_t GetRootNum() const { return root_num_; }
  int32_t GetRootGen() const { return root_gen_; }
  const CPdfObject& GetTrailer() const { return trailer_; }
  // Where the newest trailer's dictionary is written: after a classic table's "trailer", or
  // the cross-reference stream's object (a file position).
  int64_t GetTrailerPosition() const;
  const CPdfXRefTable& GetTable() const { return table_; }
  PdfOffset GetHeaderOffset() const { return header_offset_; }
  // The offset the file's last startxref gives: where its newest section stands.
  int64_t GetStartXRef() const { return trailer_section_; }
  // Whether the newest section is a cross-reference stream (else a classic table).
  bool NewestIsStream() const { return trailer_dict_at_ < 0; }
  // Whether the sections were read around damage: a subsection shifted back by one, a /Prev
  // chain that comes back to a section, a /Prev or /XRefStm of no usable kind.
  bool ReadAround() const { return read_around_; }

 private:
  bool ReadPrevOf(const CPdfDictionary& dict, int64_t* prev);
  bool ReadSection(int64_t offset, int64_t* prev);
  // With the parser just past "xref" in window.
  bool ReadTable(CPdfStream* window, CPdfParser& parser, int64_t* prev);
  // A subsection's lines, the first numbered first: those in use go into the table, the free
  // ones wait in section_free_.
  void AddSubsection(int32_t first, const std::vector<XRefEntry>& lines);
  // With the parser just past "trailer", whose dictionary stands at dict_at (a file position).
  bool ReadTableTrailer(CPdfParser& parser, uint64_t dict_at, int64_t* prev);
  // A subsection of count lines that says it starts at 1 but whose first line is the free
  // head of the list ("0000000000 65535 f"): a producer slip when the lines' offsets lead to
  // the headers of the numbers one lower.
  bool StartsOneLow(int32_t first, const std::vector<XRefEntry>& lines);
  bool HeaderAt(int64_t offset, int32_t num, int32_t gen);
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

  CPdfStream* stream_ = nullptr;  // Borrowed from the document.
  PdfOffset header_offset_ = 0;
  int64_t file_size_ = 0;
  int64_t trailer_section_ = 0;   // the newest section, whose dictionary is the trailer
  int64_t trailer_dict_at_ = -1;  // in the file, after that section's "trailer" when it has one
  CPdfXRefTable table_;
  int64_t records_in_section_ = 0;
  int64_t records_read_ = 0;  // by every cross-reference stream of the file
  int32_t root_num_ = 0;
  int32_t root_gen_ = 0;
  CPdfObject trailer_;
  std::set<int64_t> visited_sections_;
  int sections_read_ = 0;
  bool read_around_ = false;
  // Entries the current classic section marks free: a hybrid file's stream may fill them.
  std::vector<std::pair<int32_t, XRefEntry>> section_free_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_XREF_H_
