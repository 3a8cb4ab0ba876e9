// Each named limit at the limit (accepted), one past it and far beyond it (a clean refusal).
// The binary runs with a 1 MiB stack, so a limit that let recursion run too deep would crash.
#include <gtest/gtest.h>

#include <string>

#include "document/cpdf_catalog.h"
#include "faithful_copy.h"
#include "fixtures.h"
#include "objects/cpdf_parser.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "reader/cpdf_objstm.h"
#include "reader/cpdf_xref.h"
#include "test_files.h"

namespace {

// The page dictionary is the first level.
std::string Nesting(int64_t levels) {
  const size_t inside = static_cast<size_t>(levels - 1);
  return Finish(OnePage(
      PageWith("/Resources << >> /Deep " + std::string(inside, '[') + std::string(inside, ']'))));
}

// The root, then a chain of nodes below it, then the page.
std::string TreeDepth(int64_t depth) {
  PdfBuilder b;
  b.Header().Object(1, kCatalog);
  for (int i = 0; i < depth; ++i) {
    const int kid = i + 1 < depth ? 10 + i : 3;
    b.Object(i == 0 ? 2 : 9 + i,
             "<< /Type /Pages /Kids [" + std::to_string(kid) + " 0 R] /Count 1 >>");
  }
  return Finish(b.Object(3, "<< /Type /Page /Resources << >> >>"));
}

std::string Sections(int64_t count) {
  PdfBuilder b = OnePage();
  int64_t prev = b.XRefTable("/Root 1 0 R").LastXRefOffset();
  for (int i = 1; i < count; ++i) {
    const int64_t at = b.Here();
    b.Raw("xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev " + std::to_string(prev) + " >>\n");
    prev = at;
  }
  return b.StartXRef(prev).Bytes();
}

// Numbers from 0: the largest is one below the count.
std::string ObjectCount(int64_t count) {
  PdfBuilder b = OnePage(PageWith("/Resources << >> /Far " + std::to_string(count - 1) + " 0 R"));
  return Finish(b.Object(static_cast<int>(count - 1), "(far)"));
}

// The page alone in an object stream whose data decodes to size bytes ("3 0 ", then blanks).
std::string DecodedObjectStream(int64_t size) {
  const std::string page = "<< /Type /Page /Resources << >> >>";
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kPages);
  b.ObjectStream(4, {{3, page}}, true, "", static_cast<size_t>(size) - 4 - page.size());
  return b.XRefStream(5, "/Root 1 0 R").Bytes();
}

// A cross-reference stream of `records` records, most of them free, in a file of exactly
// kRecordsFileSize bytes (a comment pads it).
constexpr int64_t kRecordsFileSize = int64_t{2} << 20;
std::string XRefStreamRecords(int64_t records) {
  PdfBuilder b = OnePage();
  const auto row = [](int type, int64_t offset, int gen) {
    return std::string{static_cast<char>(type),         static_cast<char>(offset >> 24),
                       static_cast<char>(offset >> 16), static_cast<char>(offset >> 8),
                       static_cast<char>(offset),       static_cast<char>(gen >> 8),
                       static_cast<char>(gen)};
  };
  std::string pad = "%";
  const auto build = [&] {
    PdfBuilder f = b;
    f.Raw(pad + "\n");
    const int64_t at = f.Here();
    std::string rows = row(0, 0, 65535) + row(1, f.Offset(1), 0) + row(1, f.Offset(2), 0) +
                       row(1, f.Offset(3), 0) + row(1, at, 0);
    rows.resize(static_cast<size_t>(records) * 7, '\0');
    f.Stream(4,
             "/Type /XRef /Size " + std::to_string(records) +
                 " /W [1 4 2] /Root 1 0 R /Filter /FlateDecode",
             Deflate(rows));
    return f.StartXRef(at).Bytes();
  };
  // The offsets the pad moves change the compressed records by a byte or two: padded until the
  // size is exact.
  std::string bytes = build();
  for (int i = 0; i < 8 && static_cast<int64_t>(bytes.size()) != kRecordsFileSize; ++i) {
    pad.resize(static_cast<size_t>(static_cast<int64_t>(pad.size()) + kRecordsFileSize -
                                   static_cast<int64_t>(bytes.size())),
               'x');
    bytes = build();
  }
  EXPECT_EQ(kRecordsFileSize, static_cast<int64_t>(bytes.size()));
  return bytes;
}

struct LimitCase {
  const char* name;
  std::string (*build)(int64_t);
  int64_t limit;
  const char* refusal;
  int64_t far;  // far beyond, where the bound keeps a recursion off the small stack; or 0
};
PRINT_CASE_BY_NAME(LimitCase)

const LimitCase kLimits[] = {
    {"ObjectNesting", Nesting, CPdfParser::kMaxNesting, "Objects nested too deeply", 200000},
    {"PageTreeDepth", TreeDepth, CPdfCatalog::kMaxTreeDepth, "Kids CPdfObject is wrong type",
     20000},
    {"CrossReferenceSections", Sections, CPdfXRef::kMaxSections, kDamaged, 0},
    {"ObjectNumbers", ObjectCount, CPdfXRef::kMaxObjects, "Couldn't parse an xref table", 0},
    {"DecodedObjectStreamSize", DecodedObjectStream, CPdfObjStmData::kMaxDecodedSize,
     "Kid CPdfObject is wrong type", 0},
    {"CrossReferenceStreamRecords", XRefStreamRecords, CPdfXRef::MostRecords(kRecordsFileSize),
     "Couldn't parse an xref stream", 0},
};

// The one line the binary prints for bytes, run with a 1 MiB stack ("" on success).
std::string RotateWithSmallStack(const std::string& bytes) {
  TempDir dir;
  const std::string in = dir.Write("in.pdf", bytes);
  const std::string out = dir.Path("out.pdf");
  CommandResult r = RunCommand("ulimit -s 1024 && " + std::string(QUILLTURN_BINARY) + " '" + in +
                               "' '" + out + "' /r90");
  EXPECT_EQ(0, r.exit_code);
  if (r.output.empty()) {
    ExpectFaithfulCopy(in, out, "/r90");
    // Linear in the input: a far object number costs a subsection, not a line per number.
    EXPECT_LT(ReadFile(out).size(), bytes.size() + 1024);
  }
  return r.output;
}

class LimitsTest : public testing::TestWithParam<LimitCase> {};

TEST_P(LimitsTest, AcceptedAtTheLimitRefusedBeyond) {
  const LimitCase& c = GetParam();
  EXPECT_EQ("", RotateWithSmallStack(c.build(c.limit)));
  EXPECT_EQ(c.refusal, RotateWithSmallStack(c.build(c.limit + 1)));
  if (c.far != 0) {
    EXPECT_EQ(c.refusal, RotateWithSmallStack(c.build(c.far)));
  }
}

INSTANTIATE_TEST_SUITE_P(Limits,
                         LimitsTest,
                         testing::ValuesIn(kLimits),
                         testing::PrintToStringParamName());

}  // namespace
