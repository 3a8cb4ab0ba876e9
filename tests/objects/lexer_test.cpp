#include <gtest/gtest.h>

#include <string>

#include "objects/cpdf_lexer.h"

namespace {

// Every token's bytes, separated by "|": where the copy and the /Rotate patch see tokens end.
// Values are the parser's table; this one is about extents only.
std::string Tokens(const std::string& input) {
  CPdfLexer<PdfSpanSource> lexer{
      PdfSpanSource(reinterpret_cast<const uint8_t*>(input.data()), input.size())};
  std::string out;
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kEnd; t = lexer.Next()) {
    out += (out.empty() ? "" : "|") + input.substr(t.begin, t.end - t.begin);
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
        TokenCase{"EndobjInsideString", "(How endobj ends) endobj", "(How endobj ends)|endobj"},
        TokenCase{"NestedParens", "(a(b)c) 1", "(a(b)c)|1"},
        TokenCase{"EscapedParens", "(a\\)b\\(c) 1", "(a\\)b\\(c)|1"},
        TokenCase{"UnterminatedString", "(open (x)", "(open (x)"},
        TokenCase{"NameRunsOverEndobj", "/Legendobjects endobj", "/Legendobjects|endobj"},
        TokenCase{"NameEscape", "/A#20B/C", "/A#20B|/C"},
        TokenCase{"CommentHidesEndobj", "1 % endobj\nendobj", "1|endobj"},
        TokenCase{"HexString", "<48 65>/A", "<48 65>|/A"},
        TokenCase{"Delimiters", "<<[]>> ) { } >", "<<|[|]|>>|)|{|}|>"},
        TokenCase{"NumberThenWord", "12abc 1e5", "12|abc|1|e5"},
        TokenCase{"KeywordBetweenDelimiters", "endstream<<", "endstream|<<"}),
    [](const testing::TestParamInfo<TokenCase>& p) { return p.param.name; });

}  // namespace
