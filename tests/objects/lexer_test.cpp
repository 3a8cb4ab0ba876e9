// The one scanner through its public calls, over each of its sources: the bytes in memory, a
// stream, and the file read in pieces, with every table's input also placed at each offset
// across the file source's piece boundary, so that every token, comment and value of it
// straddles the boundary once.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "objects/cpdf_lexer.h"
#include "open_pdf.h"
#include "param_name.h"
#include "streams/cpdf_memory_stream.h"
#include "streams/pdf_file_source.h"
#include "streams/pdf_span_source.h"
#include "streams/pdf_stream_source.h"

namespace {

enum class From { kSpan, kStream, kFile };

// bytes with control bytes spelt out, so that a form feed or a NUL shows in a failure.
std::string Escaped(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    const char* named[] = {"\\x00", "\\n", "\\f", "\\r"};
    const int k = c == 0 ? 0 : c == '\n' ? 1 : c == '\f' ? 2 : c == '\r' ? 3 : -1;
    out += k >= 0 ? std::string(named[k]) : std::string(1, static_cast<char>(c));
  }
  return out;
}

const char* KeywordName(PdfKeyword k) {
  static const char* const kNames[] = {"?",         "R",    "obj",     "endobj",    "stream",
                                       "endstream", "xref", "trailer", "startxref", "true",
                                       "false",     "null", "n",       "f"};
  return kNames[static_cast<int>(k)];
}

// A token as kind:text@position (from pad, where the input starts): "num:+90=90@0" for a number
// with its value when it is an integer of 32 bits, "kw:" for a keyword told apart, "word:" for
// any other; "+open" for a string the bytes end inside.
std::string Show(const PdfToken& t, const std::string& all, size_t pad) {
  const std::string text = Escaped(all.substr(t.begin, t.end - t.begin));
  static const char* const kKinds[] = {"end", "num", "name", "str", "hex",  "<<",
                                       ">>",  "[",   "]",    "kw",  "stray"};
  std::string out = kKinds[static_cast<int>(t.kind)];
  if (t.kind == PdfTokenKind::kKeyword && t.keyword == PdfKeyword::kOther) {
    out = "word";
  } else if (t.kind == PdfTokenKind::kKeyword && text != KeywordName(t.keyword)) {
    out += std::string("(") + KeywordName(t.keyword) + ")";
  }
  if (t.kind != PdfTokenKind::kEnd) {
    out += ":" + text;
  }
  if (t.int32) {
    out += "=" + std::to_string(t.value);
  }
  if (t.open) {
    out += "+open";
  }
  return out + "@" + std::to_string(t.begin - pad);
}

// What scan(lexer, all, pad) says of input read from a source; over the file, pad blanks stand
// before it.
template <typename Scan>
std::string Over(From from, const std::string& input, size_t pad, const Scan& scan) {
  const std::string all = std::string(pad, ' ') + input;
  const auto* data = reinterpret_cast<const uint8_t*>(all.data());
  if (from == From::kSpan) {
    CPdfLexer<PdfSpanSource> lexer{PdfSpanSource(data, all.size())};
    return scan(lexer, all, pad);
  }
  if (from == From::kStream) {
    auto* stream = new CPdfMemoryStream(data, all.size());  // count 1, ours
    std::string out;
    {
      CPdfLexer<PdfStreamSource> lexer{PdfStreamSource(stream, PdfStreamSource::Positions::kTold)};
      out = scan(lexer, all, pad);
    }
    stream->Release();
    return out;
  }
  const auto file = InputOf(all);
  CPdfLexer<PdfFileSource> lexer{PdfFileSource(file.get(), 0)};
  return scan(lexer, all, pad);
}

struct Case {
  std::string name;
  std::string input;
  std::string expected;
  bool between = false;  // lexed between objects
};
PRINT_CASE_BY_NAME(Case)

class LexerTest : public testing::TestWithParam<Case> {
 protected:
  // The table's scan over every source, then over the file with the input at each offset
  // from the boundary.
  template <typename Scan>
  void ExpectEverywhere(const Scan& scan) {
    const Case& c = GetParam();
    EXPECT_EQ(c.expected, Over(From::kSpan, c.input, 0, scan)) << "in memory";
    EXPECT_EQ(c.expected, Over(From::kStream, c.input, 0, scan)) << "from a stream";
    EXPECT_EQ(c.expected, Over(From::kFile, c.input, 0, scan)) << "from the file";
    for (size_t split = 0; split <= c.input.size(); ++split) {
      EXPECT_EQ(c.expected, Over(From::kFile, c.input, PdfFileSource::kPiece - split, scan))
          << "the piece ends after " << split << " bytes";
    }
  }
};

// Every token to the end, with its kind and extent.
class TokenTest : public LexerTest {};

TEST_P(TokenTest, KindsAndExtents) {
  ExpectEverywhere([](auto& lexer, const std::string& all, size_t pad) {
    lexer.SetBetweenObjects(GetParam().between);
    std::string out;
    for (int guard = 0; guard < 100; ++guard) {
      const PdfToken t = lexer.Next();
      out += (out.empty() ? "" : " ") + Show(t, all, pad);
      if (t.kind == PdfTokenKind::kEnd) {
        break;
      }
    }
    return out;
  });
}

INSTANTIATE_TEST_SUITE_P(
    Numbers,
    TokenTest,
    testing::Values(
        Case{"DigitsThenWord", "12abc", "num:12=12@0 word:abc@2 end@5"},
        Case{"Signs", "+90 -7 - +", "num:+90=90@0 num:-7=-7@4 num:-=0@7 num:+=0@9 end@10"},
        Case{"Reals", "-.5 1.2.3 4.", "num:-.5@0 num:1.2.3@4 num:4.@10 end@12"},
        Case{"SignEndsANumber", "1-2+3", "num:1=1@0 num:-2=-2@1 num:+3=3@3 end@5"},
        // No part of it is a value on its own: the whole run is one word.
        Case{"SignAgainBeforeAnyDigit", "--90 -+1 -", "word:--90@0 word:-+1@5 num:-=0@9 end@10"},
        Case{"ThirtyTwoBitEdges", "2147483647 2147483648 -2147483648 -2147483649",
             "num:2147483647=2147483647@0 num:2147483648@11 num:-2147483648=-2147483648@22 "
             "num:-2147483649@34 end@45"},
        Case{"LeadingZerosAreNoLimit", "000000000000000000090 00004294967296",
             "num:000000000000000000090=90@0 num:00004294967296@22 end@36"}),
    CaseName<Case>);

INSTANTIATE_TEST_SUITE_P(
    NamesAndStrings,
    TokenTest,
    testing::Values(
        Case{"NamesWithEscapes", "/A#20B/Rot#61te /#2F",
             "name:/A#20B@0 name:/Rot#61te@6 name:/#2F@16 end@20"},
        Case{"NameEndedByDelimiters", "/a(b)/c[/]/",
             "name:/a@0 str:(b)@2 name:/c@5 [:[@7 name:/@8 ]:]@9 name:/@10 end@11"},
        Case{"NestedLiteralClosedAfterABlank", "(a(b(c))d ) x",
             "str:(a(b(c))d )@0 word:x@12 end@13"},
        Case{"EscapedParentheses", "(a\\)b\\(c) x", "str:(a\\)b\\(c)@0 word:x@10 end@11"},
        Case{"EscapedBackslashCloses", "(a\\\\)b)", "str:(a\\\\)@0 word:b@5 stray:)@6 end@7"},
        Case{"LiteralSpansLines", "(a\r\n%b) 1", "str:(a\\r\\n%b)@0 num:1=1@8 end@9"},
        Case{"LiteralOpenToTheEnd", "(a(b) c", "str:(a(b) c+open@0 end@7"},
        Case{"EscapeAtTheEnd", "(a\\", "str:(a\\+open@0 end@3"},
        Case{"HexStrings", "<41 42><>< 4>", "hex:<41 42>@0 hex:<>@7 hex:< 4>@9 end@13"},
        Case{"HexOpenToTheEnd", "<41 4", "hex:<41 4+open@0 end@5"}),
    CaseName<Case>);

INSTANTIATE_TEST_SUITE_P(
    Delimiters,
    TokenTest,
    testing::Values(Case{"DictionaryBrackets", "<<>><</A 1>>",
                         "<<:<<@0 >>:>>@2 <<:<<@4 name:/A@6 num:1=1@9 >>:>>@10 end@12"},
                    Case{"LoneCloseIsStray", "> >>> >",
                         "stray:>@0 >>:>>@2 stray:>@4 stray:>@6 end@7"},
                    Case{"OpenThenHex", "<<<4>", "<<:<<@0 hex:<4>@2 end@5"},
                    Case{"Strays", "){}]", "stray:)@0 stray:{@1 stray:}@2 ]:]@3 end@4"},
                    Case{"StringOpenersBetweenObjectsAreStray", "(a) <41> <<",
                         "stray:(@0 word:a@1 stray:)@2 "
                         "stray:<@4 num:41=41@5 stray:>@7 "
                         "<<:<<@9 end@11",
                         true}),
    CaseName<Case>);

INSTANTIATE_TEST_SUITE_P(
    Keywords,
    TokenTest,
    testing::Values(
        Case{"Told", "R obj endobj stream endstream xref trailer startxref true false null n f",
             "kw:R@0 kw:obj@2 kw:endobj@6 kw:stream@13 kw:endstream@20 kw:xref@30 kw:trailer@35 "
             "kw:startxref@43 kw:true@53 kw:false@58 kw:null@64 kw:n@69 kw:f@71 end@72"},
        Case{"OnlyWholeWords", "Rx objR True endobjs startxrefs e5",
             "word:Rx@0 word:objR@3 word:True@8 word:endobjs@13 word:startxrefs@21 word:e5@32 "
             "end@34"},
        Case{"EndedByDelimiters", "endobj%x\nstream<<R[",
             "kw:endobj@0 kw:stream@9 <<:<<@15 kw:R@17 [:[@18 end@19"}),
    CaseName<Case>);

INSTANTIATE_TEST_SUITE_P(
    WhiteSpaceAndComments,
    TokenTest,
    testing::Values(
        Case{"AllSixWhiteBytes",
             std::string("1\t2\n3\f4\r5 6\0"
                         "7",
                         13),
             "num:1=1@0 num:2=2@2 num:3=3@4 num:4=4@6 num:5=5@8 num:6=6@10 num:7=7@12 end@13"},
        Case{"CommentEndedByCr", "1 % a ) b\r2", "num:1=1@0 num:2=2@10 end@11"},
        Case{"CommentsInARow", "%a\r%b\n%c\r\n/N", "name:/N@10 end@12"},
        Case{"CommentEndsATokenAndTheFile", "/Type%Page", "name:/Type@0 end@10"},
        Case{"OnlyWhiteSpace", " \r\n\f", "end@4"}),
    CaseName<Case>);

// StepOverValue from the value's first token: the value's bytes, whether it was closed, the most
// containers open at once, and the token left to be read after it.
class StepOverValueTest : public LexerTest {};

TEST_P(StepOverValueTest, StepsToTheValuesEnd) {
  ExpectEverywhere([](auto& lexer, const std::string& all, size_t pad) {
    const PdfToken first = lexer.Next();
    bool whole = true;
    size_t levels = 0;
    const PdfToken last = lexer.StepOverValue(first, &whole, &levels);
    return Escaped(all.substr(first.begin, last.end - first.begin)) + (whole ? "" : " open") +
           " levels " + std::to_string(levels) + " then " + Show(lexer.Next(), all, pad);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Values,
    StepOverValueTest,
    testing::Values(
        Case{"Reference", "5 0 R 7", "5 0 R levels 0 then num:7=7@6"},
        Case{"ReferenceAcrossAComment", "5 0 %c\rR", "5 0 %c\\rR levels 0 then end@8"},
        Case{"NegativeGenerationReference", "4 -1 R", "4 -1 R levels 0 then end@6"},
        Case{"NumbersThatAreNoReference", "5 0 obj", "5 levels 0 then num:0=0@2"},
        Case{"RealBeforeR", "5.0 0 R", "5.0 levels 0 then num:0=0@4"},
        Case{"Name", "/A /B", "/A levels 0 then name:/B@3"},
        Case{"OpenString", "(a", "(a open levels 0 then end@2"},
        Case{"Nested", "<< /A << /B [1 [2 3 0 R]] >> >> x",
             "<< /A << /B [1 [2 3 0 R]] >> >> levels 4 then word:x@32"},
        Case{"DeeperThanHeldInPlace", std::string(40, '[') + std::string(40, ']') + "x",
             std::string(40, '[') + std::string(40, ']') + " levels 40 then word:x@80"},
        Case{"ReferenceAsAValue", "<< /P 3 0 R >>", "<< /P 3 0 R >> levels 1 then end@14"},
        Case{"DictionaryCloseInAnArrayIsAnElement", "[ >> ] 1", "[ >> ] levels 1 then num:1=1@7"},
        Case{"ArrayCloseAsAValueClosesNothing", "<< /A ] >> 1",
             "<< /A ] >> levels 1 then num:1=1@11"},
        Case{"DictionaryCloseWhereAValueBelongs", "<< /A >> 1", "<< /A >> levels 1 then num:1=1@9"},
        Case{"StrayDropsItsKey", "<< /A ) /B 1 >> 2", "<< /A ) /B 1 >> levels 1 then num:2=2@16"},
        Case{"StringInsideLeftOpen", "[(a] 1", "[(a] 1 open levels 1 then end@6"}),
    CaseName<Case>);

// A container that what ends an object leaves open ends before it, which is left to be read.
INSTANTIATE_TEST_SUITE_P(
    LeftOpen,
    StepOverValueTest,
    testing::Values(
        Case{"ByEndobj", "[1 2 endobj", "[1 2 open levels 1 then kw:endobj@5"},
        Case{"ByTrailer", "<< /A [1 trailer", "<< /A [1 open levels 2 then kw:trailer@9"},
        Case{"ByTheNextHeader", "[1 2 0 obj", "[1 open levels 1 then num:2=2@3"},
        Case{"ByTheEnd", "<< /A [", "<< /A [ open levels 2 then end@7"},
        Case{"NotByAReference", "[1 2 0 R endobj", "[1 2 0 R open levels 1 then kw:endobj@9"}),
    CaseName<Case>);

// NextDictEntry after "<<": each entry as key=value (its extent), "ref n g" for "n g R", "open"
// for a value left open; then the token that closed the dictionary and the one after it.
class DictEntryTest : public LexerTest {};

TEST_P(DictEntryTest, EntriesInOrder) {
  ExpectEverywhere([](auto& lexer, const std::string& all, size_t pad) {
    std::string out = Show(lexer.Next(), all, pad) + " ";
    PdfDictEntry e;
    PdfToken close;
    for (int guard = 0; guard < 20 && lexer.NextDictEntry(&e, &close); ++guard) {
      out += Escaped(all.substr(e.key.begin, e.key.end - e.key.begin)) + "=" +
             Escaped(all.substr(e.value_begin, e.value_end - e.value_begin));
      if (e.reference) {
        out += " ref " + std::to_string(e.value.value) + " " + std::to_string(e.gen.value);
      }
      out += e.whole ? "; " : " open; ";
    }
    return out + "close " + Show(close, all, pad) + " then " + Show(lexer.Next(), all, pad);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Entries,
    DictEntryTest,
    testing::Values(
        Case{"EveryKind", "<< /A 1 /B (x) /C [1 2] /D << /E 3 >> /F /G >>",
             "<<:<<@0 /A=1; /B=(x); /C=[1 2]; /D=<< /E 3 >>; /F=/G; close >>:>>@44 then end@46"},
        Case{"RepeatedKeysInOrder", "<< /A 1 /A 2 >>",
             "<<:<<@0 /A=1; /A=2; close >>:>>@13 then end@15"},
        Case{"References", "<< /L 5 0 R /M 6 0 >>",
             "<<:<<@0 /L=5 0 R ref 5 0; /M=6; close >>:>>@19 then end@21"},
        Case{"StrayTokensWhereAKeyBelongs", "<< 5 (s) ] /A 1 >>",
             "<<:<<@0 /A=1; close >>:>>@16 then end@18"},
        Case{"KeyBeforeAStrayByteDropped", "<< /A ) /B 2 /C } /D 3 >>",
             "<<:<<@0 /B=2; /D=3; close >>:>>@23 then end@25"},
        Case{"KeyWithoutAValue", "<< /A >>", "<<:<<@0 /A=; close >>:>>@6 then end@8"},
        Case{"ValueLeftOpen", "<< /A [1 2 endobj",
             "<<:<<@0 /A=[1 2 open; close end@11 then kw:endobj@11"},
        Case{"KeyBeforeTheNextHeader", "<< /A 1 /B 7 0 obj",
             "<<:<<@0 /A=1; /B=; close end@11 then num:7=7@11"},
        Case{"EndedByTheBytes", "<< /A 1", "<<:<<@0 /A=1; close end@7 then end@7"},
        Case{"CommentsBetween", "<<%a\r/A%b\n1%c\r\n>>",
             "<<:<<@0 /A=1; close >>:>>@15 then end@17"}),
    CaseName<Case>);

TEST(LexerStepTest, TakeReferenceAndSkipPast) {
  const auto over = [](const std::string& bytes) {
    return CPdfLexer<PdfSpanSource>{
        PdfSpanSource(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())};
  };
  const std::string ref = "5 1 R x";
  auto a = over(ref);
  int32_t num = 0;
  int32_t gen = 0;
  ASSERT_TRUE(a.TakeReference(&num, &gen));
  EXPECT_EQ(5, num);
  EXPECT_EQ(1, gen);
  EXPECT_EQ(6u, a.Next().begin);
  // Nothing is taken when no "R" follows.
  const std::string no_ref = "5 1 obj";
  auto b = over(no_ref);
  EXPECT_FALSE(b.TakeReference(&num, &gen));
  EXPECT_EQ(0u, b.Next().begin);
  // A partial match that overlaps the next is not lost.
  const std::string body = "a endendstream b";
  auto c = over(body);
  EXPECT_TRUE(c.SkipPast("endstream"));
  EXPECT_EQ(15u, c.Next().begin);
  EXPECT_FALSE(c.SkipPast("endstream"));
}

}  // namespace
