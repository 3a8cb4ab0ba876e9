#ifndef QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_
#define QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_

#include <map>
#include <string>
#include <vector>

// Page number (from 1) -> the /Rotate the output must give that page.
using PageAngles = std::map<int, int>;
PageAngles Pages(const std::vector<int>& pages, int angle);

// Judges an output the program wrote from input with scripts/compare_pdf.py, the one check of
// a copy (its usage says what it compares: qpdf's view of every object and of the trailer, the
// table line by line, every object byte for byte, pdfinfo's view of the pages' rotations): a
// gtest failure for every difference. The pages' objects are found by this program's own
// reader: it says which objects are pages.
void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated);
// The same for the pages a command line's options choose, as the check works them out from the
// pages and rotations real readers find in the input.
void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const std::string& options);

// The same for a copy made with -repair: the pages are those the input's reading with -repair
// finds, and the input's objects those of qpdf's own reconstruction where it needs one.
void ExpectFaithfulRepair(const std::string& input,
                          const std::string& output,
                          const std::string& options);

// Judges an incremental update (-incremental) the same way: the input first, then only the
// pages whose shown rotation changes and one section, read by qpdf and pdfinfo.
void ExpectFaithfulUpdate(const std::string& input,
                          const std::string& output,
                          const std::string& options);

#endif  // QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_
