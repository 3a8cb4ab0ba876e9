// Objects kept in object streams: every member the table names reaches the output, or the run
// is refused with one line. Nothing is lost in silence.
#include <gtest/gtest.h>

#include <string>

#include "copy_case.h"
#include "faithful_copy.h"
#include "fixtures.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

using Members = std::vector<std::pair<int, std::string>>;

// Catalog 1 and the page tree 2 in the file, then what build adds (page 3 among it), listed by
// cross-reference stream 9.
std::string WithStreams(void (*build)(PdfBuilder&)) {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kPages);
  build(b);
  return b.XRefStream(9, "/Root 1 0 R").Bytes();
}

// Objects 10 to end - 1, each holding body, alternating between object streams 4 and 5 of
// mib MiB each.
PdfBuilder& Alternating(PdfBuilder& b, int end, size_t mib, const std::string& body) {
  Members odd;
  Members even;
  for (int n = 10; n < end; ++n) {
    (n % 2 ? odd : even).emplace_back(n, body);
  }
  // White space between the header and the members: each stream decodes to mib MiB and
  // costs a few kilobytes.
  return b.ObjectStream(4, odd, true, "", mib << 20).ObjectStream(5, even, true, "", mib << 20);
}

// 200 members in two streams that do not fit the reader's cache together: copied in number
// order, each would decode its stream again.
std::string InterleavedStreams() {
  return WithStreams([](PdfBuilder& b) { Alternating(b, 210, 16, "(member)").Object(3, kPage); });
}

// Page 3 in object stream 4.
PdfBuilder& PageIn4(PdfBuilder& b) {
  return b.ObjectStream(4, {{3, kPage}});
}

// Object stream 5, which cannot be decoded.
PdfBuilder& Undecodable5(PdfBuilder& b) {
  return b.Stream(5, "/Type /ObjStm /N 1 /First 4 /Filter /FlateDecode", "not zlib");
}

// Object stream 5 giving member 6 through ASCII85, with a character readers refuse after the
// member's data: the stream gives nothing, though the member is whole before it.
PdfBuilder& RefusedAscii5(PdfBuilder& b) {
  // Whole groups, and white space enough that the damage comes in a later read than them.
  std::string data = Ascii85Encode("6 0 (six)   ");
  data.insert(data.size() - 2, std::string(4000, ' ') + "v");
  return b.Stream(5, "/Type /ObjStm /N 1 /First 4 /Filter /ASCII85Decode", data);
}

// The page walk, not the copy, meets these pages in the order of their numbers: two streams
// of 8 MiB that no small cache holds together would be decoded for every page.
std::string PagesAlternatingBetweenLargeStreams() {
  std::string kids;
  for (int n = 10; n < 70; ++n) {
    kids += std::to_string(n) + " 0 R ";
  }
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog);
  b.Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count 60 >>");
  Alternating(b, 70, 8, "<< /Type /Page /Parent 2 0 R /Resources << >> >>");
  return b.XRefStream(9, "/Root 1 0 R").Bytes();
}

// A hybrid file whose classic table lists page 3 as free, although the stream its /XRefStm
// names places it in object stream 4: the stream's entry counts.
std::string HybridListingTheMemberFree() {
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kPages).ObjectStream(4, {{3, kPage}});
  std::string bytes = b.HybridSection(9, "/Root 1 0 R").Bytes();
  const size_t table = bytes.rfind("\nxref\n");
  // Its own subsection, inserted into the table: nothing after it depends on its length.
  return bytes.insert(bytes.find("\n4 ", table) + 1, "3 1\n0000000000 00000 f \n");
}

// Page 3 in an unfiltered object stream whose "stream" a CR LF ends: its data starts after the
// LF. Its member stands right after the header "3 0", and the data ends in white space, so that
// a start one byte early or late shows only in the member.
std::string ObjectStreamAfterCrLf() {
  const std::string data = "3 0" + kPage + "\n";
  PdfBuilder b;
  b.Header("1.5").Object(1, kCatalog).Object(2, kPages);
  b.Object(4, "<< /Type /ObjStm /N 1 /First 3 /Length " + std::to_string(data.size()) +
                  " >>\nstream\r\n" + data + "\nendstream");
  return b.Compressed(3, 4, 0).XRefStream(9, "/Root 1 0 R").Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    Members,
    CopyTest,
    testing::Values(
        // The entry's index holds object 5: a one-byte index field would have wrapped to 1.
        Copied("IndexThatMissesIsFoundByTheHeader", WithStreams([](PdfBuilder& b) {
                 b.ObjectStream(4, {{5, "(five)"}, {3, kPage}}).Compressed(3, 4, 257);
               })),
        Copied("StreamListingItselfFirst", WithStreams([](PdfBuilder& b) {
                 b.ObjectStream(4, {{4, "(self)"}, {3, kPage}}).Compressed(3, 4, 0);
               })),
        Copied("ContentStreamCalledObjStmIsKept", WithStreams([](PdfBuilder& b) {
                 b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> /Contents 5 0 R >>");
                 b.Stream(5, "/Type /ObjStm /N 1 /First 4", "0 0 m 9 9 l S");
               })),
        CopiedLarge("InterleavedStreamsOfSixteenMiB", InterleavedStreams),
        CopiedLarge("PagesAlternatingBetweenLargeStreams",
                    PagesAlternatingBetweenLargeStreams,
                    "/p2,59 /r90",
                    Pages({2, 59}, 90)),
        Copied("MemberTheStreamLacksIsFoundByItsHeader",
               WithStreams([](PdfBuilder& b) {
                 PageIn4(b).Object(6, "(six, in the file)").Compressed(6, 4, 1);
               }),
               "/r90",
               std::nullopt,
               "6 0 obj\n(six, in the file)\nendobj"),
        Copied("MemberOfAnUndecodableStreamIsFoundByItsHeader",
               WithStreams([](PdfBuilder& b) {
                 Undecodable5(PageIn4(b)).Object(6, "(six)").Compressed(6, 5, 0);
               }),
               "/r90",
               std::nullopt,
               "6 0 obj\n(six)\nendobj"),
        // A damaged entry names the font as the stream of object 6: the font is no object
        // stream that gives members, so it is copied like any other object.
        Copied("PlainObjectNamedAsAStreamIsKept",
               WithStreams([](PdfBuilder& b) {
                 PageIn4(b).Object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
                 b.Object(6, "(six)").Compressed(6, 5, 0);
               }),
               "/r90",
               std::nullopt,
               "5 0 obj\n<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj"),
        // Members 5 and 6 written "12" with nothing between: readers take 12 for object 5.
        Refused("MembersThatRunTogether",
                WithStreams([](PdfBuilder& b) {
                  PageIn4(b).Stream(6, "/Type /ObjStm /N 2 /First 8", "5 0 6 1 12");
                  b.Compressed(5, 6, 0).Compressed(6, 6, 1);
                }),
                kDamaged),
        Copied("HybridTableListingTheMemberFree", HybridListingTheMemberFree()),
        Copied("StreamLineEndedByCrLf", ObjectStreamAfterCrLf()),
        Refused("StreamNumberOutsideTheTable",
                WithStreams([](PdfBuilder& b) { PageIn4(b).Compressed(6, 40, 0); }),
                kDamaged),
        Refused("StreamThatCannotBeDecoded",
                WithStreams([](PdfBuilder& b) { Undecodable5(PageIn4(b)).Compressed(6, 5, 0); }),
                kDamaged),
        Refused("StreamWhoseAsciiDataIsRefused",
                WithStreams([](PdfBuilder& b) { RefusedAscii5(PageIn4(b)).Compressed(6, 5, 0); }),
                kDamaged)),
    CopyCaseName);

}  // namespace
