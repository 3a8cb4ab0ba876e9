// Writes deterministic inputs for the benchmarks:
//   make_bench big OUT [pages]     pages with a 40 KB incompressible image and a Flate content
//   make_bench many OUT [pages]    small pages in a page tree of fanout 20, classic xref
//   make_bench objstm OUT [pages]  the same with every dictionary in object streams of 100
//                                  and a cross-reference stream
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "pdf_builder.h"

namespace {

// Builds a balanced tree of /Pages nodes of the given fanout over the page objects.
// Page objects are numbers first_page .. first_page + count - 1; nodes take numbers from
// next_num onwards. Returns the root's number.
int BuildTree(PdfBuilder& b,
              std::vector<int> kids,
              int fanout,
              int* next_num,
              std::vector<int>* parents,
              int first_page) {
  std::vector<int> counts(kids.size(), 1);
  while (kids.size() > 1 || parents->empty()) {
    std::vector<int> level;
    std::vector<int> level_counts;
    for (size_t i = 0; i < kids.size(); i += static_cast<size_t>(fanout)) {
      const int node = (*next_num)++;
      std::string list;
      int count = 0;
      for (size_t k = i; k < kids.size() && k < i + static_cast<size_t>(fanout); ++k) {
        list += std::to_string(kids[k]) + " 0 R ";
        count += counts[k];
        if (kids[k] >= first_page && kids[k] < first_page + static_cast<int>(parents->size())) {
          (*parents)[static_cast<size_t>(kids[k] - first_page)] = node;
        }
      }
      b.Object(node,
               "<< /Type /Pages /Kids [" + list + "] /Count " + std::to_string(count) + " >>");
      level.push_back(node);
      level_counts.push_back(count);
    }
    kids = level;
    counts = level_counts;
    if (kids.size() == 1) {
      break;
    }
  }
  return kids[0];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: make_bench big|many OUT [pages]\n");
    return 2;
  }
  const bool big = std::strcmp(argv[1], "big") == 0;
  const bool objstm = std::strcmp(argv[1], "objstm") == 0;
  const int pages = argc > 3 ? std::atoi(argv[3]) : (big ? 2000 : 50000);
  std::mt19937 rng(20261206);
  PdfBuilder b;
  b.Header("1.4");
  // Objects: 1 catalog, 2 font, pages from 3, then per page its content (and image), then nodes.
  const int first_page = 3;
  const int per_page = big ? 2 : 1;
  const int first_extra = first_page + pages;
  std::vector<int> parents(static_cast<size_t>(pages), 0);
  std::vector<int> page_nums;
  for (int p = 0; p < pages; ++p) {
    page_nums.push_back(first_page + p);
  }
  int next_num = first_extra + per_page * pages;
  // Dictionaries go straight into the file, or are gathered for object streams.
  PdfBuilder dicts;
  PdfBuilder& tree = objstm ? dicts : b;
  std::vector<std::pair<int, std::string>> members;
  auto add = [&](int num, const std::string& body) {
    if (objstm) {
      members.emplace_back(num, body);
    } else {
      b.Object(num, body);
    }
  };
  // Nodes are written first so that each page can name its parent.
  const int root = BuildTree(tree, page_nums, 20, &next_num, &parents, first_page);
  add(1, "<< /Type /Catalog /Pages " + std::to_string(root) + " 0 R >>");
  add(2, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  for (int p = 0; p < pages; ++p) {
    const int content = first_extra + per_page * p;
    std::string resources = "/Font << /F1 2 0 R >>";
    if (big) {
      resources += " /XObject << /Im1 " + std::to_string(content + 1) + " 0 R >>";
    }
    add(first_page + p, "<< /Type /Page /Parent " + std::to_string(parents[p]) +
                            " 0 R /MediaBox [0 0 612 792] /Resources << " + resources +
                            " >> /Contents " + std::to_string(content) + " 0 R >>");
    std::string text = "BT /F1 24 Tf 72 720 Td (Page " + std::to_string(p + 1) + ") Tj ET\n";
    if (big) {
      text += "q 400 0 0 300 100 200 cm /Im1 Do Q\n";
    }
    b.Stream(content, "/Filter /FlateDecode", Deflate(text));
    if (big) {
      std::string image(40000, '\0');
      for (char& c : image) {
        c = static_cast<char>(rng() & 0xFF);
      }
      b.Stream(content + 1,
               "/Type /XObject /Subtype /Image /Width 200 /Height 200 /ColorSpace /DeviceGray "
               "/BitsPerComponent 8",
               image);
    }
  }
  if (objstm) {
    // BuildTree wrote the nodes into a scratch builder; take them over as members too.
    for (int num = first_extra + per_page * pages; num < next_num; ++num) {
      members.emplace_back(num, dicts.ObjectBody(num));
    }
    int stream_num = next_num;
    for (size_t i = 0; i < members.size(); i += 100) {
      std::vector<std::pair<int, std::string>> chunk(
          members.begin() + static_cast<long>(i),
          members.begin() + static_cast<long>(std::min(members.size(), i + 100)));
      b.ObjectStream(stream_num++, chunk);
    }
    b.XRefStream(stream_num, "/Root 1 0 R");
  } else {
    b.XRefTable("/Root 1 0 R");
  }
  if (!b.Save(argv[2])) {
    std::fprintf(stderr, "make_bench: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
