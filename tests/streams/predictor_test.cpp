// Flate and its predictors on data compressed by zlib: each case's rows, as a producer writes
// them, decode to the bytes they were predicted from, read byte by byte and in runs alike; and
// damaged data gives every byte inflated before the damage, however it is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_name.h"
#include "pdf_builder.h"
#include "stream_read.h"
#include "streams/cpdf_flate_stream.h"

namespace {

struct PredictorCase {
  const char* name;
  int predictor;
  int columns;
  int colors;
  int bits;
  std::string rows;  // before compression
  std::string decoded;
};

PRINT_CASE_BY_NAME(PredictorCase)

// A compressed body read from its file through Flate: one byte at a time, or in runs of run
// bytes.
std::string Inflate(const std::string& body,
                    int predictor,
                    int columns,
                    int colors,
                    int bits,
                    size_t run) {
  BodyFile file(body);
  auto* flate = new CPdfFlateStream(file.stream, predictor, columns, colors, bits);
  const std::string out = ReadStream(flate, run);
  flate->Release();
  return out;
}

class PredictorTest : public testing::TestWithParam<PredictorCase> {};

TEST_P(PredictorTest, DecodesTheRows) {
  const PredictorCase& c = GetParam();
  const std::string body = Deflate(c.rows);
  EXPECT_EQ(c.decoded, Inflate(body, c.predictor, c.columns, c.colors, c.bits, 0));
  EXPECT_EQ(c.decoded, Inflate(body, c.predictor, c.columns, c.colors, c.bits, 3));
}

// A zlib stream of stored blocks, one per piece, so that damage stands at a known place.
std::string StoredBlocks(const std::vector<std::string>& pieces) {
  std::string z("\x78\x01", 2);
  for (size_t k = 0; k < pieces.size(); ++k) {
    const size_t n = pieces[k].size();
    z += static_cast<char>(k + 1 == pieces.size() ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z += pieces[k];
  }
  return z;
}

struct DamageCase {
  const char* name;
  std::string body;
  std::string decoded;  // every byte before the damage
};

PRINT_CASE_BY_NAME(DamageCase)

class FlateDamageTest : public testing::TestWithParam<DamageCase> {};

TEST_P(FlateDamageTest, KeepsWhatCameBeforeTheDamage) {
  // Byte by byte, in runs shorter than the stream's window, and in one run past it.
  for (size_t run : {0, 7, 100000}) {
    EXPECT_EQ(GetParam().decoded, Inflate(GetParam().body, 1, 1, 1, 8, run)) << "run " << run;
  }
}

const std::string kText = [] {
  std::string text;
  for (int k = 0; text.size() < 3000; ++k) {
    text += "line " + std::to_string(k) + " of the stream\n";
  }
  return text.substr(0, 3000);
}();

INSTANTIATE_TEST_SUITE_P(
    Damage,
    FlateDamageTest,
    testing::Values(
        // Readers keep data whose Adler-32 is wrong; it is not checked.
        DamageCase{"WrongChecksumKeepsAll",
                   [] {
                     std::string z = Deflate(kText);
                     z.back() = static_cast<char>(z.back() ^ 0x5A);
                     return z;
                   }(),
                   kText},
        DamageCase{"NoChecksumKeepsAll", Deflate(kText).substr(0, Deflate(kText).size() - 4),
                   kText},
        // A block header whose lengths disagree: the block before it is all there is.
        DamageCase{"BadBlockAfterFirst",
                   [] {
                     std::string z = StoredBlocks({kText.substr(0, 1500), kText.substr(1500)});
                     z[2 + 5 + 1500 + 3] ^= 0x01;
                     return z;
                   }(),
                   kText.substr(0, 1500)},
        DamageCase{"NotZlibGivesNothing", "not compressed at all", ""}),
    testing::PrintToStringParamName());

const std::string kTie("\x0a\x1e\x00\x05", 4);  // Paeth: left 0, up 30, upper left 10
const std::string kBright(30, '\xFF');
const std::string kSamples(
    "\x12\x34\x56\x78\x9a\xbc\xde\xf0\x0f\xed\xcb\xa9\x87\x65\x43\x21\x80\x7f\x01\xfe",
    20);

// A PNG predictor's left neighbour is a whole pixel back, at least one byte: samples of fewer
// than 8 bits still pair with the byte before.
INSTANTIATE_TEST_SUITE_P(
    Png,
    PredictorTest,
    testing::Values(PredictorCase{"FourBitSamplesEachFilter", 15, 4, 1, 4,
                                  PngPredict(kSamples, 2, 1, 5), kSamples},
                    PredictorCase{"SixteenBitSamplesTwoBytesBack", 11, 2, 1, 16,
                                  PngPredict(kSamples, 4, 2, 5), kSamples},
                    PredictorCase{"PaethTieGoesUp", 14, 2, 1, 8, PngPredict(kTie, 2, 1, 4), kTie},
                    PredictorCase{"SaturatedAverageAdds255", 10, 5, 3, 8,
                                  PngPredict(kBright, 15, 3, 3), kBright},
                    PredictorCase{"UnknownRowTypeCopiesTheRow", 12, 4, 1, 8,
                                  std::string("\x07") + "abcd", "abcd"},
                    PredictorCase{"PartialLastRowDropped", 12, 4, 1, 8,
                                  std::string("\0abcd\0efgh\0z", 12), "abcdefgh"}),
    testing::PrintToStringParamName());

INSTANTIATE_TEST_SUITE_P(Tiff,
                         PredictorTest,
                         testing::Values(PredictorCase{"FourBitTwoComponents", 2, 3, 2, 4,
                                                       "\x12\x12\xF1", "\x12\x24\x15"},
                                         PredictorCase{"OneBitByExclusiveOr", 2, 8, 1, 1, "\x90",
                                                       "\xE0"},
                                         PredictorCase{"SixteenBitCarries", 2, 2, 1, 16,
                                                       std::string("\x00\xFF\x00\x01", 4),
                                                       std::string("\x00\xFF\x01\x00", 4)}),
                         testing::PrintToStringParamName());

}  // namespace
