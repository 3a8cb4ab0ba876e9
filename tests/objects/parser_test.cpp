#include <gtest/gtest.h>

#include <cstdio>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_string.h"
#include "param_name.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "streams/cpdf_stream.h"
#include "test_files.h"

namespace {

// A compact text of a value: 5, r0.5, /Name, (lit), <hex>, k:obj, [1 2], <</A 1>>, 3 0 R, null,
// err, stream.
std::string Describe(const CPdfObject& value) {
  switch (value.GetKind()) {
    case PDF_BOOL:
      return value.GetBool() ? "true" : "false";
    case PDF_INT:
      return std::to_string(value.GetInt());
    case PDF_REAL: {
      char buf[32];
      std::snprintf(buf, sizeof(buf), "%g", value.GetReal());
      return std::string("r") + buf;
    }
    case PDF_TEXT:
      return std::string("t:") + value.GetText();
    case PDF_STRING: {
      const CPdfString* s = value.GetString();
      std::string bytes(reinterpret_cast<const char*>(s->GetData()), s->GetLength());
      return s->IsLiteral() ? "(" + bytes + ")" : "<" + bytes + ">";
    }
    case PDF_NAME:
      return std::string("/") + value.GetText();
    case PDF_NULL:
      return "null";
    case PDF_ARRAY: {
      std::string out = "[";
      for (int32_t i = 0; i < value.GetArray()->GetCount(); ++i) {
        out += (i ? " " : "") + Describe(value.GetArray()->At(i));
      }
      return out + "]";
    }
    case PDF_DICT: {
      std::string out = "<<";
      bool first = true;
      for (const auto& [key, v] : value.GetDict()->GetEntries()) {
        out += (first ? "/" : " /") + key + " " + Describe(v);
        first = false;
      }
      return out + ">>";
    }
    case PDF_STREAM:
      return "stream";
    case PDF_REF:
      return std::to_string(value.GetRefNum()) + " " + std::to_string(value.GetRefGen()) + " R";
    case PDF_KEYWORD:
      return std::string("k:") + value.GetText();
    case PDF_ERROR:
      return "err";
    case PDF_EOF:
      return "eof";
    case PDF_NONE:
      return "none";
  }
  return "?";
}

// Every value the parser gives for text, until the end of input, separated by " | ".
std::string ParseAll(const std::string& text, bool walk_only = false) {
  CPdfParser parser(
      nullptr, new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  parser.SetWalkOnly(walk_only);
  std::string out;
  for (int guard = 0; guard < 1000; ++guard) {
    CPdfObject value;
    parser.ParseObject(value);
    if (value.IsKind(PDF_EOF)) {
      break;
    }
    out += (out.empty() ? "" : " | ") + Describe(value);
  }
  return out;
}

struct Case {
  const char* input;
  const char* expected;
};

class ParserTokens : public testing::TestWithParam<Case> {};

TEST_P(ParserTokens, ParsesAsExpected) {
  EXPECT_EQ(GetParam().expected, ParseAll(GetParam().input)) << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(Lexical,
                         ParserTokens,
                         testing::Values(Case{"(a(b)c)", "(a(b)c)"},
                                         Case{"(a\\)b)", "(a)b)"},
                                         Case{"(\\053)", "(+)"},
                                         Case{"(\\0053)",
                                              "(\x05"
                                              "3)"},
                                         Case{"(\\q)", "(q)"},
                                         Case{"(\\777)", "(\xFF)"},
                                         Case{"(a\\\r\nb)", "(ab)"},
                                         Case{"(a\r\nb)", "(a\r\nb)"},
                                         Case{"(\\n\\r\\t\\b\\f)", "(\n\r\t\b\f)"},
                                         Case{"(open", "(open)"},
                                         Case{"<48 65>", "<48 65>"},
                                         Case{"<>", "<>"},
                                         Case{"/A#20B", "/A B"},
                                         Case{"/A#zB", "/A#zB"},
                                         Case{"/A#4x", "/A#4x"},
                                         Case{"/A#00B", "/A"},
                                         Case{"/Type/Page", "/Type | /Page"},
                                         Case{"-", "0"},
                                         Case{".5", "r0.5"},
                                         Case{"1.2.3", "r1.2"},
                                         Case{"+5", "5"},
                                         Case{"1e5", "1 | k:e5"},
                                         Case{"12abc", "12 | k:abc"},
                                         Case{"True true", "k:True | true"},
                                         Case{"null false", "null | false"},
                                         Case{"4294967297", "4294967297"},
                                         Case{"-9223372036854775808", "-9223372036854775808"},
                                         Case{"99999999999999999999", "r1e+20"},
                                         Case{"-2147483649", "-2147483649"},
                                         Case{"1 0 R", "1 0 R"},
                                         Case{"1 0 obj", "1 | 0 | k:obj"},
                                         Case{") { } >", "err | err | err | err"},
                                         Case{"% comment only", ""},
                                         Case{"[1 /A (s)] ]", "[1 /A (s)] | k:]"}),
                         [](const testing::TestParamInfo<Case>& p) {
                           return ParamName(p.index, p.param.input);
                         });

INSTANTIATE_TEST_SUITE_P(
    Containers,
    ParserTokens,
    testing::Values(Case{"<< /A 1 /A 2 >>", "<</A 1>>"},
                    Case{"<< /A ) /B 2 >>", "<</B 2>>"},
                    Case{"<< 5 /B 2 >>", "<</B 2>>"},
                    Case{"<< /A >> /B 1 >>", "<<>> | /B | 1 | k:>>"},
                    Case{"<< /K [1 2 0 R] /D << /E true >> >>", "<</D <</E true>> /K [1 2 0 R]>>"},
                    // The end of input closes whatever is open.
                    Case{"[1 [2", "[1 [2]]"},
                    Case{"<< /A [1", "<</A [1]>>"},
                    // Without a file behind the parser a stream body is stepped over and gives err.
                    Case{"<< /Length 3 >> stream\nabc\nendstream 7", "err | 7"}),
    [](const testing::TestParamInfo<Case>& p) { return ParamName(p.index, p.param.input); });

// For the page-tree walk only its keys are built, yet every value ends where a whole parse
// ends it: what follows reads the same.
class ParserWalkOnly : public testing::TestWithParam<Case> {};

TEST_P(ParserWalkOnly, BuildsOnlyWhatTheWalkReads) {
  EXPECT_EQ(GetParam().expected, ParseAll(GetParam().input, true)) << "input: " << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Nodes,
    ParserWalkOnly,
    testing::Values(
        Case{"<< /Type /Page /MediaBox [0 0 1 1] /Rotate 90 >> 7",
             "<</Rotate 90 /Type /Page>> | 7"},
        Case{"<< /Resources << /Font << /F 1 0 R >> >> /Annots [1 0 R] /Parent 2 0 R >>",
             "<</Annots [] /Parent 2 0 R /Resources <<>>>>"},
        Case{"<< /Kids [3 0 R << /Type /Page /Contents [1 2] >> [4]] /Count 2 >>",
             "<</Count 2 /Kids [3 0 R <</Type /Page>> []]>>"},
        Case{"[<< /Kids [] /X [[]] >> [[] []] 5 0 R]", "[<</Kids []>> [] 5 0 R]"},
        // A skipped value is one value: a reference whole, a name alone.
        Case{"<< /X 1 0 R /Y /Type /Type /Pages >>", "<</Type /Pages>>"},
        // Delimiters close only what the whole parse closes with them.
        Case{"<< /X [ >> ] /Type /Page >> 7", "<</Type /Page>> | 7"},
        Case{"<< /X << ] [ /A 1 >> /Type /Page >> 7", "<</Type /Page>> | 7"},
        Case{"<< /X << /A ) >> /Rotate 90 >> 7", "<</Rotate 90>> | 7"},
        Case{"<< /S [[1 2 endobj", "<<>> | k:endobj"},
        Case{"<< /Resources << /A [1 >> ] >> /Count 1 >>", "<</Count 1 /Resources <<>>>>"}),
    [](const testing::TestParamInfo<Case>& p) { return ParamName(p.index, p.param.input); });

TEST(ParserTest, WalkOnlyStillRefusesDeepNesting) {
  for (const std::string key : {"X", "Resources"}) {
    const std::string text = "<< /" + key + " " + std::string(300, '[') + " >>";
    EXPECT_THROW(ParseAll(text, true), CPdfException) << key;
  }
}

// Parses the first object of a file through a file window, as the reader does.
std::string ParseFile(const std::string& bytes, bool expect_throw = false) {
  TempDir dir;
  std::string path = dir.Write("f.pdf", bytes);
  auto f = CPdfInputFile::Open(path.c_str());
  CPdfObject null_dict;
  null_dict.SetNull();
  std::string out;
  try {
    CPdfParser parser(nullptr, CPdfFileStream::Create(f.get(), 0, 0, null_dict));
    for (int i = 0; i < 10; ++i) {
      CPdfObject value;
      parser.ParseObject(value);
      if (value.IsKind(PDF_EOF)) {
        break;
      }
      std::string d = Describe(value);
      if (value.IsKind(PDF_STREAM)) {
        d += ":";
        for (int c = value.GetStream()->GetChar(); c >= 0; c = value.GetStream()->GetChar()) {
          d += static_cast<char>(c);
        }
      }
      out += (out.empty() ? "" : " | ") + d;
    }
  } catch (const CPdfException& e) {
    out = std::string("throw:") + e.GetMessage();
  }
  EXPECT_EQ(expect_throw, out.rfind("throw:", 0) == 0) << out;
  return out;
}

TEST(ParserTest, StreamBodiesFollowLength) {
  EXPECT_EQ("stream:hello | k:endobj",
            ParseFile("<< /Length 5 >> stream\nhello\nendstream endobj"));
  EXPECT_EQ("stream:he | k:endobj", ParseFile("<< /Length 2 >>stream\r\nhe endstream endobj"));
  EXPECT_EQ("throw:Missing 'endstream'",
            ParseFile("<< /Length 4 >> stream\nhello\nendstream", true));
  // A missing or negative /Length leaves the stream unread: an error value, then the rest.
  EXPECT_EQ("err | k:ab", ParseFile("<< /Length -2 >> stream\nab"));
  EXPECT_EQ("err", ParseFile("<< >> stream"));
  // A /Length far beyond the file does not allocate or read past it.
  EXPECT_EQ("throw:Missing 'endstream'",
            ParseFile("<< /Length 2147483647 /Filter /FlateDecode >> stream\nab", true));
  // Declined filters skip the body.
  EXPECT_EQ("err | 3", ParseFile("<< /Length 2 /Filter /LZWDecode >> stream\nab\nendstream 3"));
}

// Where the parser stands after reading "1 0 obj" and the value of text: the look-ahead
// must stop at the token after the value, whatever follows.
struct StopCase {
  const char* name;
  const char* object;  // ends with the token the parser may look at
};

class ParserLookAhead : public testing::TestWithParam<StopCase> {};

TEST_P(ParserLookAhead, StopsAtTheTokenAfterTheValue) {
  const std::string object = GetParam().object;
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
  EXPECT_EQ(object.size(), stream->Tell());
  stream->Release();
}

INSTANTIATE_TEST_SUITE_P(Objects,
                         ParserLookAhead,
                         testing::Values(StopCase{"Dictionary", "1 0 obj << /A 1 >> endobj"},
                                         StopCase{"Integer", "1 0 obj 42 endobj"},
                                         StopCase{"Reference", "1 0 obj 5 0 R"},
                                         StopCase{"Array", "1 0 obj [1 2 3]"},
                                         StopCase{"Name", "1 0 obj /Name"}),
                         [](const testing::TestParamInfo<StopCase>& p) { return p.param.name; });

}  // namespace
