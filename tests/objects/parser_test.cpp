#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/cpdf_catalog.h"
#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_string.h"
#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "stream_read.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "test_files.h"
#include "value_text.h"

namespace {

// From memory; from memory building only what the page-tree walk reads; through
// a file window, as the reader parses, where stream bodies are read; the same with the
// filters of cross-reference and object streams.
enum class From { kMemory, kWalk, kFile, kStructure };

// A value as PDF syntax (ValueText); a keyword as k:word, an error as err, a stream as
// stream:its bytes.
std::string Describe(const CPdfObject& value) {
  switch (value.GetKind()) {
    case PDF_KEYWORD:
      return std::string("k:") + value.GetText();
    case PDF_ERROR:
      return "err";
    case PDF_STREAM:
      return "stream:" + ReadStream(value.GetStream(), 0);
    default:
      return ValueText(value);
  }
}

// Every value the parser gives for text, separated by " | ", or "throw:" and
// its message.
std::string ParseAll(const std::string& text, From from = From::kMemory) {
  TempDir dir;
  std::unique_ptr<CPdfInputFile> file;
  CPdfStream* stream;
  if (from == From::kFile || from == From::kStructure) {
    file = OpenInput(dir.Write("f.pdf", text));
    stream = CPdfFileStream::Create(file.get(), 0, 0);
  } else {
    stream = new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  }
  std::string out;
  try {
    CPdfParser parser(nullptr, stream);
    parser.SetWalkKeys(from == From::kWalk ? &CPdfCatalog::WalkKeep : nullptr);
    if (from == From::kStructure) {
      parser.SetFilterChoice(FilterChoice::kStructure);
    }
    for (int guard = 0; guard < 1000; ++guard) {
      CPdfObject value;
      parser.ParseObject(value);
      if (value.IsKind(PDF_EOF)) {
        break;
      }
      out += (out.empty() ? "" : " | ") + Describe(value);
    }
  } catch (const CPdfException& e) {
    return std::string("throw:") + e.GetMessage();
  }
  return out;
}

struct Case {
  std::string input;
  std::string expected;
  From from = From::kMemory;
  const char* name = nullptr;  // when the input makes no stable name
};

class ParserTest : public testing::TestWithParam<Case> {};

TEST_P(ParserTest, ParsesAsExpected) {
  EXPECT_EQ(GetParam().expected, ParseAll(GetParam().input, GetParam().from));
}

std::string Name(const testing::TestParamInfo<Case>& p) {
  return p.param.name ? p.param.name : ParamName(p.index, p.param.input);
}

Case Walk(const std::string& input, const std::string& expected) {
  return {input, expected, From::kWalk};
}

Case File(const std::string& input, const std::string& expected) {
  return {input, expected, From::kFile};
}

INSTANTIATE_TEST_SUITE_P(
    Lexical,
    ParserTest,
    testing::Values(Case{"(a(b)c\\)\\053\\0053\\q\\777\\\r\nd\r\n\\n\\r\\t\\b\\f)",
                         "(a\\(b\\)c\\)+\\0053q\\377d\\r\\n\\n\\r\\t\\b\\f)"},
                    Case{"(open", "(open)"},
                    Case{"<48 65> <>", "<48 65> | <>"},
                    // A bad escape stays as written; an escaped zero ends the name.
                    Case{"/A#20B /A#zB /A#4x /A#00B /Type/Page",
                         "/A#20B | /A#23zB | /A#234x | /A | /Type | /Page"},
                    Case{"- .5 1.2.3 +5 1e5 12abc",
                         "0 | 0.500000000 | 1.200000000 | 5 | 1 | k:e5 | 12 | k:abc"},
                    Case{"True true null false endstream<<",
                         "k:True | true | null | false | k:endstream | << >>"},
                    Case{"4294967297 -9223372036854775808 -2147483649 99999999999999999999",
                         "4294967297 | -9223372036854775808 | -2147483649 | "
                         "100000000000000000000.000000000"},
                    Case{"1 0 R 1 0 obj", "1 0 R | 1 | 0 | k:obj"},
                    Case{") { } > % ) comment\n7", "err | err | err | err | 7"},
                    Case{"[1 /A (s)] ]", "[ 1 /A (s) ] | k:]"}),
    Name);

INSTANTIATE_TEST_SUITE_P(
    Containers,
    ParserTest,
    testing::Values(
        // A key given twice with two values is damage (readers take the last), with one value
        // no doubt; a key whose value is an error, or no name, is dropped.
        Case{"<< /A 1 /A 2 >>", "throw:PDF file was damaged"},
        Case{"<< /A /N /A /N >>", "<< /A /N >>"},
        Case{"<< /A ) /B 2 >>", "<< /B 2 >>"},
        Case{"<< 5 /B 2 >>", "<< /B 2 >>"},
        Case{"<< /A >> /B 1 >>", "<< >> | /B | 1 | k:>>"},
        Case{"<< /K [1 2 0 R] /D << /E true >> >>", "<< /D << /E true >> /K [ 1 2 0 R ] >>"},
        // References in an array, whole or broken by a comment, and
        // what only looks like one.
        Case{"[3 0 R 4 -1 R 5 0 %c\nR 6.0 0 R 7 0 R8 9 0 obj",
             "[ 3 0 R 4 -1 R 5 0 R 6.000000000 0 null 7 0 null ] | 9 | 0 | k:obj"},
        // The end of input closes whatever is open.
        Case{"[1 [2", "[ 1 [ 2 ] ]"},
        Case{"<< /A [1", "<< /A [ 1 ] >>"},
        // Without a file behind the parser a stream body is stepped over and
        // gives err.
        Case{"<< /Length 3 >> stream\nabc\nendstream 7", "err | 7"}),
    Name);

// For the page-tree walk only its keys are built, yet every value ends where a
// whole parse ends it: what follows reads the same.
INSTANTIATE_TEST_SUITE_P(
    WalkOnly,
    ParserTest,
    testing::Values(Walk("<< /Type /Page /MediaBox [0 0 1 1] /Rotate 90 >> 7",
                         "<< /Rotate 90 /Type /Page >> | 7"),
                    Walk("<< /Resources << /Font << /F 1 0 R >> >> /Annots [1 0 R] /Parent "
                         "2 0 R >>",
                         "<< /Annots [ ] /Parent 2 0 R /Resources << >> >>"),
                    Walk("<< /Kids [3 0 R << /Type /Page /Contents [1 2] >> [4]] /Count 2 "
                         ">>",
                         "<< /Count 2 /Kids [ 3 0 R << /Type /Page >> [ ] ] >>"),
                    Walk("[<< /Kids [] /X [[]] >> [[] []] 5 0 R]", "[ << /Kids [ ] >> [ ] 5 0 R ]"),
                    // A skipped value is one value: a reference whole, a name alone.
                    Walk("<< /X 1 0 R /Y /Type /Type /Pages >>", "<< /Type /Pages >>"),
                    // Delimiters close only what the whole parse closes with them.
                    Walk("<< /X [ >> ] /Type /Page >> 7", "<< /Type /Page >> | 7"),
                    Walk("<< /X << ] [ /A 1 >> /Type /Page >> 7", "<< /Type /Page >> | 7"),
                    Walk("<< /X << /A ) >> /Rotate 90 >> 7", "<< /Rotate 90 >> | 7"),
                    Walk("<< /S [[1 2 endobj", "<< >> | k:endobj"),
                    Walk("<< /Resources << /A [1 >> ] >> /Count 1 >>",
                         "<< /Count 1 /Resources << >> >>")),
    Name);

INSTANTIATE_TEST_SUITE_P(
    StreamBodies,
    ParserTest,
    testing::Values(File("<< /Length 5 >> stream\nhello\nendstream endobj",
                         "stream:hello | k:endobj"),
                    File("<< /Length 2 >>stream\r\nhe endstream endobj", "stream:he | k:endobj"),
                    File("<< /Length 4 >> stream\nhello\nendstream", "throw:Missing 'endstream'"),
                    // A missing or negative /Length leaves the stream unread: an error
                    // value, then the rest.
                    File("<< /Length -2 >> stream\nab", "err | k:ab"),
                    File("<< >> stream", "err"),
                    // A /Length far beyond the file does not allocate or read past it.
                    File("<< /Length 2147483647 /Filter /FlateDecode >> stream\nab",
                         "throw:Missing 'endstream'"),
                    // Declined filters skip the body.
                    File("<< /Length 2 /Filter /LZWDecode >> stream\nab\nendstream 3", "err | 3")),
    Name);

// Which filter a dictionary chooses and how its parameters are read (the
// predictors themselves: tests/streams): rows of PNG Up data compressed here,
// and what they decode to.
const std::string kRows = std::string("\x02") + "abcde\x02\x01\x01\x01\x01\x01";
const std::string kUp = "abcdebcdef";

Case Decoded(const char* name,
             const std::string& entries,
             const std::string& decoded = "",
             From from = From::kFile,
             const std::string& body = Deflate(kRows)) {
  return {"<< " + entries + " /Length " + std::to_string(body.size()) + " >> stream\n" + body +
              "\nendstream",
          decoded.empty() ? "err" : "stream:" + decoded, from, name};
}

// The rows encoded as entries name their filters (ASCII85 where it names one, else ASCIIHex;
// compressed where it names Flate), read as a cross-reference or object stream.
Case Structure(const char* name, const std::string& entries, const std::string& decoded = "") {
  const std::string data = entries.find("Fl") != std::string::npos ? Deflate(kRows) : kRows;
  const bool a85 = entries.find("85") != std::string::npos;
  return Decoded(name, entries, decoded, From::kStructure,
                 a85 ? Ascii85Encode(data) : AsciiHexEncode(data));
}

INSTANTIATE_TEST_SUITE_P(
    Flate,
    ParserTest,
    testing::Values(
        Decoded("AbbreviatedKeyUnderNullFilter", "/Filter null /F /FlateDecode", kRows),
        Decoded("AbbreviatedName", "/Filter /Fl /DecodeParms << /Predictor 12 /Columns 5 >>", kUp),
        Decoded("AbbreviatedParms", "/Filter /Fl /DP << /Predictor 12 /Columns 5 >>", kUp),
        Decoded("ParmsArrayOfTwoRefused", "/Filter /Fl /DecodeParms [null null]"),
        Decoded("ParmsArrayOfNumberRefused", "/Filter /Fl /DecodeParms [5]"),
        Decoded("RealPredictorIgnored",
                "/Filter [FlateDecode] /DecodeParms << /Predictor 12.0 >>",
                kRows),
        Decoded("LowerCaseRefused", "/Filter /flatedecode"),
        Decoded("LongerNameRefused", "/Filter /FlateDecodeX"),
        Decoded("KeywordRefused", "/Filter FlateDecode"),
        Decoded("ChainRefused", "/Filter [/FlateDecode /ASCIIHexDecode]"),
        Decoded("EmptyChainRefused", "/Filter []"),
        Decoded("OtherFilterRefused", "/Filter /DCTDecode"),
        // Other streams than the file's structure are never decoded through them.
        Decoded("AsciiOutsideTheStructureRefused",
                "/Filter /AHx",
                "",
                From::kFile,
                AsciiHexEncode(kRows))),
    Name);

// The chains of cross-reference and object streams: an ASCII filter alone or before Flate,
// without parameters of its own, as readers decode them.
INSTANTIATE_TEST_SUITE_P(
    StructureFilters,
    ParserTest,
    testing::Values(
        Structure("HexAlone", "/Filter /ASCIIHexDecode", kRows),
        Structure("A85InArrayNullParms", "/Filter [/A85] /DecodeParms [null]", kRows),
        Structure("HexFlatePredictor",
                  "/Filter [/AHx /Fl] /DecodeParms [null << /Predictor 12 /Columns 5 >>]",
                  kUp),
        Structure("A85FlateUnderShortKeys",
                  "/F [/ASCII85Decode /FlateDecode] /DP [null null]",
                  kRows),
        Structure("PredictorOnHexRefused",
                  "/Filter [/AHx /Fl] /DecodeParms [<< /Predictor 12 /Columns 5 >> null]"),
        Structure("EmptyParmsOnHexRefused", "/Filter /AHx /DecodeParms << >>"),
        Structure("OneParmsForTwoRefused", "/Filter [/AHx /Fl] /DecodeParms << /Columns 5 >>"),
        Structure("ParmsArrayTooShortRefused", "/Filter [/A85 /Fl] /DecodeParms [null]"),
        Structure("FlateBeforeHexRefused", "/Filter [/Fl /AHx]"),
        Structure("TwoAsciiRefused", "/Filter [/AHx /A85]"),
        Structure("ThreeRefused", "/Filter [/AHx /Fl /Fl]")),
    Name);

// The look-ahead stops at the token after the value: a large file is not read
// on.
TEST(ParserLookAheadTest, StopsAtTheTokenAfterTheValue) {
  for (const std::string object : {"1 0 obj << /A 1 >> endobj", "1 0 obj 42 endobj",
                                   "1 0 obj 5 0 R", "1 0 obj [1 2 3]", "1 0 obj /Name"}) {
    const std::string text = object + std::string(100000, ' ') + "2 0 obj";
    auto* stream = new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    stream->AddRef();
    {
      CPdfParser parser(nullptr, stream);
      for (int i = 0; i < 4; ++i) {
        CPdfObject value;
        parser.ParseObject(value);
      }
    }
    EXPECT_EQ(object.size(), stream->Tell()) << object;
    stream->Release();
  }
}

}  // namespace
