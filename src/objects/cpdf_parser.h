#ifndef QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_

#include <cstdint>
#include <string>

#include "objects/cpdf_lexer.h"
#include "objects/cpdf_object.h"
#include "objects/pdf_key_filter.h"
#include "objects/stream_filters.h"
#include "streams/cpdf_stream.h"
#include "streams/pdf_stream_source.h"

class CPdfResolver;

// Builds values from the tokens the lexer finds in a stream. Tokens are lexed only when a value
// needs them: at most two past a number (for "n g R") and one past ">>" (for "stream"), so
// whatever follows a value is never read. Lenient: malformed input gives PDF_ERROR tokens or
// values of an unexpected kind; the only failure it raises itself is a stream body that is not
// followed by "endstream".
class CPdfParser {
 public:
  // Arrays and dictionaries nested deeper than this are refused ("Objects nested too deeply")
  // before they can exhaust the stack; real files stay far below it.
  static constexpr int kMaxNesting = 256;

  // Takes over the caller's reference to stream. Borrowed: the resolver, which becomes the
  // resolver of every container made. Reads nothing yet. Besides a missing
  // "endstream", the only failure is nesting beyond kMaxNesting.
  CPdfParser(CPdfResolver* resolver, CPdfStream* stream);
  CPdfParser(const CPdfParser&) = delete;
  CPdfParser& operator=(const CPdfParser&) = delete;
  virtual ~CPdfParser();

  // Parses one object into out (arriving in PDF_NONE). At the end gives PDF_EOF for ever.
  void ParseObject(CPdfObject& out);
  // When false, stream bodies are handed out as raw windows and their filters are not set up:
  // for callers that only need to know where a body lies.
  void SetDecodeStreams(bool decode) { decode_streams_ = decode; }
  // The filters stream bodies are decoded through (Flate alone unless set).
  void SetFilterChoice(FilterChoice choice) { filter_choice_ = choice; }
  // When set, only what the page-tree walk reads is built: a dictionary keeps of each key what
  // keys says, an array's nested containers arrive empty, and whatever else is stepped over
  // token by token. Memory then follows what the walk needs, not the file. nullptr builds all.
  void SetWalkKeys(PdfKeyFilter keys) { walk_keys_ = keys; }
  // For the walk: an array keeps no more than this many elements; the rest are stepped over
  // and stand as one PDF_ERROR element, which the walk refuses. Memory then follows what the
  // walk may visit, not what an object stream inflates to.
  void SetWalkArrayLimit(size_t limit) { walk_array_limit_ = limit; }
  // Where the body of the stream about to be parsed lies (file positions) when the caller
  // knows it already: it is taken as given, /Length and "endstream" are not read.
  void SetStreamBody(PdfOffset start, PdfOffset length) {
    body_known_ = true;
    body_start_ = start;
    body_length_ = length;
  }

 private:
  // How much of a value is built: all of it, what the walk reads, or only its kind (a
  // container then arrives empty).
  enum class Build { kAll, kWalk, kKind };

  void ParseObjectAt(CPdfObject& out, int depth, Build build);
  void ParseArray(CPdfObject& out, int depth, Build build);
  void ParseDictionary(CPdfObject& out, int depth, Build build);
  // Steps over the value that starts with first (already read), building nothing; refused
  // when it nests deeper than kMaxNesting counted from depth.
  void StepOverValue(const PdfToken& first, int depth);
  bool AtObjectEnd() { return lexer_.AtObjectEnd(); }
  void Drop() { lexer_.Next(); }
  void MakeValue(const PdfToken& token, const std::string& text, CPdfObject& out);
  void DecodeLiteralString(const std::string& text);
  // The body's stream, or null when it cannot be read. *has_dict tells whether the stream
  // offers dict: not when its body was read from no window on the file.
  CPdfStream* ReadStreamBody(const CPdfObject& dict, bool* has_dict);
  // out, a dictionary just past "stream", becomes the stream of that dictionary and its body
  // (PDF_ERROR when the body cannot be read).
  void MakeStream(CPdfObject& out);
  void SkipToLineEnd();
  int GetByte() { return stream_->NextByte(); }
  int PeekByte() { return stream_->PeekByte(); }

  CPdfResolver* resolver_;
  CPdfStream* stream_;
  CPdfLexer<PdfStreamSource> lexer_;
  bool decode_streams_ = true;
  FilterChoice filter_choice_ = FilterChoice::kFlate;
  bool body_known_ = false;
  PdfOffset body_start_ = 0;
  PdfOffset body_length_ = 0;
  PdfKeyFilter walk_keys_ = nullptr;
  size_t walk_array_limit_ = SIZE_MAX;
  std::string text_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
