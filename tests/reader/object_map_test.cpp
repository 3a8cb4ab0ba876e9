// Where the object map's one pass finds every object's extent, what the copy writes after it,
// which objects it marks damaged, and where their stream bodies stand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "open_pdf.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "reader/cpdf_object_map.h"
#include "reader/cpdf_xref_table.h"

namespace {

// Bytes of the file after its header: an object (num 0 for junk) written by the builder, or as
// they are. The table lists every object with a number where it starts.
struct Piece {
  int num;
  std::string bytes;
  bool raw = false;
};
Piece Raw(int num, const std::string& bytes) {
  return {num, bytes, true};
}

struct MapCase {
  std::string name;
  std::vector<Piece> pieces;
  std::string expected;  // each object's bytes, then its tail and notes; "|" between objects
  int64_t length7 = -1;  // the value of 7 0 R, for a /Length that refers to it
};
PRINT_CASE_BY_NAME(MapCase)

const char* TailName(CPdfObjectMap::Tail tail) {
  switch (tail) {
    case CPdfObjectMap::Tail::kNone:
      return "";
    case CPdfObjectMap::Tail::kLineFeed:
      return " +lf";
    case CPdfObjectMap::Tail::kEndobj:
      return " +endobj";
    default:
      return " +endstream";
  }
}

class ObjectMapTest : public testing::TestWithParam<MapCase> {};

TEST_P(ObjectMapTest, ExtentsTailsAndBodies) {
  const MapCase& c = GetParam();
  PdfBuilder b;
  b.Header();
  CPdfXRefTable table;
  for (const Piece& p : c.pieces) {
    if (p.num > 0) {
      table.Add(p.num, XRefEntry{static_cast<int32_t>(b.Here()), 0, 1});
    }
    if (p.raw) {
      b.Raw(p.bytes);
    } else {
      b.Object(p.num, p.bytes);
    }
  }
  table.Finish();
  const std::string& bytes = b.Bytes();
  const auto file = InputOf(bytes);
  CPdfObjectMap map;
  map.Build(file.get(), 0, table,
            [&c](int32_t num, int32_t gen) { return num == 7 && gen == 0 ? c.length7 : -1; });
  std::string out;
  for (size_t k = 0; k < map.Count(); ++k) {
    const CPdfObjectMap::Object& o = map.At(k);
    out += (k ? "|" : "") + bytes.substr(o.start, o.length) + TailName(map.TailOf(k));
    out += map.IsDamaged(k) ? " damaged" : "";
    PdfOffset start = 0;
    PdfOffset length = 0;
    if (map.BodyOf(k, &start, &length)) {
      out += " body '" + bytes.substr(start, length) + "'";
      out += map.BodySearched(k) ? " searched" : "";
    }
  }
  EXPECT_EQ(c.expected, out);
}

const char* kTable = "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 2 >>\n";

INSTANTIATE_TEST_SUITE_P(
    Objects,
    ObjectMapTest,
    testing::Values(
        MapCase{"Plain",
                {{1, "(one)"}, {2, "<< /A [1 2] >>"}},
                "1 0 obj\n(one)\nendobj\n|2 0 obj\n<< /A [1 2] >>\nendobj\n"},
        MapCase{"TokensAfterTheValueStay",
                {Raw(1, "1 0 obj 1 2 endobj\n")},
                "1 0 obj 1 2 endobj\n"},
        MapCase{"EndobjWithCrLfOrABlank",
                {Raw(1, "1 0 obj 1 endobj\r\n"), Raw(2, "2 0 obj 2 endobj 3 0 obj 3 endobj")},
                "1 0 obj 1 endobj\r\n|2 0 obj 2 endobj |3 0 obj 3 endobj +lf"},
        MapCase{"EndobjBeforeAComment", {Raw(1, "1 0 obj 1 endobj%c\n")}, "1 0 obj 1 endobj +lf"},
        MapCase{"EndobjMissingBeforeTheNextHeader",
                {Raw(1, "1 0 obj\n(one)\n"), {2, "2"}},
                "1 0 obj\n(one) +endobj|2 0 obj\n2\nendobj\n"},
        MapCase{"EndobjMissingBeforeTheTable",
                {Raw(1, "1 0 obj\n(one)\n"), Raw(0, kTable)},
                "1 0 obj\n(one) +endobj"},
        MapCase{"HeaderInsideAString", {{1, "(2 0 obj)"}}, "1 0 obj\n(2 0 obj)\nendobj\n"},
        MapCase{
            "HeaderInsideStreamData",
            {{1, "<< /Length 9 >>\nstream\n2 0 obj 5\nendstream"}},
            "1 0 obj\n<< /Length 9 >>\nstream\n2 0 obj 5\nendstream\nendobj\n body '2 0 obj 5'"},
        MapCase{"JunkBetweenObjectsHidesNoHeader",
                {Raw(0, "junk ( < ) "), {1, "1"}},
                "1 0 obj\n1\nendobj\n"},
        MapCase{"OlderDefinitionKept",
                {Raw(0, "1 0 obj (old) endobj\n"), {1, "(new)"}},
                "1 0 obj (old) endobj\n|1 0 obj\n(new)\nendobj\n"},
        MapCase{"StringOpenToTheEnd",
                {{1, "1"}, Raw(2, "2 0 obj\n(abc\nendobj\n")},
                "1 0 obj\n1\nendobj\n|2 0 obj\n(abc\nendobj\n +endobj damaged"},
        MapCase{"StringOpenAfterTheValue",
                {Raw(1, "1 0 obj\n5 (abc\n")},
                "1 0 obj\n5 +endobj damaged"}),
    CaseName<MapCase>);

// A dictionary or array that a keyword of the file's structure, the next header or the end of
// the file leaves open is damaged: what follows may be its own.
INSTANTIATE_TEST_SUITE_P(
    LeftOpen,
    ObjectMapTest,
    testing::Values(
        MapCase{"ByEndobj",
                {Raw(1, "1 0 obj\n<< /A [1 2\nendobj\n")},
                "1 0 obj\n<< /A [1 2\nendobj\n damaged"},
        MapCase{"ArrayByTrailer",
                {Raw(1, "1 0 obj\n[1 (x)\n"), Raw(0, "trailer\n<< >>\n")},
                "1 0 obj\n[1 (x) +endobj damaged"},
        MapCase{"ByTheNextHeader",
                {Raw(1, "1 0 obj\n<< /A 1\n"), {2, "2"}},
                "1 0 obj\n<< /A 1\n +endobj damaged|2 0 obj\n2\nendobj\n"},
        MapCase{"ByTheEnd", {Raw(1, "1 0 obj\n<< /A 1")}, "1 0 obj\n<< /A 1 +endobj damaged"}),
    CaseName<MapCase>);

// A body whose /Length is wrong ends at the first "endstream" that "endobj" follows; tokens
// after that "endobj" that are no header may be the rest of its data.
INSTANTIATE_TEST_SUITE_P(
    Searched,
    ObjectMapTest,
    testing::Values(
        MapCase{"NextHeaderFollows",
                {{1, "<< /Length 1 >>\nstream\nab\nendstream"}, {2, "2"}},
                "1 0 obj\n<< /Length 1 >>\nstream\nab\nendstream\nendobj\n body 'ab' "
                "searched|2 0 obj\n2\nendobj\n"},
        MapCase{"TableFollows",
                {{1, "<< /Length 1 >>\nstream\nab\nendstream"}, Raw(0, kTable)},
                "1 0 obj\n<< /Length 1 >>\nstream\nab\nendstream\nendobj\n body 'ab' "
                "searched"},
        MapCase{"DataFollows",
                {{1, "<< /Length 1 >>\nstream\n(a endstream\nendobj\n b)\nendstream"}, {2, "2"}},
                "1 0 obj\n<< /Length 1 >>\nstream\n(a endstream\nendobj\n damaged body '(a ' "
                "searched|2 0 obj\n2\nendobj\n"}),
    CaseName<MapCase>);

const std::string kData = "\nstream\nabc\nendstream";

INSTANTIATE_TEST_SUITE_P(
    StreamBodies,
    ObjectMapTest,
    testing::Values(
        MapCase{"LengthByReference",
                {{1, "<< /Length 7 0 R >>" + kData}},
                "1 0 obj\n<< /Length 7 0 R >>" + kData + "\nendobj\n body 'abc'",
                3},
        MapCase{"NoEndstreamTheLengthBounds",
                {Raw(1, "1 0 obj\n<< /Length 3 >>\nstream\nabc\nendobj\n")},
                "1 0 obj\n<< /Length 3 >>\nstream\nabc +endstream body 'abc' searched"},
        MapCase{"NoEndstreamNothingBounds",
                {Raw(1, "1 0 obj\n<< >>\nstream\nabc\nendobj\n"), {2, "2"}},
                "1 0 obj\n<< >>\nstream\nabc\nendobj\n +endobj damaged|2 0 obj\n2\nendobj\n"}),
    CaseName<MapCase>);

}  // namespace
