#ifndef QUILLTURN_TESTS_SUPPORT_RAW_COPY_H_
#define QUILLTURN_TESTS_SUPPORT_RAW_COPY_H_

#include <cstddef>
#include <set>
#include <string>
#include <vector>

// The output's cross-reference table as its lines say, read here without the program's reader.
struct OutputTable {
  struct Line {
    int num;
    int gen;
    size_t offset;
    size_t at;  // where the line stands
  };
  std::vector<Line> in_use;
  long long end = 0;  // one past the highest number listed
  size_t at = 0;      // where "xref" stands
};

// Reads the one classic table startxref leads to, with a failure for every line that breaks its
// format: 20-byte lines, subsections in increasing order from 0, each in-use offset leading to
// "n g obj" with the line's generation, and the file ending in startxref, its offset and %%EOF.
void ReadOutputTable(const std::string& output, OutputTable* table);

// The output's bytes against the input's, both scanned here by their own small rules:
// - the output starts with the input's "%PDF-x.y" and a line end, then only comment lines;
// - its objects lie back to back from there to the table, each one, but those in patched,
//   the bytes of one of the input's "n g obj" headers through "endobj" and the one white-space
//   byte (or CR LF) after it, whole, in increasing number; an object the input lacks part of
//   (no "endobj", no "endstream", no line end) ends where the input stops giving it and gets
//   only the missing words; a member of an input object stream (as qpdf reads the input) is
//   framed as "n 0 obj\r<value>\nendobj\n" instead.
// The skeleton, when asked for, is the output without what depends on the input's object bytes
// alone: each object copied from the input as "[n]", the table's offsets and startxref's as 0.
void ExpectRawCopy(const std::string& input_path,
                   const std::string& output,
                   const OutputTable& table,
                   const std::set<int>& patched,
                   std::string* skeleton = nullptr);

#endif  // QUILLTURN_TESTS_SUPPORT_RAW_COPY_H_
