#ifndef QUILLTURN_TESTS_SUPPORT_DESCRIBE_H_
#define QUILLTURN_TESTS_SUPPORT_DESCRIBE_H_

#include <string>

class CPdfObject;

// A compact text of a value for comparisons in tests: 5, 0.5, /Name, (lit), <hex>, k:obj,
// [1 2], <</A 1>>, 3 0 R, null, err, eof, stream.
std::string Describe(const CPdfObject& value);
// Every value the parser gives for text, until the end of input, separated by " | ".
std::string ParseAll(const std::string& text);

#endif  // QUILLTURN_TESTS_SUPPORT_DESCRIBE_H_
