#ifndef QUILLTURN_SRC_READER_CPDF_OBJECT_MAP_H_
#define QUILLTURN_SRC_READER_CPDF_OBJECT_MAP_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "objects/cpdf_lexer.h"
#include "reader/cpdf_dictionary_notes.h"
#include "reader/cpdf_entry_places.h"
#include "reader/cpdf_header_probe.h"
#include "reader/cpdf_line_headers.h"
#include "reader/cpdf_notes_observer.h"
#include "reader/cpdf_stream_bodies.h"
#include "reader/cpdf_stream_body_finder.h"
#include "reader/cpdf_xref_table.h"
#include "streams/pdf_file_source.h"

class CPdfInputFile;

// Where every object of the file stands and ends, found in one pass of the scanner from the
// header to the end of the file: every "n g obj" outside other objects, through its "endobj".
// A stream's body is stepped over by its /Length when "endstream" follows it (white space and
// comments between), whatever the body holds (an attachment's own "endstream"); only when the
// /Length is absent or wrong is the first "endstream" searched for, and never past the next
// object that an entry of the table leads to. Older definitions of a number (incremental updates)
// are kept, each by position. What each dictionary's step noted is told to an observer, which
// keeps what it needs. Memory: 25 bytes per object, 24 more per stream; objects take at least
// seven bytes each.
class CPdfObjectMap {
 public:
  // What the copy writes after an object's bytes: nothing (they end with "endobj" and a line
  // end), a line feed ("endobj" ends the file or a non-white byte follows), "endobj" (the
  // object has none: the next header, a keyword of the file's structure or the end follows its
  // value), or "endstream" and "endobj" (a body that only its /Length bounds).
  enum class Tail : uint8_t { kNone, kLineFeed, kEndobj, kEndstream };
  struct Object {
    PdfOffset start;   // the header's first byte
    PdfOffset length;  // to the end of its bytes (see Tail)
    int32_t num;
    int32_t gen;
  };
  using LengthOf = CPdfStreamBodyFinder::LengthOf;

  void Build(CPdfInputFile* file,
             PdfOffset header_offset,
             const CPdfXRefTable& table,
             const LengthOf& length_of,
             CPdfNotesObserver* observer = nullptr);
  bool IsBuilt() const { return built_; }
  // Asked before Build, for a table rebuilt from the scan (CPdfTableRebuild): the pass takes
  // headers as readers rebuilding a table do ("obj" set apart from the generation, the number
  // not run into the token before it), notes where each "trailer" outside the objects ends, and
  // no object takes a header that begins a line with it (a string left open or closed by a
  // stray ")", a body that no "endstream" ends, a hex string a stray "<" opened): the pass goes
  // back to that header, and a damaged object ends there; only a stream's data keeps what it
  // holds. Past a file's size read twice so, every object ends at such a header at the latest.
  void ForRebuild() { rebuild_ = true; }
  const std::vector<PdfOffset>& Trailers() const { return trailers_; }

  size_t Count() const { return objects_.size(); }
  const Object& At(size_t index) const { return objects_[index]; }
  Tail TailOf(size_t index) const { return static_cast<Tail>(flags_[index] & kTailBits); }
  // A string that runs to the end of the file, or a body whose end nothing tells: no framing
  // keeps the object's bytes apart from what follows.
  bool IsDamaged(size_t index) const { return (flags_[index] & kDamaged) != 0; }
  // A header that neither a value nor "endobj" follows: the next header or a keyword of the
  // file's structure does.
  bool IsUnended(size_t index) const {
    return (flags_[index] & kNoValue) != 0 && TailOf(index) == Tail::kEndobj;
  }
  // The data of a stream object (file positions), false for other objects.
  bool BodyOf(size_t index, PdfOffset* start, PdfOffset* length) const;
  // Whether the body's end was searched for: its /Length is absent or wrong.
  bool BodySearched(size_t index) const { return (flags_[index] & kSearched) != 0; }
  // The object num's entry leads to: its header of num and the entry's generation where the
  // entry leads, or past white space and comments there; -1 otherwise.
  int64_t Honoured(int32_t num) const;
  // The same by the entry's index in the table.
  int64_t HonouredEntry(size_t entry) const { return entry_objects_[entry]; }
  // The last object in the file with num and gen (with gen negative, of num's highest
  // generation); -1 when there is none.
  int64_t Last(int32_t num, int32_t gen) const;
  // Whether num's header stands where its entry leads although the pass did not take it there.
  bool HeaderAtEntry(int32_t num) const;

 private:
  using Lexer = CPdfLexer<PdfFileSource>;
  static constexpr uint8_t kTailBits = 3;
  static constexpr uint8_t kDamaged = 4;
  static constexpr uint8_t kHasBody = 8;
  static constexpr uint8_t kSearched = 16;
  static constexpr uint8_t kNoValue = 32;
  // The scanner's one pass from the header to the end of the file.
  void Pass();
  // In a rebuild, whether "num gen obj" (the tokens before t, t) stand apart from each other
  // and from the byte before them, as a header must to count.
  bool SetApart(const PdfToken before[2], const PdfToken& t) const;
  // After an object's scan in a rebuild: where it ran over a header that begins a line, other
  // than in a stream's data, the pass goes back to that header (a damaged object ends there).
  void EndAtLineHeader(Lexer& lexer, size_t index);
  // Whether position lies in the object's stream data.
  bool InData(size_t index, uint64_t position) const;
  void AdoptStrayEntries();
  // Marks the entries the pass did not match whose header stands where they lead; how many.
  size_t FindStrayHeaders();
  // The objects back in file order after those read from stray entries.
  void SortIntoFileOrder();
  // Which object each entry leads to (entry_objects_).
  void MatchEntries();
  bool Honours(size_t index, int64_t position, int32_t num, int32_t gen) const;

  // One object's scan: where it starts, its index, whether its entry leads to it, and the next
  // object an entry leads to (found when first needed).
  struct Scan {
    uint64_t start = 0;
    size_t index = 0;
    bool current = false;
    uint64_t next = UINT64_MAX;
  };
  void ScanObject(Lexer& lexer, int32_t num, int32_t gen, uint64_t start);
  // With "<<" just read: the dictionary and a stream's body after it; the end of the value.
  int64_t ScanDictionary(Lexer& lexer, const PdfToken& open, Scan* scan, uint8_t* flags);
  // The tokens from the value's end through "endobj": the object's extent and tail.
  void ScanTail(Lexer& lexer, int64_t value_end, uint8_t flags, Scan* scan);
  uint64_t NextTrustedOf(Scan* scan);
  // With the lexer just past "stream": steps over the body, which ends before limit, and notes
  // it; the end of the value, or -1 when nothing tells where the body ends.
  int64_t ScanBody(Lexer& lexer, const PdfDictEntry* length, size_t object, uint64_t limit);
  // Whether the object at start is the one its number's entry leads to.
  bool IsCurrent(int32_t num, int32_t gen, uint64_t start) const;
  // The first position past from that an entry leads to with its header there, else the end of
  // the file.
  uint64_t NextTrusted(uint64_t from);

  CPdfInputFile* file_ = nullptr;
  const CPdfXRefTable* table_ = nullptr;
  PdfOffset header_offset_ = 0;
  uint64_t size_ = 0;
  CPdfStreamBodyFinder body_finder_;
  std::vector<Object> objects_;  // in file order
  std::vector<uint8_t> flags_;
  CPdfHeaderProbe probe_;
  std::unique_ptr<CPdfLineHeaders> line_headers_;  // in a rebuild only
  uint64_t read_again_ = 0;                        // bytes a rebuild's pass went back over
  bool ends_at_line_headers_ = false;
  CPdfNotesObserver* observer_ = nullptr;
  CPdfStreamBodies bodies_;
  CPdfDictionaryNotes notes_;           // of the dictionary being scanned
  std::vector<int32_t> entry_objects_;  // by entry index: the object it leads to, or -1
  std::vector<bool> header_at_entry_;   // by entry index: unmatched, with its header there
  // Object indexes by number, generation and position; made on the first lookup by number.
  mutable std::vector<uint32_t> by_number_;
  CPdfEntryPlaces places_;
  std::vector<PdfOffset> trailers_;  // past each top-level "trailer", when noted
  bool rebuild_ = false;
  bool built_ = false;
};

#endif  // QUILLTURN_SRC_READER_CPDF_OBJECT_MAP_H_
