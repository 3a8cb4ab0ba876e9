#ifndef QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_

#include <cstdint>
#include <string>

#include "objects/cpdf_lexer.h"
#include "objects/cpdf_object.h"
#include "streams/cpdf_stream.h"

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

 private:
  // A token lexed ahead, with its bytes.
  struct Lexed {
    PdfToken token;
    std::string text;
  };
  // Room for three tokens, a power of two for the ring's index.
  static constexpr int kLookAhead = 4;

  void ParseObjectAt(CPdfObject& out, int depth);
  void ParseDictionary(CPdfObject& out, int depth);
  // The token k places ahead (0 to 2), lexed when first asked for.
  const Lexed& Look(int k);
  bool AtObjectEnd();
  void Drop();
  void MakeValue(const Lexed& lexed, CPdfObject& out);
  void DecodeLiteralString(const std::string& text);
  // The token's integer when it is one that fits 32 bits.
  bool Int32Of(const Lexed& lexed, int32_t* value);
  CPdfStream* ReadStreamBody(const CPdfObject& dict);
  void SkipToLineEnd();
  int GetByte() { return stream_->NextByte(); }
  int PeekByte() { return stream_->PeekByte(); }

  CPdfResolver* resolver_;
  CPdfStream* stream_;
  CPdfLexer<PdfStreamSource> lexer_;
  Lexed ahead_[kLookAhead];
  int head_ = 0;
  int count_ = 0;
  bool decode_streams_ = true;
  std::string text_;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_PARSER_H_
