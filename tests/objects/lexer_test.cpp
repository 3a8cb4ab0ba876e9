#include <gtest/gtest.h>

#include <string>

#include "objects/cpdf_lexer.h"

namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

char KindLetter(PdfTokenKind kind) {
  switch (kind) {
    case PdfTokenKind::kNumber:
      return 'n';
    case PdfTokenKind::kName:
      return '/';
    case PdfTokenKind::kLiteralString:
      return '(';
    case PdfTokenKind::kHexString:
      return '<';
    case PdfTokenKind::kDictOpen:
    case PdfTokenKind::kDictClose:
    case PdfTokenKind::kArrayOpen:
    case PdfTokenKind::kArrayClose:
      return 'c';
    case PdfTokenKind::kKeyword:
      return 'k';
    case PdfTokenKind::kStray:
      return '!';
    case PdfTokenKind::kEnd:
      break;
  }
  return '?';
}

// Every token as its kind letter and its bytes: "n:12 k:abc".
std::string Tokens(const std::string& input) {
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(Bytes(input), input.size())};
  std::string out;
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
    out += out.empty() ? "" : " ";
    out += std::string(1, KindLetter(t.kind)) + ":" + input.substr(t.begin, t.end - t.begin);
  }
  return out;
}

struct TokenCase {
  const char* name;
  const char* input;
  const char* expected;
};

class LexerTokens : public testing::TestWithParam<TokenCase> {};

TEST_P(LexerTokens, FindsTokenExtents) {
  EXPECT_EQ(GetParam().expected, Tokens(GetParam().input));
}

INSTANTIATE_TEST_SUITE_P(
    Extents,
    LexerTokens,
    testing::Values(
        TokenCase{"EndobjInsideString", "(How endobj ends) endobj", "(:(How endobj ends) k:endobj"},
        TokenCase{"NestedParens", "(a(b)c) 1", "(:(a(b)c) n:1"},
        TokenCase{"EscapedParens", "(a\\)b\\(c) 1", "(:(a\\)b\\(c) n:1"},
        TokenCase{"UnterminatedString", "(open (x)", "(:(open (x)"},
        TokenCase{"NameRunsOverEndobj", "/Legendobjects endobj", "/:/Legendobjects k:endobj"},
        TokenCase{"NameEscape", "/A#20B/C", "/:/A#20B /:/C"},
        TokenCase{"CommentHidesEndobj", "1 % endobj\nendobj", "n:1 k:endobj"},
        TokenCase{"HexString", "<48 65>/A", "<:<48 65> /:/A"},
        TokenCase{"Delimiters", "<<[]>> ) { } >", "c:<< c:[ c:] c:>> !:) !:{ !:} !:>"},
        TokenCase{"SignedNumbers", "+90 -1 .5 1.2.3", "n:+90 n:-1 n:.5 n:1.2.3"},
        TokenCase{"NumberThenWord", "12abc 1e5", "n:12 k:abc n:1 k:e5"},
        TokenCase{"KeywordBetweenDelimiters", "endstream<<", "k:endstream c:<<"}),
    [](const testing::TestParamInfo<TokenCase>& p) { return p.param.name; });

TEST(LexerTest, KeywordsAreToldApart) {
  const std::string text = "R obj endobj stream endstream xref trailer startxref null endobjx";
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(Bytes(text), text.size())};
  for (PdfKeyword k : {PdfKeyword::kR, PdfKeyword::kObj, PdfKeyword::kEndobj, PdfKeyword::kStream,
                       PdfKeyword::kEndstream, PdfKeyword::kXref, PdfKeyword::kTrailer,
                       PdfKeyword::kStartxref, PdfKeyword::kNull, PdfKeyword::kOther}) {
    EXPECT_TRUE(lexer.Next().Is(k));
  }
}

struct NumberCase {
  const char* name;
  const char* text;
  bool integer;
  int64_t value;
  double real;
};

class LexerNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(LexerNumbers, ReadsAsReadersDo) {
  const std::string text = GetParam().text;
  const PdfNumber n = ParsePdfNumber(Bytes(text), text.size());
  EXPECT_EQ(GetParam().integer, n.integer);
  if (n.integer) {
    EXPECT_EQ(GetParam().value, n.value);
  } else {
    EXPECT_DOUBLE_EQ(GetParam().real, n.real);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values,
    LexerNumbers,
    testing::Values(NumberCase{"PlusSign", "+90", true, 90, 0},
                    NumberCase{"BeyondThirtyTwoBits", "4294967386", true, 4294967386, 0},
                    NumberCase{"LongId", "77777777777777777", true, 77777777777777777, 0},
                    NumberCase{"MostNegative", "-9223372036854775808", true, INT64_MIN, 0},
                    NumberCase{"BeyondSixtyFourBits", "99999999999999999999", false, 0, 1e20},
                    NumberCase{"LoneSign", "-", true, 0, 0},
                    NumberCase{"Real", "-1.25", false, 0, -1.25},
                    NumberCase{"TwoPoints", "1.2.3", false, 0, 1.2}),
    [](const testing::TestParamInfo<NumberCase>& p) { return p.param.name; });

// Every top-level entry as "key=value" by extent.
std::string Entries(const std::string& dict) {
  CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(Bytes(dict), dict.size())};
  lexer.Next();  // "<<"
  std::string out;
  PdfDictEntry e;
  while (lexer.NextDictEntry(&e)) {
    out += out.empty() ? "" : ";";
    out += DecodePdfName(Bytes(dict) + e.key.begin + 1, e.key.end - e.key.begin - 1) + "=" +
           dict.substr(e.value_begin, e.value_end - e.value_begin);
  }
  return out;
}

TEST(LexerTest, WalksTopLevelDictionaryEntries) {
  EXPECT_EQ("Rotate=90;Rotate=0", Entries("<</Rotate 90 /Rotate 0>>"));
  EXPECT_EQ("A=5 0 R;B=<</Rotate 1>>;C=[/Rotate (x)]",
            Entries("<</A 5 0 R/B<</Rotate 1>>/C[/Rotate (x)]>>"));
  EXPECT_EQ("Rotate=-270", Entries("<< /Rot#61te %c\n -270 >>"));
  EXPECT_EQ("A=1;B=", Entries("<</A 1 2 /B>>"));
  EXPECT_EQ("A=1", Entries("<</A 1 >> /B 2"));
}

}  // namespace
