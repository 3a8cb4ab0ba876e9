// Flate and its predictors on data compressed by zlib: each case's rows, as a producer writes
// them, decode to the bytes they were predicted from, read byte by byte and in runs alike.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "param_name.h"
#include "pdf_builder.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_flate_stream.h"
#include "streams/cpdf_input_file.h"
#include "test_files.h"

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

// The rows compressed into a file and read back through Flate, one byte at a time or in runs
// of three bytes.
std::string Decode(const PredictorCase& c, bool runs) {
  TempDir dir;
  const std::string body = Deflate(c.rows);
  const std::unique_ptr<CPdfInputFile> file =
      CPdfInputFile::Adopt(std::fopen(dir.Write("body", body).c_str(), "rb"));
  CPdfStream* source = CPdfFileStream::Create(file.get(), 0, static_cast<uint32_t>(body.size()));
  auto* flate = new CPdfFlateStream(source, c.predictor, c.columns, c.colors, c.bits);
  std::string out;
  if (runs) {
    uint8_t run[3];
    for (size_t n = flate->ReadBytes(run, 3); n > 0; n = flate->ReadBytes(run, 3)) {
      out.append(reinterpret_cast<const char*>(run), n);
    }
  } else {
    for (int ch = flate->GetChar(); ch >= 0; ch = flate->GetChar()) {
      out += static_cast<char>(ch);
    }
  }
  flate->Release();
  return out;
}

class PredictorTest : public testing::TestWithParam<PredictorCase> {};

TEST_P(PredictorTest, DecodesTheRows) {
  EXPECT_EQ(GetParam().decoded, Decode(GetParam(), false));
  EXPECT_EQ(GetParam().decoded, Decode(GetParam(), true));
}

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
