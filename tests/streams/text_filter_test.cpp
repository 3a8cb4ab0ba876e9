// ASCIIHexDecode and ASCII85Decode on the shapes producers write and on the damage readers meet:
// each row decodes to its bytes, read byte by byte and in runs alike, or is refused as a whole
// (Refused, with no byte after the damage), as readers refuse it.
#include <gtest/gtest.h>

#include <string>

#include "param_name.h"
#include "pdf_builder.h"
#include "stream_read.h"
#include "streams/cpdf_ascii85_stream.h"
#include "streams/cpdf_ascii_hex_stream.h"
#include "streams/cpdf_flate_stream.h"

namespace {

enum class Filter { kHex, kA85, kA85Flate };

struct TextCase {
  const char* name;
  Filter filter;
  std::string encoded;
  std::string decoded;  // for a refused row, nothing is checked but the refusal
  bool refused = false;
};

PRINT_CASE_BY_NAME(TextCase)

TextCase Refused(const char* name, Filter filter, const std::string& encoded) {
  return {name, filter, encoded, "", true};
}

// The body read from its file through the filter: up to `most` bytes one at a time, or in runs
// of run bytes; then whether the stream is refused.
struct Decoded {
  std::string bytes;
  bool refused;
};
Decoded Decode(const TextCase& c, size_t run, size_t most = SIZE_MAX) {
  BodyFile body(c.encoded);
  CPdfStream* stream = body.stream;
  stream = c.filter == Filter::kHex ? static_cast<CPdfStream*>(new CPdfAsciiHexStream(stream))
                                    : new CPdfAscii85Stream(stream);
  if (c.filter == Filter::kA85Flate) {
    stream = new CPdfFlateStream(stream, 1, 1, 1, 8);
  }
  Decoded out{ReadStream(stream, run, most), stream->Refused()};
  stream->Release();
  return out;
}

class TextFilterTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextFilterTest, DecodesOrRefuses) {
  const TextCase& c = GetParam();
  for (const size_t run : {size_t{0}, size_t{3}, size_t{5000}}) {
    const Decoded got = Decode(c, run);
    EXPECT_EQ(c.refused, got.refused) << "run " << run;
    if (!c.refused) {
      EXPECT_EQ(c.decoded, got.bytes) << "run " << run;
    }
  }
  // Read no further than the first byte, the stream still knows about damage after it.
  EXPECT_EQ(c.refused, Decode(c, 0, 1).refused);
}

const std::string kLong(3000, 'q');  // more than one piece of the source

INSTANTIATE_TEST_SUITE_P(
    Hex,
    TextFilterTest,
    testing::Values(TextCase{"BothCases", Filter::kHex, "48656c6C6F>", "Hello"},
                    TextCase{"OddDigitCountEndsInZero", Filter::kHex, "48656>", "He`"},
                    TextCase{"EndOfDataWithoutMarker", Filter::kHex, "4865", "He"},
                    TextCase{"OddDigitAtEndOfData", Filter::kHex, "486", "H`"},
                    TextCase{"WhiteSpaceAnywhere", Filter::kHex, " 4\t8\r\n6\v5\f>", "He"},
                    TextCase{"AfterTheMarkerIgnored", Filter::kHex, "48>zz!", "H"},
                    TextCase{"LongData", Filter::kHex, AsciiHexEncode(kLong), kLong},
                    Refused("InvalidCharacter", Filter::kHex, "48g5>"),
                    Refused("NulCharacter",
                            Filter::kHex,
                            std::string("48\0"
                                        "65>",
                                        6)),
                    Refused("InvalidPastManyPieces",
                            Filter::kHex,
                            AsciiHexEncode(kLong).substr(0, 5000) + "x")),
    CaseName<TextCase>);

INSTANTIATE_TEST_SUITE_P(
    A85,
    TextFilterTest,
    testing::Values(
        TextCase{"FullGroups", Filter::kA85, "@:E_W87cUR~>", "abcdHell"},
        TextCase{"ZBetweenGroups", Filter::kA85, "z@:E_Wz~>",
                 std::string(4, '\0') + "abcd" + std::string(4, '\0')},
        TextCase{"ShortLastGroups", Filter::kA85, "@:E_WAS,Q~>", "abcdefg"},
        TextCase{"TwoCharacterLastGroup", Filter::kA85, "@:E_W@/~>", "abcda"},
        TextCase{"EndOfDataWithoutMarker", Filter::kA85, "@:E_W@:B", "abcdab"},
        TextCase{"TildeAtEndOfData", Filter::kA85, "@:B~", "ab"},
        TextCase{"WhiteSpaceInsideGroups", Filter::kA85, " @:\r\nE_\tW\f@ :B ~>", "abcdab"},
        TextCase{"AfterTheMarkerIgnored", Filter::kA85, "@:B~>\x01{", "ab"},
        TextCase{"HighestGroup", Filter::kA85, "s8W-!~>", "\xff\xff\xff\xff"},
        TextCase{"LongData", Filter::kA85, Ascii85Encode(kLong), kLong},
        TextCase{"BeforeFlate", Filter::kA85Flate, Ascii85Encode(Deflate(kLong)), kLong},
        Refused("ZInsideGroup", Filter::kA85, "@:zE_W~>"),
        Refused("OneCharacterLastGroup", Filter::kA85, "@:E_W@~>"),
        Refused("OneCharacterAtEndOfData", Filter::kA85, "@:E_W@"),
        Refused("AboveU", Filter::kA85, "@:E_v~>"),
        Refused("BelowBang", Filter::kA85, std::string("@:\0E_W~>", 8)),
        Refused("VerticalTab", Filter::kA85, "@:\vE_W~>"),
        Refused("TildeWithoutGt", Filter::kA85, "@:E_W~ >"),
        Refused("GroupPast32Bits", Filter::kA85, "s8W-\"~>"),
        Refused("ShortGroupPast32Bits", Filter::kA85, "uuu~>"),
        // Flate has what it needs before the damage; the chain is refused all the same.
        Refused("PastWhatFlateReads",
                Filter::kA85Flate,
                Ascii85Encode(Deflate(kLong)).substr(0, 20) + "v~>")),
    CaseName<TextCase>);

}  // namespace
