// What the input matrix's cross-reference streams do not reach: rare predictor corners and the
// choice of filter. Every PNG type and TIFF layout is copied end to end there.
#include <gtest/gtest.h>

#include <string>

#include "objects/cpdf_object.h"
#include "objects/cpdf_parser.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_flate_stream.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "test_files.h"

namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

std::string Drain(CPdfStream* s) {
  std::string out;
  for (int c = s->GetChar(); c >= 0; c = s->GetChar()) {
    out += static_cast<char>(c);
  }
  s->Release();
  return out;
}

// A file window over data compressed here, as the reader gives a stream body.
class Window {
 public:
  explicit Window(const std::string& data)
      : body_(Deflate(data)), file_(CPdfInputFile::Open(dir_.Write("body", body_).c_str())) {}
  CPdfStream* New() {
    CPdfObject null_dict;
    null_dict.SetNull();
    return CPdfFileStream::Create(file_.get(), 0, static_cast<uint32_t>(body_.size()), null_dict);
  }

 private:
  TempDir dir_;
  std::string body_;
  std::unique_ptr<CPdfInputFile> file_;
};

// Inflates data (compressed here) with the given predictor parameters.
std::string Decode(const std::string& data,
                   int predictor,
                   int columns,
                   int colors = 1,
                   int bits = 8) {
  Window window(data);
  return Drain(new CPdfFlateStream(window.New(), predictor, columns, colors, bits));
}

TEST(FlateTest, PredictorCorners) {
  // Paeth's tie between up and upper left goes to up: left 0, up 30, upper left 10.
  const std::string tie("\x0a\x1e\x00\x05", 4);
  EXPECT_EQ(tie, Decode(PngPredict(tie, 2, 1, 4), 14, 2));
  // Saturated averages add 255, not 127.
  const std::string bright(30, '\xFF');
  EXPECT_EQ(bright, Decode(PngPredict(bright, 15, 3, 3), 10, 5, 3));
  // An unknown row type copies the row; a partial last row is dropped.
  EXPECT_EQ("abcd", Decode(std::string("\x07") + "abcd", 12, 4));
  EXPECT_EQ("abcdefgh", Decode(std::string("\0abcd\0efgh\0z", 12), 12, 4));
  // TIFF: 4-bit samples of two components, 1-bit samples by exclusive or, 16-bit with a carry.
  EXPECT_EQ("\x12\x24\x15", Decode("\x12\x12\xF1", 2, 3, 2, 4));
  EXPECT_EQ("\xE0", Decode("\x90", 2, 8, 1, 1));
  EXPECT_EQ(std::string("\x00\xFF\x01\x00", 4),
            Decode(std::string("\x00\xFF\x00\x01", 4), 2, 2, 1, 16));
}

struct Choice {
  const char* dict;
  const char* decoded;  // what the stream "abcde" (compressed) gives, or "refused"
};

void PrintTo(const Choice& c, std::ostream* os) {
  *os << c.dict;
}

class FilterChoiceTest : public testing::TestWithParam<Choice> {};

TEST_P(FilterChoiceTest, DecodesOrRefuses) {
  const std::string text = GetParam().dict;
  CPdfObject dict;
  CPdfParser(nullptr, new CPdfMemoryStream(Bytes(text), text.size())).ParseObject(dict);
  Window file(std::string("\x02") + "abcde\x02\x01\x01\x01\x01\x01");
  CPdfStream* window = file.New();
  CPdfStream* result = window->ApplyFilters(dict);
  EXPECT_EQ(GetParam().decoded, result ? Drain(result) : "refused");
  if (!result) {
    window->Release();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Filters,
    FilterChoiceTest,
    testing::Values(Choice{"<< /Filter null /F /FlateDecode >>",
                           "\x02"
                           "abcde\x02\x01\x01\x01\x01\x01"},
                    Choice{"<< /Filter /Fl /DecodeParms << /Predictor 12 /Columns 5 >> >>",
                           "abcdebcdef"},
                    Choice{"<< /Filter [FlateDecode] /DecodeParms << /Predictor 12.0 >> >>",
                           "\x02"
                           "abcde\x02\x01\x01\x01\x01\x01"},
                    Choice{"<< /Filter /flatedecode >>", "refused"},
                    Choice{"<< /Filter /FlateDecodeX >>", "refused"},
                    Choice{"<< /Filter FlateDecode >>", "refused"},
                    Choice{"<< /Filter [/FlateDecode /ASCIIHexDecode] >>", "refused"},
                    Choice{"<< /Filter [] >>", "refused"},
                    Choice{"<< /Filter /DCTDecode >>", "refused"}),
    [](const testing::TestParamInfo<Choice>& p) { return ParamName(p.index, p.param.dict); });

}  // namespace
