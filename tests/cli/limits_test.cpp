// Each named limit at the limit (accepted) and far beyond it (a clean refusal). The binary runs
// with a 1 MiB stack, so a limit that let recursion run too deep would crash here.
#include <gtest/gtest.h>

#include <string>

#include "document/cpdf_catalog.h"
#include "faithful_copy.h"
#include "objects/cpdf_parser.h"
#include "open_pdf.h"
#include "pdf_builder.h"
#include "reader/cpdf_objstm.h"
#include "reader/cpdf_xref.h"
#include "test_files.h"

namespace {

class LimitsTest : public testing::Test {
 protected:
  // The one line the binary prints for bytes, run with a 1 MiB stack ("" on success).
  std::string RotateWithSmallStack(const std::string& bytes) {
    const std::string in = dir_.Write("in.pdf", bytes);
    CommandResult r = RunCommand("ulimit -s 1024 && " + std::string(QUILLTURN_BINARY) + " '" + in +
                                 "' '" + dir_.Path("out.pdf") + "' /r90");
    EXPECT_EQ(0, r.exit_code);
    if (r.output.empty()) {
      ExpectFaithfulCopy(in, dir_.Path("out.pdf"), ChosenPages(in, "/r90"));
    }
    return r.output;
  }
  TempDir dir_;
};

PdfBuilder PageWith(const std::string& page_extra) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Resources << >> " + page_extra + " >>");
  b.XRefTable("/Root 1 0 R");
  return b;
}

TEST_F(LimitsTest, ObjectNesting) {
  // The page dictionary is the first level; its value may hold 255 more.
  const int inside = CPdfParser::kMaxNesting - 1;
  EXPECT_EQ("",
            RotateWithSmallStack(
                PageWith("/Deep " + std::string(inside, '[') + std::string(inside, ']')).Bytes()));
  EXPECT_EQ("Objects nested too deeply",
            RotateWithSmallStack(
                PageWith("/Deep " + std::string(inside + 1, '[') + std::string(inside + 1, ']'))
                    .Bytes()));
  EXPECT_EQ("Objects nested too deeply",
            RotateWithSmallStack(
                PageWith("/Deep " + std::string(200000, '[') + std::string(200000, ']')).Bytes()));
}

std::string Chain(int nodes) {
  // The root, then a chain of nodes below it, then the page.
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  for (int i = 0; i <= nodes; ++i) {
    const int kid = i < nodes ? 10 + i : 3;
    b.Object(i == 0 ? 2 : 9 + i,
             "<< /Type /Pages /Kids [" + std::to_string(kid) + " 0 R] /Count 1 >>");
  }
  b.Object(3, "<< /Type /Page /Resources << >> >>").XRefTable("/Root 1 0 R");
  return b.Bytes();
}

TEST_F(LimitsTest, PageTreeDepth) {
  EXPECT_EQ("", RotateWithSmallStack(Chain(CPdfCatalog::kMaxTreeDepth - 1)));
  EXPECT_EQ("Kids CPdfObject is wrong type",
            RotateWithSmallStack(Chain(CPdfCatalog::kMaxTreeDepth)));
  EXPECT_EQ("Kids CPdfObject is wrong type", RotateWithSmallStack(Chain(20000)));
}

std::string Sections(int count) {
  PdfBuilder b = PageWith("");
  int64_t prev = b.LastXRefOffset();
  for (int i = 1; i < count; ++i) {
    const int64_t at = b.Here();
    b.Raw("xref\n0 0\ntrailer\n<< /Root 1 0 R /Prev " + std::to_string(prev) + " >>\n");
    prev = at;
  }
  return b.StartXRef(prev).Bytes();
}

TEST_F(LimitsTest, CrossReferenceSections) {
  EXPECT_EQ("", RotateWithSmallStack(Sections(CPdfXRef::kMaxSections)));
  EXPECT_EQ("PDF file was damaged", RotateWithSmallStack(Sections(CPdfXRef::kMaxSections + 1)));
}

TEST(LimitsInProcessTest, ObjectNumbers) {
  // The largest object number the format allows is read; one more is refused.
  for (int first : {CPdfXRef::kMaxObjects - 1, CPdfXRef::kMaxObjects}) {
    PdfBuilder b = PageWith("");
    const int64_t at = b.Here();
    b.Raw("xref\n" + std::to_string(first) +
          " 1\n0000000009 00000 n \ntrailer\n<< /Root 1 0 R /Prev " +
          std::to_string(b.LastXRefOffset()) + " >>\n");
    b.StartXRef(at);
    OpenPdf pdf(b.Bytes());
    if (first < CPdfXRef::kMaxObjects) {
      ASSERT_EQ("", pdf.TryOpen());
      EXPECT_EQ(CPdfXRef::kMaxObjects, pdf.doc.GetXRef()->GetTable().GetSize());
    } else {
      EXPECT_EQ("Couldn't parse an xref table", pdf.TryOpen());
    }
  }
}

TEST(LimitsInProcessTest, DecodedObjectStreamSize) {
  // An object stream whose decoded data is exactly the limit is read; one byte more is not.
  for (size_t extra : {size_t{0}, size_t{1}}) {
    const std::string header = "3 0 ";
    std::string data = header + "<< /Type /Page /Resources << >> >>";
    data.resize(CPdfObjStmData::kMaxDecodedSize + extra, ' ');
    PdfBuilder b;
    b.Header("1.5").Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.Stream(4,
             "/Type /ObjStm /N 1 /First " + std::to_string(header.size()) + " /Filter /FlateDecode",
             Deflate(data));
    b.Compressed(3, 4, 0).XRefStream(5, "/Root 1 0 R");
    OpenPdf pdf(b.Bytes());
    EXPECT_EQ(extra == 0 ? "" : "Kid CPdfObject is wrong type", pdf.TryOpen());
  }
}

}  // namespace
