#ifndef QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_
#define QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_

#include <map>
#include <string>
#include <vector>

// Page number (from 1) -> the /Rotate the output must give that page.
using PageAngles = std::map<int, int>;
PageAngles Pages(const std::vector<int>& pages, int angle);
// The pages a command line's options choose and their new angle (a page list of numbers and
// ranges, /r, -portrait, -landscape), from the pages and rotations real readers find in the
// input (qpdf; pdfinfo where qpdf finds no page).
PageAngles ChosenPages(const std::string& input, const std::string& options);
// Every page's rotation as pdfinfo (another reader) shows it, e.g. "90,0,180,".
std::string PdfinfoRotations(const std::string& path);

// Judges an output the program wrote from input, with gtest failures for every difference:
// - qpdf opens the output without a warning (unless it warned about the input) and sees every
//   object of the input (but the object streams it reads members from) under the same number
//   and generation with the same value, streams' raw data included; the rotated pages differ
//   only in /Rotate, which holds the angle;
// - the trailer holds /Size and exactly the input's /Root, /Info, /ID and /Encrypt;
// - the cross-reference table, read line by line, lists exactly those objects (see raw_copy.h);
// - the output's bytes are the input's objects byte for byte, laid out as ExpectRawCopy says;
// - pdfinfo shows the chosen pages at their angle and the others as in the input (where it
//   finds the pages this program finds).
// The pages' objects are found by this program's own reader: it says which objects are pages.
// skeleton, when given, receives the output's bytes that do not come from the input's objects
// (see ExpectRawCopy in raw_copy.h).
void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated,
                        std::string* skeleton = nullptr);

#endif  // QUILLTURN_TESTS_SUPPORT_FAITHFUL_COPY_H_
