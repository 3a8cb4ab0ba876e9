// Where a stream's data starts and ends: by its /Length when "endstream" follows, else by a
// search for the first "endstream", else by a /Length that only "endobj" follows.
#include <gtest/gtest.h>

#include <string>

#include "open_pdf.h"
#include "param_name.h"
#include "reader/cpdf_stream_body_finder.h"

namespace {

using Lexer = CPdfStreamBodyFinder::Lexer;

// The value of 7 0 R: 3.
int64_t LengthOf(int32_t num, int32_t gen) {
  return num == 7 && gen == 0 ? 3 : -1;
}

// Reads the dictionary, "stream" and the body, as the object map does: how the end was found
// ("length", "search", "bare" or "none"), the data, the declared length and the token after.
std::string FindBody(CPdfStreamBodyFinder& finder,
                     Lexer& lexer,
                     const std::string& bytes,
                     uint64_t limit) {
  lexer.Next();  // "<<"
  PdfDictEntry entry;
  PdfDictEntry length;
  bool have_length = false;
  while (lexer.NextDictEntry(&entry)) {
    if (!have_length && finder.IsLengthKey(lexer, entry.key)) {
      length = entry;
      have_length = true;
    }
  }
  if (!lexer.Next().Is(PdfKeyword::kStream)) {
    return "no stream";
  }
  CPdfStreamBodyFinder::Body body;
  const char* how = "length";
  int64_t end = finder.ByLength(lexer, have_length ? &length : nullptr, limit, &body);
  if (end < 0) {
    end = finder.BySearch(lexer, limit, &body);
    how = end < 0 ? "none" : body.bare ? "bare" : "search";
  }
  std::string out = std::string(how) + " '" + bytes.substr(body.start, end < 0 ? 0 : body.length) +
                    "' declared " + std::to_string(body.declared);
  const PdfToken next = lexer.Next();
  return out + " then '" + bytes.substr(next.begin, next.end - next.begin) + "'";
}

struct BodyCase {
  std::string name;
  std::string bytes;
  std::string expected;
  size_t cut = 0;  // the limit this many bytes before the end
};
PRINT_CASE_BY_NAME(BodyCase)

class StreamBodyFinderTest : public testing::TestWithParam<BodyCase> {};

TEST_P(StreamBodyFinderTest, FindsTheBody) {
  const BodyCase& c = GetParam();
  const auto file = InputOf(c.bytes);
  CPdfStreamBodyFinder finder;
  finder.Start(file.get(), LengthOf);
  Lexer lexer{PdfFileSource(file.get(), 0)};
  EXPECT_EQ(c.expected, FindBody(finder, lexer, c.bytes, c.bytes.size() - c.cut));
}

const std::string kAbc = "\nabc\nendstream x";

INSTANTIATE_TEST_SUITE_P(
    ByLength,
    StreamBodyFinderTest,
    testing::Values(
        BodyCase{"Lf", "<< /Length 3 >>stream" + kAbc, "length 'abc' declared 3 then 'x'"},
        BodyCase{"CrLf", "<< /Length 3 >>stream\r" + kAbc, "length 'abc' declared 3 then 'x'"},
        BodyCase{"LoneCr", "<< /Length 3 >>stream\rabc\nendstream x",
                 "length 'abc' declared 3 then 'x'"},
        BodyCase{"BlanksBeforeTheLineEnd", "<< /Length 3 >>stream  \r" + kAbc,
                 "length 'abc' declared 3 then 'x'"},
        BodyCase{"OneLineEndTaken", "<< /Length 4 >>stream\n" + kAbc,
                 "length '\nabc' declared 4 then 'x'"},
        BodyCase{"CommentBeforeEndstream", "<< /Length 3 >>stream\nabc\n% note\nendstream x",
                 "length 'abc' declared 3 then 'x'"},
        BodyCase{"EndstreamInTheData", "<< /Length 13 >>stream\nx endstream y\nendstream x",
                 "length 'x endstream y' declared 13 then 'x'"},
        BodyCase{"EscapedKey", "<< /Le#6egth 3 >>stream" + kAbc,
                 "length 'abc' declared 3 then 'x'"},
        BodyCase{"FirstLengthCounts", "<< /Length 3 /Length 9 >>stream" + kAbc,
                 "length 'abc' declared 3 then 'x'"},
        BodyCase{"Reference", "<< /Length 7 0 R >>stream" + kAbc,
                 "length 'abc' declared 3 then 'x'"}),
    CaseName<BodyCase>);

INSTANTIATE_TEST_SUITE_P(
    BySearch,
    StreamBodyFinderTest,
    testing::Values(
        BodyCase{"TooLong", "<< /Length 99 >>stream" + kAbc, "search 'abc' declared 99 then 'x'"},
        BodyCase{"TooShort", "<< /Length 2 >>stream" + kAbc, "search 'abc' declared 2 then 'x'"},
        BodyCase{"Negative", "<< /Length -3 >>stream" + kAbc, "search 'abc' declared -1 then 'x'"},
        // Lengths past 32 bits are read whole (a file of their size would be stepped over).
        BodyCase{"At4GiB", "<< /Length 4294967296 >>stream" + kAbc,
                 "search 'abc' declared 4294967296 then 'x'"},
        BodyCase{"PastTenDigits", "<< /Length 10000000000 >>stream" + kAbc,
                 "search 'abc' declared 10000000000 then 'x'"},
        BodyCase{"Past64Bits", "<< /Length 99999999999999999999 >>stream" + kAbc,
                 "search 'abc' declared -1 then 'x'"},
        BodyCase{"NegativePast32Bits", "<< /Length -4294967296 >>stream" + kAbc,
                 "search 'abc' declared -1 then 'x'"},
        BodyCase{"RealPast32Bits", "<< /Length 4294967296.0 >>stream" + kAbc,
                 "search 'abc' declared -1 then 'x'"},
        BodyCase{"Real", "<< /Length 3.0 >>stream" + kAbc, "search 'abc' declared -1 then 'x'"},
        BodyCase{"OtherKey", "<< /LengthX 3 >>stream" + kAbc, "search 'abc' declared -1 then 'x'"},
        BodyCase{"UnresolvedReference", "<< /Length 8 0 R >>stream" + kAbc,
                 "search 'abc' declared -1 then 'x'"},
        BodyCase{"FirstEndstreamInTheData", "<< >>stream\nx endstream y\nendstream",
                 "search 'x ' declared -1 then 'y'"},
        BodyCase{"CrLfBeforeEndstreamDropped", "<< >>stream\nab\r\nendstream",
                 "search 'ab' declared -1 then ''"},
        BodyCase{"CrBeforeEndstreamDropped", "<< >>stream\nab\rendstream",
                 "search 'ab' declared -1 then ''"},
        BodyCase{"OnlyOneLineEndDropped", "<< >>stream\nab\n\nendstream",
                 "search 'ab\n' declared -1 then ''"},
        BodyCase{"NoLineEndBeforeEndstream", "<< >>stream\nabendstream",
                 "search 'ab' declared -1 then ''"},
        // No "endstream": a /Length that only "endobj" follows bounds the data.
        BodyCase{"LengthBeforeEndobj", "<< /Length 3 >>stream\nabc\nendobj",
                 "bare 'abc' declared 3 then 'endobj'"},
        BodyCase{"LengthBeforeOtherBytes", "<< /Length 3 >>stream\nabc d endobj",
                 "none '' declared 3 then ''"},
        BodyCase{"NothingTells", "<< >>stream\nabc\nendobj", "none '' declared -1 then ''"},
        // Past the limit nothing is looked at: the lexer is left there.
        BodyCase{"EndstreamPastTheLimit", "<< /Length 9 >>stream\nabc\nendstream x",
                 "none '' declared 9 then 'endstream'", 11}),
    CaseName<BodyCase>);

TEST(StreamBodyFinderLengthTest, EachReferenceIsResolvedOnce) {
  const std::string stream = "<< /Length 7 0 R >>stream\nabc\nendstream\n";
  const std::string bytes = stream + stream;
  const auto file = InputOf(bytes);
  int calls = 0;
  CPdfStreamBodyFinder finder;
  finder.Start(file.get(), [&calls](int32_t num, int32_t gen) {
    ++calls;
    return LengthOf(num, gen);
  });
  Lexer lexer{PdfFileSource(file.get(), 0)};
  for (int k = 0; k < 2; ++k) {
    lexer.DropQueue();
    lexer.GetSource().Seek(k * stream.size());
    EXPECT_EQ(std::string("length 'abc' declared 3 then '") + (k == 0 ? "<<'" : "'"),
              FindBody(finder, lexer, bytes, bytes.size()));
  }
  EXPECT_EQ(1, calls);
}

}  // namespace
