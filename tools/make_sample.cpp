// Writes the sample PDF used by the README: four pages, two upright and two turned sideways
// by /Rotate, each with a large label and an arrow that shows which way is up.
#include <cstdio>
#include <string>

#include "pdf_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample out.pdf\n");
    return 2;
  }
  const int rotations[4] = {0, 90, 0, 270};
  PdfBuilder b;
  b.Header("1.4");
  b.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  b.Object(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 >>");
  for (int p = 0; p < 4; ++p) {
    std::string rotate = rotations[p] ? " /Rotate " + std::to_string(rotations[p]) : std::string();
    b.Object(3 + p, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]" + rotate +
                        " /Resources << /Font << /F1 8 0 R >> >> /Contents " +
                        std::to_string(9 + p) + " 0 R >>");
  }
  b.Object(7, "<< /Title (Quillturn sample) /Producer (make_sample) >>");
  b.Object(8, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  for (int p = 0; p < 4; ++p) {
    std::string content =
        "0.2 0.4 0.8 rg 256 520 m 306 640 l 356 520 l f\n"
        "BT /F1 96 Tf 150 300 Td (Page " +
        std::to_string(p + 1) + ") Tj ET\n";
    b.Stream(9 + p, "", content);
  }
  b.XRefTable(
      "/Root 1 0 R /Info 7 0 R /ID [<0123456789abcdef0123456789abcdef> "
      "<0123456789abcdef0123456789abcdef>]");
  if (!b.Save(argv[1])) {
    std::fprintf(stderr, "make_sample: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
