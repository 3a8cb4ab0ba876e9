// Objects kept in object streams: every member the table names reaches the output, or the run
// is refused with one line. Nothing is lost in silence.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "faithful_copy.h"
#include "open_pdf.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// Catalog 1 and the page tree 2 in the file; page 3 in object stream 4 unless `build` says
// otherwise. `build` adds objects and entries before the cross-reference stream (object 9).
PdfBuilder WithStreams(const std::function<void(PdfBuilder&)>& build) {
  PdfBuilder b;
  b.Header("1.5").Object(1, "<< /Type /Catalog /Pages 2 0 R >>").Object(2, kPagesBody);
  build(b);
  b.XRefStream(9, "/Root 1 0 R");
  return b;
}

// An object stream whose header is followed by `padding` bytes of white space before the
// members: it decodes to that much and costs a few kilobytes.
void PaddedStream(PdfBuilder& b,
                  int num,
                  const std::vector<std::pair<int, std::string>>& members,
                  size_t padding) {
  std::string header;
  std::string body;
  for (const auto& [n, text] : members) {
    header += std::to_string(n) + " " + std::to_string(body.size()) + " ";
    body += text + " ";
  }
  const size_t first = header.size() + padding;
  b.Stream(num,
           "/Type /ObjStm /N " + std::to_string(members.size()) + " /First " +
               std::to_string(first) + " /Filter /FlateDecode",
           Deflate(header + std::string(padding, ' ') + body));
  for (size_t k = 0; k < members.size(); ++k) {
    b.Compressed(members[k].first, num, static_cast<int>(k));
  }
}

struct Case {
  const char* name;
  std::function<void(PdfBuilder&)> build;
  const char* message;  // empty: the copy succeeds and is faithful
  // Set for an object that qpdf reads as null where its stream fails, but that stands in the
  // file under its own header: the output must hold it as written there.
  const char* found_by_header = nullptr;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

class ObjectStreamCopyTest : public testing::TestWithParam<Case> {};

TEST_P(ObjectStreamCopyTest, CopiesEveryMemberOrRefuses) {
  const Case& c = GetParam();
  TempDir dir;
  const std::string in = dir.Write("in.pdf", WithStreams(c.build).Bytes());
  const std::string out = dir.Path("out.pdf");
  EXPECT_EQ(c.message, RunQuillturn("'" + in + "' '" + out + "' /r90").output);
  if (c.found_by_header) {
    EXPECT_NE(std::string::npos, ReadFile(out).find(c.found_by_header));
    EXPECT_EQ(0, RunCommand("qpdf --check '" + out + "' >/dev/null 2>&1").exit_code);
  } else if (std::string(c.message).empty()) {
    ExpectFaithfulCopy(in, out, Pages({1}, 90));
  } else {
    EXPECT_FALSE(FileExists(out));
  }
}

const char* kDamaged = "PDF file was damaged";

INSTANTIATE_TEST_SUITE_P(
    Members,
    ObjectStreamCopyTest,
    testing::Values(
        Case{"IndexThatMissesIsFoundByTheHeader",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{5, "(five)"}, {3, kPageBody}});
               b.Compressed(3, 4, 256 + 1);  // a one-byte index field would have wrapped
             },
             ""},
        Case{"StreamListingItselfFirst",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{4, "(self)"}, {3, kPageBody}});
               b.Compressed(3, 4, 0);
             },
             ""},
        Case{"ContentStreamCalledObjStmIsKept",
             [](PdfBuilder& b) {
               b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> /Contents 5 0 R >>");
               b.Stream(5, "/Type /ObjStm /N 1 /First 4", "0 0 m 9 9 l S");
             },
             ""},
        Case{"InterleavedStreamsOfSixteenMiB",
             [](PdfBuilder& b) {
               // Members alternate between two streams that do not fit the reader's cache
               // together: copied in number order, each member would decode its stream again.
               std::vector<std::pair<int, std::string>> odd;
               std::vector<std::pair<int, std::string>> even;
               for (int n = 10; n < 210; ++n) {
                 (n % 2 ? odd : even).emplace_back(n, "(member " + std::to_string(n) + ")");
               }
               even.emplace_back(3, kPageBody);
               PaddedStream(b, 4, odd, size_t{16} << 20);
               PaddedStream(b, 5, even, size_t{16} << 20);
             },
             ""},
        Case{"MemberTheStreamLacksIsFoundByItsHeader",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}});
               b.Object(6, "(six, written in the file)");
               b.Compressed(6, 4, 1);
             },
             "", "6 0 obj\n(six, written in the file)\nendobj"},
        Case{"MemberOfAnUndecodableStreamIsFoundByItsHeader",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}});
               b.Stream(5, "/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode", "not zlib");
               b.Object(6, "(six)");
               b.Compressed(6, 5, 0);
             },
             "", "6 0 obj\n(six)\nendobj"},
        Case{"MemberIndexNowhereInTheHeader",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}, {5, "(five)"}});
               b.Compressed(6, 4, 1);
             },
             kDamaged},
        Case{"StreamNumberOutsideTheTable",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}});
               b.Compressed(6, 40, 0);
             },
             kDamaged},
        Case{"StreamThatCannotBeDecoded",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}});
               b.Stream(5, "/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode", "not zlib");
               b.Compressed(6, 5, 0);
             },
             kDamaged},
        Case{"StreamOverTheDecodeCap",
             [](PdfBuilder& b) {
               b.ObjectStream(4, {{3, kPageBody}});
               PaddedStream(b, 5, {{6, "(six)"}}, size_t{33} << 20);
             },
             kDamaged}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(ObjectStreamPageWalkTest, PagesAlternatingBetweenLargeStreams) {
  // The page walk, not the copy, meets these pages in the order of their numbers: two streams
  // of 8 MiB that no small cache holds together would be decoded for every page.
  PdfBuilder b;
  std::string kids;
  std::vector<std::pair<int, std::string>> odd;
  std::vector<std::pair<int, std::string>> even;
  const std::string page = "<< /Type /Page /Parent 2 0 R /Resources << >> >>";
  for (int n = 10; n < 70; ++n) {
    kids += std::to_string(n) + " 0 R ";
    (n % 2 ? odd : even).emplace_back(n, page);
  }
  b.Header("1.5").Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count 60 >>");
  PaddedStream(b, 4, odd, size_t{8} << 20);
  PaddedStream(b, 5, even, size_t{8} << 20);
  b.XRefStream(9, "/Root 1 0 R");
  TempDir dir;
  const std::string in = dir.Write("in.pdf", b.Bytes());
  const std::string out = dir.Path("out.pdf");
  EXPECT_EQ("", RunQuillturn("'" + in + "' '" + out + "' /p2,59 /r90").output);
  ExpectFaithfulCopy(in, out, Pages({2, 59}, 90));
}

}  // namespace
