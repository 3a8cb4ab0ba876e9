#ifndef QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_

#include <cstdint>
#include <string>

#include "objects/cpdf_object.h"
#include "streams/cpdf_stream.h"

class CPdfResolver;

// Builds values from the bytes of a stream with two tokens of look-ahead. Lenient: malformed
// input gives PDF_ERROR tokens or values of an unexpected kind; the only failure it raises
// itself is a stream body that is not followed by "endstream".
class CPdfParser {
 public:
  // Arrays and dictionaries nested deeper than this are refused ("Objects nested too deeply")
  // before they can exhaust the stack; real files stay far below it.
  static constexpr int kMaxNesting = 256;

  // Takes over the caller's reference to stream. Borrowed: the resolver, which becomes the
  // resolver of every container made. Reads the first two tokens at once. Besides a missing
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

 private:
  void ParseObjectAt(CPdfObject& out, int depth);
  void NextToken(CPdfObject& token);
  void ReadLiteralString(CPdfObject& token);
  void ReadHexString(CPdfObject& token);
  void ReadNumber(int first, CPdfObject& token);
  void ReadName(CPdfObject& token);
  void ReadWord(int first, CPdfObject& token);
  void Advance();
  CPdfStream* ReadStreamBody(const CPdfObject& dict);
  void SkipToLineEnd();
  int GetByte() { return stream_->NextByte(); }
  int PeekByte() { return stream_->PeekByte(); }

  CPdfResolver* resolver_;
  CPdfObject current_;
  CPdfObject next_;
  CPdfStream* stream_;
  bool decode_streams_ = true;
  std::string text_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
