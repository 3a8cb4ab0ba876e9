#ifndef QUILLTURN_SRC_READER_CPDF_TABLE_REBUILD_H_
#define QUILLTURN_SRC_READER_CPDF_TABLE_REBUILD_H_

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "objects/cpdf_object.h"
#include "reader/cpdf_xref_table.h"
#include "streams/pdf_offset.h"

class CPdfFetcher;
class CPdfNotesObserver;
class CPdfInputFile;
class CPdfStream;
class CPdfXRef;

// The object table made again from the object map's pass over the whole file, for -repair on
// a file whose cross-reference data cannot be used as it stands. Every "n g obj" that begins a
// whole object defines its number, the last in the file winning; the object streams among them
// give their members for the numbers no such object defines, the last stream winning. The
// trailer is the last "trailer" dictionary whose /Root leads to a dictionary, else the last
// cross-reference stream's dictionary that does, else one made of the last /Type /Catalog
// dictionary and the last /Info a trailer names. Linear in the file: two passes of the map, a
// third when object streams give members.
class CPdfTableRebuild {
 public:
  // Trailer dictionaries and cross-reference streams tried for a /Root, each kind from the
  // last; a trailer dictionary is read within this many bytes.
  static constexpr int kMostTries = 64;
  static constexpr PdfOffset kTrailerWindow = PdfOffset{1} << 20;
  // Object streams decoded to list their members: 64 MiB and 16 times the file at the most;
  // a stream left when that is spent refuses the file as damaged.
  static constexpr int64_t MostDecoded(int64_t file_size) {
    return (int64_t{64} << 20) + 16 * file_size;
  }

  // Borrowed: the document's whole-file stream (from the header) and file, and the observers
  // the reader over the table made tells (CPdfFetcher::AddObserver).
  CPdfTableRebuild(CPdfStream* stream,
                   CPdfInputFile* file,
                   std::vector<CPdfNotesObserver*> observers = {});
  CPdfTableRebuild(const CPdfTableRebuild&) = delete;
  CPdfTableRebuild& operator=(const CPdfTableRebuild&) = delete;
  ~CPdfTableRebuild();

  // The scan, the table and a reader over it; false when no trailer with a usable /Root could
  // be found or made.
  bool Run();
  // After Run: the reader, its map built; the fetcher reads through the sections.
  std::unique_ptr<CPdfXRef> TakeXRef();
  std::unique_ptr<CPdfFetcher> TakeFetcher();
  // The trailer's values (key without its slash -> bytes) where it was made here; empty when
  // the file writes it.
  const std::map<std::string, std::string>& MadeTrailer() const { return made_; }

 private:
  struct Found {
    int32_t num;
    int32_t gen;
    int64_t position;  // in the file: an object stream's members stand at the stream
  };
  // The first pass: the objects the map finds, with no table to trust.
  void Scan();
  void OpenReader(CPdfXRefTable table);
  // The object streams and cross-reference streams among the objects, in file order.
  void FindStreams();
  // The table with the members the object streams give; false when they give none.
  bool AddMembers(CPdfXRefTable* table);
  bool ChooseTrailer();
  bool TryTrailerAt(PdfOffset position, CPdfObject* info);
  bool TryXRefStream(const Found& stream, CPdfObject* info);
  // The trailer made of the last catalog; false when there is none.
  bool MakeTrailer(const CPdfObject& info);
  // Whether dict's /Root leads to a dictionary; its /Info, when it names one, into *info.
  bool UsableRoot(const CPdfObject& dict, CPdfObject* info);
  bool LeadsToDictionary(const CPdfObject& ref);

  CPdfStream* stream_;
  CPdfInputFile* file_;
  std::vector<CPdfNotesObserver*> observers_;
  PdfOffset header_offset_;
  CPdfXRefTable plain_;  // the objects found in the file
  std::vector<PdfOffset> trailers_;
  std::vector<Found> object_streams_;
  std::vector<Found> xref_streams_;
  std::unique_ptr<CPdfXRef> xref_;
  std::unique_ptr<CPdfFetcher> fetcher_;
  std::map<std::string, std::string> made_;
};

#endif  // QUILLTURN_SRC_READER_CPDF_TABLE_REBUILD_H_
