// The shapes real producers write, each built here, run through the binary and judged object by
// object against its input.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "copy_case.h"
#include "faithful_copy.h"
#include "objects/pdf_messages.h"
#include "pdf_builder.h"
#include "pdf_encryption.h"
#include "test_files.h"

namespace {

using Layout = PdfBuilder::XRefLayout;
using Objects = std::vector<std::pair<int, std::string>>;

// Page 1 gains a /Rotate, page 2's is replaced.
CopyCase Shape(std::string name, std::string bytes, const std::string& message = "") {
  return {std::move(name), std::move(bytes), "/r180", message, Pages({1, 2}, 180), ""};
}

const char kContent[] = "BT /F1 24 Tf 20 100 Td (endobj ObjStm) Tj ET";
const char kTrailer[] = "/Root 1 0 R /Info 7 0 R /ID [(\\b\\t\\101id) <00FF10ab>]";

// Catalog 1, page tree 2, page 3 upright and page 4 turned by 90, font 6, information 7 (the
// content, stream 5, is written apart), referring to each other at generation gen.
Objects Document(const std::string& gen = "0") {
  const std::string res = " /Resources << /Font << /F1 6 " + gen + " R >> >> /Contents 5 0 R";
  return {{1, "<< /Type /Catalog /Pages 2 " + gen + " R >>"},
          {2, "<< /Type /Pages /Kids [3 " + gen + " R 4 " + gen +
                  " R] /Count 2 /MediaBox [0 0 200 300] >>"},
          {3, "<< /Type /Page /Parent 2 " + gen + " R" + res + " >>"},
          {4, "<< /Type /Page /Parent 2 " + gen + " R /Rotate 90" + res + " >>"},
          {6, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"},
          {7, "<< /Title (Escapes \\b\\f\\(\\)\\\\ \\101) /Producer (pdf_builder) >>"}};
}

// The document's objects from index from on.
Objects Part(size_t from, size_t to = 6) {
  const Objects all = Document();
  return Objects(all.begin() + from, all.begin() + to);
}

// After junk and the header, the document's first `direct` objects and its content.
PdfBuilder InFile(size_t direct, const std::string& version = "1.5", const std::string& junk = "") {
  PdfBuilder b;
  b.Raw(junk).Header(version);
  for (const auto& [num, body] : Part(0, direct)) {
    b.Object(num, body);
  }
  return b.Stream(5, "", kContent);
}

CopyCase Generations() {
  // Every object but the content at a generation above 0, referred to by it.
  PdfBuilder b;
  b.Header();
  int gen = 1;
  for (const auto& [num, body] : Document("2")) {
    b.Object(num, body, num == 1 || num == 7 ? gen++ : 2);
  }
  b.Stream(5, "", kContent).XRefTable("/Root 1 1 R /Info 7 2 R /ID [<01> <02>]");
  return Shape("generations_above_0", b.Bytes());
}

// Objects 3, 4, 6 and 7 in an object stream (or else in the file), one more object past a gap,
// listed by a cross-reference stream of the given layout.
CopyCase XRefStreamCase(const std::string& name,
                        const Layout& layout,
                        bool compressed = true,
                        const std::string& junk = "") {
  PdfBuilder b = InFile(compressed ? 2 : 6, "1.5", junk);
  if (compressed) {
    b.ObjectStream(8, Part(2));
  }
  b.Object(11, "(past a gap)");
  if (layout.widths[0] != 0) {
    b.Free(10, 4);
  }
  return Shape(name, b.XRefStream(12, kTrailer, layout).Bytes());
}

std::vector<CopyCase> XRefStreamCases() {
  std::vector<CopyCase> cases = {
      XRefStreamCase("xref_stream_several_index_ranges", Layout()),
      XRefStreamCase("junk_before_header_object_streams", Layout(), true, "junk junk junk\n")};
  Layout no_index;
  no_index.index = false;
  cases.push_back(XRefStreamCase("xref_stream_without_index", no_index));
  // Field widths; without a type field every record is an object in the file.
  for (const std::string w : {"042", "021", "121", "131", "143", "144", "242", "182"}) {
    Layout layout;
    std::string name = "xref_stream_w";
    for (int k = 0; k < 3; ++k) {
      layout.widths[k] = w[k] - '0';
      name += "_" + w.substr(k, 1);
    }
    cases.push_back(XRefStreamCase(name, layout, w[0] != '0'));
  }
  const char* png_names[] = {"none", "sub", "up", "average", "paeth", "each_row_another"};
  for (int type = 0; type <= 5; ++type) {
    Layout png;
    png.predictor = Layout::Predictor::kPng;
    png.png_type = type;
    cases.push_back(XRefStreamCase(std::string("png_") + png_names[type], png));
  }
  // Filter and parameters as arrays of one, as the format allows.
  Layout up;
  up.predictor = Layout::Predictor::kPng;
  CopyCase arrays = XRefStreamCase("png_parameters_in_an_array", up);
  const size_t at = arrays.input.rfind("/Filter /FlateDecode /DecodeParms <<");
  arrays.input.replace(arrays.input.find(">>", at), 2, ">>]");
  arrays.input.replace(at, 36, "/Filter [/FlateDecode] /DecodeParms [<<");
  cases.push_back(arrays);
  // Components of whole bytes, of less than a byte and of two bytes (more: tests/streams).
  for (const auto& [colors, bits] : {std::pair{3, 8}, std::pair{2, 4}, std::pair{4, 16}}) {
    Layout tiff;
    tiff.predictor = Layout::Predictor::kTiff;
    tiff.colors = colors;
    tiff.bits = bits;
    cases.push_back(XRefStreamCase(
        "tiff_colors_" + std::to_string(colors) + "_bits_" + std::to_string(bits), tiff));
  }
  return cases;
}

// Updates that redefine the page and the information, free an object, and give a freed number
// to a new object of the next generation.
CopyCase Updates(bool streams) {
  PdfBuilder b = InFile(6, streams ? "1.5" : "1.4");
  b.Object(8, "(to be freed)").Object(9, "(to be reused)");
  b.XRefTable(kTrailer);
  b.Object(3, "<< /Type /Page /Parent 2 0 R /Rotate 270 /Resources << >> >>");
  b.Object(7, "<< /Title (second edition) >>").Free(8, 1).Free(9, 1);
  streams ? b.XRefStream(10, kTrailer) : b.XRefTable(kTrailer);
  // The newest trailer drops /Info: an older trailer's stays behind.
  const std::string trailer = "/Root 1 0 R /ID [<01> <02>]";
  b.Object(9, "(reused)", 1);
  streams ? b.XRefStream(11, trailer) : b.XRefTable(trailer);
  return Shape(streams ? "updates_with_xref_streams" : "updates_with_classic_tables", b.Bytes());
}

// Strings and streams encrypted under an empty user password, so every reader opens it.
CopyCase Encrypted(bool object_streams) {
  const std::string id = "0123456789abcdef";
  PdfEncryption crypt(id);
  Objects rest = Part(1);
  rest.back().second =
      "<< /Title <" + PdfEncryption::Hex(crypt.Encrypt(7, 0, "Secret title")) + "> >>";
  PdfBuilder b;
  b.Header("1.5").Object(1, Document()[0].second);
  b.Stream(5, "", crypt.Encrypt(5, 0, kContent)).Object(8, crypt.Dictionary());
  const std::string trailer = "/Root 1 0 R /Info 7 0 R /Encrypt 8 0 R /ID [<" +
                              PdfEncryption::Hex(id) + "> <" + PdfEncryption::Hex(id) + ">]";
  if (object_streams) {
    b.ObjectStream(9, rest).XRefStream(10, trailer);
    return Shape("encrypted_with_object_streams", b.Bytes(), kMsgEncryptedObjStm);
  }
  for (const auto& [num, body] : rest) {
    b.Object(num, body);
  }
  return Shape("encrypted", b.XRefTable(trailer).Bytes());
}

std::vector<CopyCase> AllCases() {
  const char* junk = "From a mail gateway\r\nX-Scan: clean\n\x01\x02\x03 junk\n";
  // Numbers with gaps give several subsections; freed numbers form the free list.
  PdfBuilder gaps = InFile(6, "1.4");
  gaps.Object(12, "(twelve)").Object(13, "[12 0 R]").Object(40, "<< /Last true >>");
  gaps.Free(8, 3).Free(9, 1).Free(20, 7).XRefTable(kTrailer);
  PdfBuilder extends = InFile(1);
  extends.ObjectStream(8, Part(1, 3)).ObjectStream(9, Part(3), true, "/Extends 8 0 R");
  PdfBuilder hybrid = InFile(3);
  hybrid.ObjectStream(8, Part(3)).HybridSection(9, kTrailer);
  std::vector<CopyCase> cases = {
      Shape("junk_before_header", InFile(6, "1.4", junk).XRefTable(kTrailer).Bytes()),
      Shape("classic_subsections_and_free_list", gaps.Bytes()),
      Shape("object_streams_with_extends", extends.XRefStream(10, kTrailer).Bytes()),
      Shape("hybrid", hybrid.Bytes()),
      Generations(),
      Updates(false),
      Updates(true),
      Encrypted(false),
      Encrypted(true)};
  for (CopyCase& c : XRefStreamCases()) {
    cases.push_back(std::move(c));
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Shapes, CopyTest, testing::ValuesIn(AllCases()), CopyCaseName);

// The inputs copied are sound: qpdf has nothing to say about them.
TEST(InputMatrixTest, ShapesAreSound) {
  for (const CopyCase& c : AllCases()) {
    if (!c.message.empty()) {
      continue;
    }
    TempDir dir;
    EXPECT_EQ(
        "", RunCommand("qpdf --check '" + dir.Write("in.pdf", c.input) + "' 2>&1 | grep -i warning")
                .output)
        << c.name;
  }
}

}  // namespace
