// -incremental: the forms producers write and the shapes built here, each update judged by real
// readers (compare_pdf.py --update); each refusal is one line, leaves the output path as it
// was, and is one the full copy does not make unless it says the same.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "faithful_copy.h"
#include "fixtures.h"
#include "objects/pdf_messages.h"
#include "param_name.h"
#include "pdf_builder.h"
#include "test_files.h"

namespace {

// The file at path as Quillturn's run with args wrote it.
std::string Run(const std::string& bytes, const std::string& args) {
  Scratch s;
  EXPECT_EQ("", s.Run(bytes, args));
  return ReadFile(s.out);
}

struct UpdateCase {
  std::string name;
  std::string (*make)();
  std::string options;
};
PRINT_CASE_BY_NAME(UpdateCase)

std::string Linearized() {
  TempDir dir;
  PdfBuilder b = TextPage();
  b.Object(6, "<< /Type /Page /Parent 2 0 R /Rotate 90 /Resources << >> >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 >>");
  const std::string in = dir.Write("plain.pdf", Finish(b));
  EXPECT_EQ(0, RunCommand("qpdf --linearize '" + in + "' '" + dir.Path("lin.pdf") + "'").exit_code);
  return ReadFile(dir.Path("lin.pdf"));
}

std::string UpdatedBeforeStreams() {
  PdfBuilder b = TextPage();
  return Run(b.XRefStream(6, "/Root 1 0 R").Bytes(), "-incremental /r90");
}

std::string Sideways() {
  return Finish(OnePage(PageWith("/Rotate 90 /Resources << >>")));
}

// A page generation above 0, its number far past the others, both kept.
std::string HighGeneration() {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [300 7 R] /Count 1 >>");
  b.Object(300, "<< /Type /Page /Parent 2 0 R /Resources << >> >>", 7);
  return b.XRefTable("/Root 1 0 R /Extra (kept)").Bytes();
}

const UpdateCase kUpdates[] = {
    {"linearized", Linearized, "/r180"},
    {"no_line_end_after_eof",
     [] { return Finish(TextPage()).substr(0, Finish(TextPage()).size() - 1); }, "/r90"},
    {"an_update_of_an_update", [] { return Run(Finish(TextPage()), "-incremental /r90"); },
     "/r270"},
    {"an_update_of_an_update_in_streams", UpdatedBeforeStreams, "/r0"},
    {"nothing_changes", Sideways, "/r90"},
    {"nothing_chosen", Sideways, "-portrait /r0"},
    {"inherited_angle_changes",
     [] {
       return Finish(OnePage(kPage, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Rotate -270 >>"));
     },
     "/r0"},
    {"generation_and_number_kept", HighGeneration, "/r90"},
};

class IncrementalUpdateTest : public testing::TestWithParam<UpdateCase> {};

TEST_P(IncrementalUpdateTest, JudgedByReaders) {
  Scratch s;
  ASSERT_EQ("", s.Run(GetParam().make(), "-incremental " + GetParam().options));
  ExpectFaithfulUpdate(s.in, s.out, GetParam().options);
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         IncrementalUpdateTest,
                         testing::ValuesIn(kUpdates),
                         CaseName<UpdateCase>);

// A signed file: the bytes its /ByteRange covers are the output's too, so the signature of that
// revision still holds; the field and its value are objects the update leaves alone.
TEST(IncrementalTest, SignatureRangesKept) {
  PdfBuilder b;
  b.Header().Object(
      1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] /SigFlags 3 >> >>");
  b.Object(2, kPages).Object(3, kTextPage).Stream(4, "", kText).Object(5, kFont);
  b.Object(6,
           "<< /FT /Sig /T (Signature1) /V 7 0 R /Type /Annot /Subtype /Widget "
           "/Rect [0 0 0 0] /P 3 0 R >>");
  b.Object(7, std::string("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached ") +
                  PdfBuilder::kByteRangeHole + " /Contents <" + std::string(512, '0') + "> >>");
  const std::string input = b.XRefTable("/Root 1 0 R").SignedRanges().Bytes();
  Scratch s;
  ASSERT_EQ("", s.Run(input, "-incremental /r90"));
  ExpectFaithfulUpdate(s.in, s.out, "/r90");
  const std::string out = ReadFile(s.out);
  unsigned long long r[4] = {};
  ASSERT_EQ(4, std::sscanf(input.c_str() + input.find("/ByteRange ["),
                           "/ByteRange [%llu %llu %llu %llu]", &r[0], &r[1], &r[2], &r[3]));
  ASSERT_EQ(input.size(), r[2] + r[3]);
  EXPECT_EQ(input.substr(r[0], r[1]), out.substr(r[0], r[1]));
  EXPECT_EQ(input.substr(r[2], r[3]), out.substr(r[2], r[3]));
}

// Written in place into a pipe, the update's bytes are those of the file it replaces.
TEST(IncrementalTest, PipeGetsTheSameBytes) {
  Scratch s;
  ASSERT_EQ("", s.Run(Finish(TextPage()), "-incremental /r90"));
  const CommandResult piped = RunQuillturn(
      "'" + s.in + "' /dev/stdout -incremental /r90 | cat > '" + s.dir.Path("p") + "'");
  EXPECT_EQ("", piped.output);
  EXPECT_EQ(ReadFile(s.out), ReadFile(s.dir.Path("p")));
}

// ---- Refusals ----------------------------------------------------------------------------

struct RefusedCase {
  std::string name;
  std::string (*make)();
  std::string message;       // with -incremental
  std::string copy_message;  // without it: "" when the full copy is made
  std::string options = "/r90";
};
PRINT_CASE_BY_NAME(RefusedCase)

std::string EntryAt(int64_t offset) {
  return Finish(TextPage().Entry(3, offset));
}

// Page 3 stands only inside a string of the font's dictionary, where its entry leads.
std::string ObjectInsideAnother() {
  PdfBuilder b;
  b.Header("1.4").Object(1, kCatalog).Object(2, kPages);
  b.Stream(4, "", "BT ET");
  const std::string page = std::string("3 0 obj\n") + kTextPage + "\nendobj\n";
  b.Object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Note (" + page + ") >>");
  return Finish(b.Entry(3, static_cast<int64_t>(b.Bytes().rfind(page))));
}

std::string StreamEndedBySearch() {
  PdfBuilder b = TextPage();
  b.Object(6, "<< /Length 3 >>\nstream\nnot three bytes\nendstream");
  return Finish(b);
}

std::string PrevLoop() {
  PdfBuilder b = TextPage();
  return Finish(b, "/Root 1 0 R /Prev " + std::to_string(b.Here()));
}

// The table puts page 3 in object stream 6, which does not hold it; its header stands alone.
std::string MemberFromItsHeader() {
  PdfBuilder b = TextPage();
  b.ObjectStream(6, {{7, "(seven)"}}).Compressed(3, 6, 1).Compressed(7, 6, 0);
  return b.XRefStream(8, "/Root 1 0 R").Bytes();
}

const RefusedCase kRefusals[] = {
    {"entry_at_another_header", [] { return EntryAt(TextPage().Offset(2)); }, kMsgUpdateDamaged,
     ""},
    {"entry_past_the_end", [] { return EntryAt(1 << 20); }, kMsgUpdateDamaged, ""},
    // "1 6" over lines that describe objects 0 to 5.
    {"shifted_subsection", [] { return Patched(Finish(TextPage()), "xref", "\n0 ", "\n1 "); },
     kMsgUpdateDamaged, ""},
    {"object_inside_another", ObjectInsideAnother, kMsgUpdateDamaged, ""},
    {"stream_ended_by_search", StreamEndedBySearch, kMsgUpdateDamaged, ""},
    {"prev_loop", PrevLoop, kMsgUpdateDamaged, ""},
    {"xrefstm_of_no_kind", [] { return Finish(TextPage(), "/Root 1 0 R /XRefStm (here)"); },
     kMsgUpdateDamaged, ""},
    {"member_from_its_header", MemberFromItsHeader, kMsgUpdateDamaged, ""},
    {"page_list_past_the_end", [] { return Finish(TextPage()); },
     "Page number 9 greater than 1 pages in file", "Page number 9 greater than 1 pages in file",
     "/p9 /r90"},
};

class IncrementalRefusedTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(IncrementalRefusedTest, OneLineAndThePathAsItWas) {
  const RefusedCase& c = GetParam();
  const std::string input = c.make();
  Scratch s;
  s.dir.Write("out.pdf", "what was there");
  EXPECT_EQ(c.message, s.Run(input, "-incremental " + c.options));
  EXPECT_EQ("what was there", ReadFile(s.out));
  Scratch full;
  EXPECT_EQ(c.copy_message, full.Run(input, c.options));
}

INSTANTIATE_TEST_SUITE_P(Shapes,
                         IncrementalRefusedTest,
                         testing::ValuesIn(kRefusals),
                         CaseName<RefusedCase>);

}  // namespace
