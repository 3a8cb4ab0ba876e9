// Writes the fuzzers' seed corpus: small PDFs of every form this program reads (classic
// tables, incremental updates, cross-reference streams with and without the PNG predictor,
// object streams, hybrid files, junk before the header), into the folder given.
#include <cstdio>
#include <string>

#include "pdf_builder.h"

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
  return 0;
}
