// Objects kept in object streams: every member the table names reaches the output, or the run
// is refused with one line. Nothing is lost in silence.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// Catalog 1 and the page tree 2 in the file, then what build adds (page 3 among it), listed by
// cross-reference stream 9.
PdfBuilder WithStreams(void (*build)(PdfBuilder&)) {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kPages);
  build(b);
  b.XRefStream(9, "/Root 1 0 R");
  return b;
}

// Page 3 in object stream 4.
PdfBuilder& PageIn4(PdfBuilder& b) {
  return b.ObjectStream(4, {{3, kPage}});
}

// Object stream 5, which cannot be decoded.
PdfBuilder& Undecodable5(PdfBuilder& b) {
  return b.Stream(5, "/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode", "not zlib");
}

struct Case {
  const char* name;
  const char* message;  // empty: the copy succeeds and is faithful
  void (*build)(PdfBuilder&);
  // Set for an object that qpdf reads as null where its stream fails, but that stands in the
  // file under its own header: the output must hold it as written there.
  const char* found_by_header = nullptr;
};

PRINT_CASE_BY_NAME(Case)

class ObjectStreamCopyTest : public testing::TestWithParam<Case> {};

TEST_P(ObjectStreamCopyTest, CopiesEveryMemberOrRefuses) {
  const Case& c = GetParam();
  Scratch s;
  EXPECT_EQ(c.message, s.Run(WithStreams(c.build).Bytes(), "/r90"));
  if (c.found_by_header) {
    EXPECT_NE(std::string::npos, ReadFile(s.out).find(c.found_by_header));
    EXPECT_EQ(0, RunCommand("qpdf --check '" + s.out + "' >/dev/null 2>&1").exit_code);
  } else if (std::string(c.message).empty()) {
    ExpectFaithfulCopy(s.in, s.out, Pages({1}, 90));
  } else {
    EXPECT_FALSE(FileExists(s.out));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Members,
    ObjectStreamCopyTest,
    testing::Values(
        // The entry's index holds object 5: a one-byte index field would have wrapped to 1.
        Case{"IndexThatMissesIsFoundByTheHeader", "",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{5, "(five)"}, {3, kPage}}).Compressed(3, 4, 257);
             }},
        Case{"StreamListingItselfFirst", "",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{4, "(self)"}, {3, kPage}}).Compressed(3, 4, 0);
             }},
        Case{"ContentStreamCalledObjStmIsKept", "",
             [](PdfBuilder& b) {
               b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> /Contents 5 0 R >>");
               b.Stream(5, "/Type /ObjStm /N 1 /First 4", "0 0 m 9 9 l S");
             }},
        Case{"MemberTheStreamLacksIsFoundByItsHeader", "",
             [](PdfBuilder& b) { PageIn4(b).Object(6, "(six, in the file)").Compressed(6, 4, 1); },
             "6 0 obj\n(six, in the file)\nendobj"},
        Case{"MemberOfAnUndecodableStreamIsFoundByItsHeader", "",
             [](PdfBuilder& b) { Undecodable5(PageIn4(b)).Object(6, "(six)").Compressed(6, 5, 0); },
             "6 0 obj\n(six)\nendobj"},
        // A damaged entry names the font as the stream of object 6: the font is no object
        // stream that gives members, so it is copied like any other object.
        Case{"PlainObjectNamedAsAStreamIsKept", "",
             [](PdfBuilder& b) {
               PageIn4(b).Object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
               b.Object(6, "(six)").Compressed(6, 5, 0);
             },
             "5 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj"},
        // Members 5 and 6 written "12" with nothing between: readers take 12 for object 5.
        Case{"MembersThatRunTogether", kDamaged,
             [](PdfBuilder& b) {
               PageIn4(b).Stream(6, "/Type /ObjStm /N 2 /First 8", "5 0 6 1 12");
               b.Compressed(5, 6, 0).Compressed(6, 6, 1);
             }},
        Case{"StreamNumberOutsideTheTable", kDamaged,
             [](PdfBuilder& b) { PageIn4(b).Compressed(6, 40, 0); }},
        Case{"StreamThatCannotBeDecoded", kDamaged,
             [](PdfBuilder& b) { Undecodable5(PageIn4(b)).Compressed(6, 5, 0); }}),
    CaseName<Case>);

}  // namespace
