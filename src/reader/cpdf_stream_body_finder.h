#ifndef QUILLTURN_SRC_READER_CPDF_STREAM_BODY_FINDER_H_
#define QUILLTURN_SRC_READER_CPDF_STREAM_BODY_FINDER_H_

#include <cstdint>
#include <functional>
#include <unordered_map>

#include "objects/cpdf_lexer.h"
#include "streams/pdf_file_source.h"

class CPdfInputFile;

// Where a stream's data ends, for the object map's pass: by its /Length when "endstream"
// follows the data (white space and comments between), whatever the data holds; else at the
// first "endstream"; else by a /Length that nothing but "endobj" or the next object follows.
class CPdfStreamBodyFinder {
 public:
  using Lexer = CPdfLexer<PdfFileSource>;
  // The value of /Length n g R, -1 when it is no usable length.
  using LengthOf = std::function<int64_t(int32_t num, int32_t gen)>;
  struct Body {
    uint64_t start = 0;  // the data's first byte
    uint64_t length = 0;
    int64_t declared = -1;  // the /Length's value, -1 when it is no usable length
    bool bare = false;      // no "endstream" follows: only the /Length bounds the data
  };

  // Borrowed: file. References to /Length values are resolved through length_of, each once.
  void Start(CPdfInputFile* file, const LengthOf& length_of);
  // The pass is over: nothing more is resolved.
  void Finish();

  bool IsLengthKey(Lexer& lexer, const PdfToken& key) const;
  // With the lexer just past "stream": steps to the data, after the line end. When "endstream"
  // follows the data that length declares, within limit, the end of the value, the lexer past
  // it; else -1. body's start and declared are set either way.
  int64_t ByLength(Lexer& lexer, const PdfDictEntry* length, uint64_t limit, Body* body);
  // When ByLength gave -1: the end of the first "endstream" before limit, or of a /Length that
  // fits and that only "endobj" or the next object follows (body->bare); -1 when nothing tells,
  // the lexer at limit.
  int64_t BySearch(Lexer& lexer, uint64_t limit, Body* body) const;

 private:
  int64_t LengthValue(const PdfDictEntry& entry);
  // A direct /Length that is no integer of 32 bits: its value when it is a larger one.
  int64_t LongLength(const PdfToken& value) const;
  // The end of the first "endstream" in [from, limit), -1 when there is none.
  int64_t FindEndstream(uint64_t from, uint64_t limit) const;

  CPdfInputFile* file_ = nullptr;
  LengthOf length_of_;
  std::unordered_map<int64_t, int64_t> lengths_;  // resolved /Length references
};

#endif  // QUILLTURN_SRC_READER_CPDF_STREAM_BODY_FINDER_H_
