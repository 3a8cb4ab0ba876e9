// Writes small PDFs of every form this program reads into the folder given: the fuzzers' seed
// corpus, and the input matrix the tests copy and judge (tests/cli/input_matrix_test.cpp).
// Classic tables with subsections and free lists, incremental updates, generations above 0,
// cross-reference streams of every field width with and without /Index, every PNG filter and
// TIFF predictors (their parameters as a dictionary or an array), cross-reference and object
// streams through the ASCII filters alone or before Flate, object streams with /Extends,
// hybrid files, junk before the header, RC4 encryption.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "pdf_builder.h"
#include "pdf_encryption.h"

namespace {

void Save(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

const char* kPage =
    "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R >> >> "
    "/MediaBox [0 0 200 200] /Contents 6 0 R >>";

PdfBuilder Start(const std::string& version, const std::string& junk = "") {
  PdfBuilder b;
  b.Raw(junk).Header(version).Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  return b;
}

using Layout = PdfBuilder::XRefLayout;
using Objects = std::vector<std::pair<int, std::string>>;

// A file's name (without ".pdf") and its bytes.
struct Seed {
  std::string name;
  std::string bytes;
};

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

Seed Generations() {
  // Every object but the content at a generation above 0, referred to by it.
  PdfBuilder b;
  b.Header();
  int gen = 1;
  for (const auto& [num, body] : Document("2")) {
    b.Object(num, body, num == 1 || num == 7 ? gen++ : 2);
  }
  b.Stream(5, "", kContent).XRefTable("/Root 1 1 R /Info 7 2 R /ID [<01> <02>]");
  return Seed{"generations_above_0", b.Bytes()};
}

// Objects 3, 4, 6 and 7 in an object stream (or else in the file), one more object past a gap,
// listed by a cross-reference stream of the given layout.
Seed XRefStreamCase(const std::string& name,
                    const Layout& layout,
                    bool compressed = true,
                    const std::string& junk = "",
                    const PdfBuilder::Filters& object_stream = PdfBuilder::Filters()) {
  PdfBuilder b = InFile(compressed ? 2 : 6, "1.5", junk);
  if (compressed) {
    b.ObjectStream(8, Part(2), object_stream);
  }
  b.Object(11, "(past a gap)");
  if (layout.widths[0] != 0) {
    b.Free(10, 4);
  }
  return Seed{name, b.XRefStream(12, kTrailer, layout).Bytes()};
}

std::vector<Seed> XRefStreamSeeds() {
  std::vector<Seed> cases = {
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
  Seed arrays = XRefStreamCase("png_parameters_in_an_array", up);
  const size_t at = arrays.bytes.rfind("/Filter /FlateDecode /DecodeParms <<");
  arrays.bytes.replace(arrays.bytes.find(">>", at), 2, ">>]");
  arrays.bytes.replace(at, 36, "/Filter [/FlateDecode] /DecodeParms [<<");
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

// The ASCII filters, alone and before Flate, by full and short names, with parameters absent,
// as arrays with nulls, and with a predictor after Flate: on the cross-reference stream, and
// on the object stream.
std::vector<Seed> FilterSeeds() {
  struct Chain {
    const char* name;
    PdfBuilder::Filters filters;
    bool png;
  };
  const Chain chains[] = {
      {"ahx", {"ASCIIHexDecode", "", false, false}, false},
      {"a85_arrays", {"ASCII85Decode", "", true, true}, false},
      {"ahx_flate_null_params", {"ASCIIHexDecode", "FlateDecode", false, true}, false},
      {"a85_flate_png", {"ASCII85Decode", "FlateDecode", false, true}, true},
      {"ahx_fl_short_names", {"AHx", "Fl", false, false}, false},
      {"a85_fl_short_names_png", {"A85", "Fl", false, true}, true}};
  std::vector<Seed> cases;
  for (const Chain& chain : chains) {
    Layout layout;
    layout.filters = chain.filters;
    layout.predictor = chain.png ? Layout::Predictor::kPng : Layout::Predictor::kNone;
    cases.push_back(XRefStreamCase(std::string("filters_xref_") + chain.name, layout));
    cases.push_back(XRefStreamCase(std::string("filters_objstm_") + chain.name, Layout(), true, "",
                                   chain.filters));
  }
  return cases;
}

// Updates that redefine the page and the information, free an object, and give a freed number
// to a new object of the next generation.
Seed Updates(bool streams) {
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
  return Seed{streams ? "updates_with_xref_streams" : "updates_with_classic_tables", b.Bytes()};
}

// Strings and streams encrypted under an empty user password, so every reader opens it.
Seed Encrypted(bool object_streams) {
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
    return Seed{"encrypted_with_object_streams", b.Bytes()};
  }
  for (const auto& [num, body] : rest) {
    b.Object(num, body);
  }
  return Seed{"encrypted", b.XRefTable(trailer).Bytes()};
}

std::vector<Seed> Shapes() {
  const char* junk = "From a mail gateway\r\nX-Scan: clean\n\x01\x02\x03 junk\n";
  // Numbers with gaps give several subsections; freed numbers form the free list.
  PdfBuilder gaps = InFile(6, "1.4");
  gaps.Object(12, "(twelve)").Object(13, "[12 0 R]").Object(40, "<< /Last true >>");
  gaps.Free(8, 3).Free(9, 1).Free(20, 7).XRefTable(kTrailer);
  PdfBuilder extends = InFile(1);
  extends.ObjectStream(8, Part(1, 3)).ObjectStream(9, Part(3), true, "/Extends 8 0 R");
  PdfBuilder hybrid = InFile(3);
  hybrid.ObjectStream(8, Part(3)).HybridSection(9, kTrailer);
  std::vector<Seed> cases = {
      Seed{"junk_before_header", InFile(6, "1.4", junk).XRefTable(kTrailer).Bytes()},
      Seed{"classic_subsections_and_free_list", gaps.Bytes()},
      Seed{"object_streams_with_extends", extends.XRefStream(10, kTrailer).Bytes()},
      Seed{"hybrid", hybrid.Bytes()},
      Generations(),
      Updates(false),
      Updates(true),
      Encrypted(false),
      Encrypted(true)};
  for (Seed& c : XRefStreamSeeds()) {
    cases.push_back(std::move(c));
  }
  for (Seed& c : FilterSeeds()) {
    cases.push_back(std::move(c));
  }
  return cases;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds FOLDER\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string pages = "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Rotate 90 >>";
  const std::string page4 = "<< /Type /Page /Parent 2 0 R /Rotate 180 /Resources << >> >>";
  const std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
  const std::string content = "BT /F1 12 Tf 10 10 Td (Seed endobj ObjStm) Tj ET";

  PdfBuilder classic = Start("1.4");
  classic.Object(2, pages).Object(3, kPage).Object(4, page4).Object(5, font);
  classic.Stream(6, "/Filter /FlateDecode", Deflate(content));
  classic.XRefTable("/Root 1 0 R /Info 7 0 R /ID [<0011> (id)]").Object(7, "<< /Title (t) >>");
  Save(dir, "classic.pdf", classic.Bytes());
  classic.Object(4, "<< /Type /Page /Parent 2 0 R /Resources << >> /Rotate 5 0 R >>")
      .Free(7)
      .XRefTable("/Root 1 0 R");
  Save(dir, "incremental.pdf", classic.Bytes());

  for (int png = 0; png < 2; ++png) {
    PdfBuilder s = Start("1.5");
    s.ObjectStream(8, {{2, pages}, {3, kPage}, {4, page4}, {5, font}});
    s.Stream(6, "", content).XRefStream(9, "/Root 1 0 R", png == 1);
    Save(dir, png ? "objstm-png.pdf" : "objstm.pdf", s.Bytes());
  }
  PdfBuilder hybrid = Start("1.5");
  hybrid.ObjectStream(8, {{2, pages}, {3, kPage}, {4, page4}}).Object(5, font);
  hybrid.Stream(6, "", content).HybridSection(9, "/Root 1 0 R");
  Save(dir, "hybrid.pdf", hybrid.Bytes());

  PdfBuilder junk = Start("1.7", "garbage before the header\n");
  junk.Object(2, "<< /Type /Pages /Kids [3 0 R << /Type /Page /Resources << >> >>] /Count 2 >>");
  junk.Object(3, kPage).Object(5, font).Stream(6, "", content).XRefTable("/Root 1 0 R");
  Save(dir, "junk-direct-kid.pdf", junk.Bytes());

  PdfBuilder deep = Start("1.4");
  deep.Object(2, "<< /Type /Pages /Kids [10 0 R] /Count 1 >>");
  deep.Object(10, "<< /Type /Pages /Kids [11 0 R] /Parent 2 0 R /Count 1 /Rotate 270 >>");
  deep.Object(11, "<< /Kids [3 0 R] /Count 1 >>").Object(3, kPage).Object(5, font);
  deep.Stream(6, "/Length2 0", content).XRefTable("/Root 1 0 R");
  Save(dir, "nested-tree.pdf", deep.Bytes());
  for (const Seed& seed : Shapes()) {
    Save(dir, seed.name + ".pdf", seed.bytes);
  }
  return 0;
}
