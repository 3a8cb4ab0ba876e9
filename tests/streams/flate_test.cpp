#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "objects/cpdf_object.h"
#include "objects/cpdf_parser.h"
#include "objects/cpdf_ref_ptr.h"
#include "pdf_builder.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_flate_stream.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "test_files.h"

namespace {

// Parses a dictionary literal into out.
void ParseDict(const std::string& text, CPdfObject& out) {
  CPdfParser parser(
      nullptr, new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  parser.ParseObject(out);
}

class FlateTest : public testing::Test {
 protected:
  // Decodes body (already compressed) through a file window and the given decode parameters.
  std::string Decode(const std::string& body,
                     int predictor,
                     int columns,
                     int colors = 1,
                     int bits = 8,
                     bool peek_first = false) {
    auto f =
        CPdfInputFile::Open(dir_.Write("body" + std::to_string(counter_++), "xx" + body).c_str());
    CPdfObject null_dict;
    null_dict.SetNull();
    CPdfStream* window =
        CPdfFileStream::Create(f.get(), 2, static_cast<uint32_t>(body.size()), null_dict);
    auto flate = CPdfRefPtr<CPdfStream>::Adopt(
        new CPdfFlateStream(window, predictor, columns, colors, bits));
    std::string out;
    for (;;) {
      if (peek_first) {
        int p = flate->PeekChar();
        EXPECT_EQ(p, flate->PeekChar());
        int c = flate->GetChar();
        EXPECT_EQ(p, c);
        if (c < 0) {
          break;
        }
        out += static_cast<char>(c);
      } else {
        int c = flate->GetChar();
        if (c < 0) {
          break;
        }
        out += static_cast<char>(c);
      }
    }
    flate.Reset();
    return out;
  }

  TempDir dir_;
  int counter_ = 0;
};

std::string RandomBytes(size_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) {
    c = static_cast<char>(rng() % 256);
  }
  return s;
}

TEST_F(FlateTest, PlainInflate) {
  std::string data = RandomBytes(5000, 1) + std::string(3000, 'x');
  EXPECT_EQ(data, Decode(Deflate(data), 1, 1));
  EXPECT_EQ(data, Decode(Deflate(data), 1, 1, 1, 8, true));
  EXPECT_EQ("", Decode("", 1, 1));
  EXPECT_EQ("", Decode("not zlib at all", 1, 1));
  // Truncated data ends where inflating stops; what came before stands.
  std::string truncated = Deflate(data).substr(0, 2000);
  std::string partial = Decode(truncated, 1, 1);
  EXPECT_EQ(data.substr(0, partial.size()), partial);
}

TEST_F(FlateTest, EveryPngFilterTypeAndMixedRows) {
  const int columns = 5;
  const int colors = 3;
  const int row_bytes = columns * colors;
  std::string data = RandomBytes(row_bytes * 40, 2);
  // Types 0 to 4 on every row, then each row another.
  for (int type = 0; type <= 5; ++type) {
    EXPECT_EQ(data, Decode(Deflate(PngPredict(data, row_bytes, colors, type)), 10 + type, columns,
                           colors, 8, type == 5))
        << "type " << type;
  }
  // Paeth's tie between up and upper left goes to up: left 0, up 30, upper left 10.
  const std::string tie("\x0a\x1e\x00\x05", 4);
  EXPECT_EQ(tie, Decode(Deflate(PngPredict(tie, 2, 1, 4)), 14, 2));
  // Saturated averages add 255, not 127.
  std::string bright(row_bytes * 2, '\xFF');
  EXPECT_EQ(bright, Decode(Deflate(PngPredict(bright, row_bytes, colors, 3)), 10, columns, colors));
}

TEST_F(FlateTest, UnknownRowTypeCopiesAndPartialRowIsDropped) {
  EXPECT_EQ("abcd", Decode(Deflate(std::string("\x07") + "abcd"), 12, 4));
  std::string eleven = std::string("\x00", 1) + "abcd" + std::string("\x00", 1) + "efgh" + "\x00z";
  EXPECT_EQ("abcdefgh", Decode(Deflate(eleven), 12, 4));
}

TEST_F(FlateTest, TiffPredictor) {
  EXPECT_EQ(std::string("\x01\x02\x03"), Decode(Deflate("\x01\x01\x01"), 2, 3));
  // 4-bit samples, two components: each sample adds the same component of the pixel before.
  // Row values (a,b) = (1,2) (1,2) (15,1) -> (1,2) (2,4) (1,5); last nibble padding is zero.
  std::string packed = "\x12\x12\xF1";
  EXPECT_EQ(std::string("\x12\x24\x15"), Decode(Deflate(packed), 2, 3, 2, 4));
  // 1-bit samples add by exclusive or: 1 0 0 1 0 0 0 0 -> 1 1 1 0 0 0 0 0.
  EXPECT_EQ(std::string("\xE0"), Decode(Deflate("\x90"), 2, 8, 1, 1));
  // 16-bit samples carry across the byte boundary.
  EXPECT_EQ(std::string("\x00\xFF\x01\x00", 4),
            Decode(Deflate(std::string("\x00\xFF\x00\x01", 4)), 2, 2, 1, 16));
}

TEST_F(FlateTest, AbsurdParametersDeliverNothing) {
  const std::string body = Deflate(std::string(100, '\0'));
  const int bad[][3] = {{0, 1, 8},  {-5, 1, 8},         {1, 0, 8},  {1, 1, 0},
                        {1, 1, 33}, {2147483647, 1, 8}, {1, -1, 8}, {65536, 65536, 16}};
  for (const auto& p : bad) {
    EXPECT_EQ("", Decode(body, 12, p[0], p[1], p[2])) << p[0] << " " << p[1] << " " << p[2];
  }
}

TEST_F(FlateTest, FilterChoice) {
  struct Choice {
    const char* dict;
    int expected;  // 0 none, 1 the window itself, 2 a decoder
  } choices[] = {{"<< >>", 1},
                 {"<< /Filter null /F /FlateDecode >>", 2},
                 {"<< /Filter /Fl >>", 2},
                 {"<< /Filter /flatedecode >>", 0},
                 {"<< /Filter /FlateDecodeX >>", 0},
                 {"<< /Filter [/FlateDecode] >>", 2},
                 {"<< /Filter [FlateDecode] >>", 2},
                 {"<< /Filter FlateDecode >>", 0},
                 {"<< /Filter [/FlateDecode /ASCIIHexDecode] >>", 0},
                 {"<< /Filter [] >>", 0},
                 {"<< /Filter /DCTDecode >>", 0}};
  auto f = CPdfInputFile::Open(dir_.Write("w", "abc").c_str());
  CPdfObject null_dict;
  null_dict.SetNull();
  for (const Choice& c : choices) {
    CPdfObject dict;
    ParseDict(c.dict, dict);
    CPdfStream* window = CPdfFileStream::Create(f.get(), 0, 3, null_dict);
    CPdfStream* result = window->ApplyFilters(dict);
    int got = result == nullptr ? 0 : (result == window ? 1 : 2);
    EXPECT_EQ(c.expected, got) << c.dict;
    (result ? result : window)->Release();
  }
}

TEST_F(FlateTest, PredictorFromDecodeParmsAndRealIsIgnored) {
  std::string rows = std::string("\x02", 1) + "abcde" + std::string("\x02\x01\x01\x01\x01\x01", 6);
  std::string body = Deflate(rows);
  auto f = CPdfInputFile::Open(dir_.Write("p", body).c_str());
  CPdfObject null_dict;
  null_dict.SetNull();
  for (const char* params : {"<< /Predictor 12 /Columns 5 >>", "<< /Predictor 12.0 >>"}) {
    CPdfObject dict;
    CPdfObject p;
    ParseDict(params, p);
    CPdfStream* window =
        CPdfFileStream::Create(f.get(), 0, static_cast<uint32_t>(body.size()), null_dict);
    CPdfStream* flate = CreateDecoder("FlateDecode", window, p);
    std::string out;
    for (int c = flate->GetChar(); c >= 0; c = flate->GetChar()) {
      out += static_cast<char>(c);
    }
    flate->Release();
    if (std::string(params).find("12.0") == std::string::npos) {
      EXPECT_EQ("abcdebcdef", out);
    } else {
      EXPECT_EQ(rows, out);
    }
  }
}

}  // namespace
