// A scanner of its own for the bytes of both files: none of the program's reading takes part,
// so a fault there cannot hide itself here. Linear in the files' sizes: it runs in most tests.
#include "raw_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <unordered_map>

#include "test_files.h"

namespace {

bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}

bool IsEol(char c) {
  return c == '\r' || c == '\n';
}

bool IsRegular(char c) {
  return !IsWhite(c) && std::strchr("()<>[]{}/%", c) == nullptr;
}

// Steps over a line end (CR LF, CR or LF) at *at.
bool Eol(const std::string& s, size_t* at) {
  const size_t from = *at;
  *at += s.compare(from, 2, "\r\n") == 0 ? 2 : from < s.size() && IsEol(s[from]) ? 1 : 0;
  return *at > from;
}

// Reads 1 to max_digits decimal digits at *at.
bool Digits(const std::string& s, size_t* at, size_t max_digits, long long* value) {
  const size_t from = *at;
  *value = 0;
  while (*at < s.size() && *at - from < max_digits && s[*at] >= '0' && s[*at] <= '9') {
    *value = *value * 10 + (s[(*at)++] - '0');
  }
  return *at > from;
}

// Every "n g obj" header of bytes, by number, found by looking back from each "obj".
std::unordered_map<long long, std::vector<size_t>> Headers(const std::string& bytes) {
  std::unordered_map<long long, std::vector<size_t>> headers;
  for (size_t obj = bytes.find("obj"); obj != std::string::npos; obj = bytes.find("obj", obj + 3)) {
    size_t p = obj;
    const auto back = [&](bool digits) {
      const size_t from = p;
      while (p > 0 &&
             (digits ? bytes[p - 1] >= '0' && bytes[p - 1] <= '9' : IsWhite(bytes[p - 1]))) {
        --p;
      }
      return p < from;
    };
    if (back(false) && back(true) && back(false) && back(true)) {
      size_t at = p;
      long long num = 0;
      if (Digits(bytes, &at, 10, &num)) {
        headers[num].push_back(p);
      }
    }
  }
  return headers;
}

// Whether object (as the output holds it) is the input's bytes from at, whole: through "endobj"
// and the white-space byte or CR LF after it, or as far as the input gives it and then only the
// words the input lacks.
bool CopiedWhole(const std::string& in, size_t at, const std::string& object) {
  for (const char* tail : {"", "\n", "\nendobj\n", "\nendstream\nendobj\n"}) {
    const size_t added = std::strlen(tail);
    if (object.size() < added || object.compare(object.size() - added, added, tail) != 0) {
      continue;
    }
    const size_t length = object.size() - added;
    if (at + length > in.size() || in.compare(at, length, object, 0, length) != 0) {
      continue;
    }
    const size_t next = at + length;
    const auto ends_with = [&](const std::string& end) {
      return length >= end.size() && object.compare(length - end.size(), end.size(), end) == 0;
    };
    if (added == 0) {
      // One white-space byte: a CR whose LF the input has after it would cut the line end.
      if (ends_with("endobj\r\n") ||
          (length > 6 && object.compare(length - 7, 6, "endobj") == 0 &&
           IsWhite(object[length - 1]) &&
           !(object[length - 1] == '\r' && next < in.size() && in[next] == '\n'))) {
        return true;
      }
      continue;
    }
    if (added == 1) {
      if (ends_with("endobj") && (next == in.size() || !IsWhite(in[next]))) {
        return true;
      }
      continue;
    }
    // A word added must be one the input does not write there.
    const std::string word = added == std::strlen("\nendobj\n") ? "endobj" : "endstream";
    size_t p = next;
    while (p < in.size() && IsWhite(in[p])) {
      ++p;
    }
    if (in.compare(p, word.size(), word) != 0 ||
        (p + word.size() < in.size() && IsRegular(in[p + word.size()]))) {
      return true;
    }
  }
  return false;
}

// The numbers of the objects qpdf reads from the input's object streams.
std::set<int> Compressed(const std::string& path) {
  std::set<int> numbers;
  std::istringstream lines(RunCommand("qpdf --show-xref '" + path + "' 2>/dev/null").output);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(": compressed;") != std::string::npos) {
      numbers.insert(std::stoi(line));
    }
  }
  return numbers;
}

std::string Printable(const std::string& bytes) {
  std::string out;
  for (char c : bytes.substr(0, 80)) {
    out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  }
  return out;
}

}  // namespace

void ReadOutputTable(const std::string& bytes, OutputTable* table) {
  ASSERT_EQ(0u, bytes.rfind("%PDF-", 0)) << "the output does not start with its header";
  const size_t startxref = bytes.rfind("startxref");
  ASSERT_NE(std::string::npos, startxref) << "no startxref";
  size_t at = startxref + 9;
  long long xref = 0;
  ASSERT_TRUE(Eol(bytes, &at) && Digits(bytes, &at, 12, &xref) && Eol(bytes, &at) &&
              bytes.compare(at, 5, "%%EOF") == 0 &&
              (at += 5, at == bytes.size() || Eol(bytes, &at)) && at == bytes.size())
      << "the file does not end in startxref, its offset and %%EOF: " << bytes.substr(startxref);
  at = static_cast<size_t>(xref);
  table->at = at;
  ASSERT_TRUE(at < bytes.size() && bytes.compare(at, 4, "xref") == 0 && (at += 4, Eol(bytes, &at)))
      << "startxref " << xref << " does not lead to xref";
  table->end = 0;
  while (bytes.compare(at, 7, "trailer") != 0) {
    long long first = 0;
    long long count = 0;
    ASSERT_TRUE(Digits(bytes, &at, 10, &first) && bytes.compare(at++, 1, " ") == 0 &&
                Digits(bytes, &at, 10, &count) && Eol(bytes, &at))
        << "no subsection line at " << at;
    ASSERT_GE(first, table->end) << "subsections overlap or go backwards";
    ASSERT_TRUE(first == 0 || table->end > 0) << "object 0 is not listed";
    for (long long n = first; n < first + count; ++n, at += 20) {
      ASSERT_LE(at + 20, bytes.size()) << "the table ends early";
      const std::string line = bytes.substr(at, 20);
      size_t p = 0;
      long long offset = 0;
      long long gen = 0;
      const std::string eol = line.substr(18);
      ASSERT_TRUE(Digits(line, &p, 10, &offset) && p == 10 && line[10] == ' ' &&
                  (++p, Digits(line, &p, 5, &gen)) && p == 16 && line[16] == ' ' &&
                  (line[17] == 'n' || line[17] == 'f') &&
                  (eol == " \r" || eol == " \n" || eol == "\r\n"))
          << "line of object " << n << " is not a 20-byte entry: " << Printable(line);
      if (line[17] == 'f') {
        EXPECT_TRUE(n != 0 || gen == 65535) << "entry 0";
        continue;
      }
      const std::string header = std::to_string(n) + " " + std::to_string(gen) + " obj";
      const size_t end = static_cast<size_t>(offset) + header.size();
      EXPECT_TRUE(end < bytes.size() && bytes.compare(offset, header.size(), header) == 0 &&
                  !IsRegular(bytes[end]))
          << "entry " << n << " (offset " << offset << ") does not lead to \"" << header
          << "\" but to \"" << Printable(bytes.substr(std::min(end, bytes.size()) - header.size()))
          << "\"";
      table->in_use.push_back(
          {static_cast<int>(n), static_cast<int>(gen), static_cast<size_t>(offset), at});
    }
    table->end = first + count;
  }
}

void ExpectRawCopy(const std::string& input_path,
                   const std::string& output,
                   const OutputTable& table,
                   const std::set<int>& patched,
                   std::string* skeleton) {
  const std::string input = ReadFile(input_path);
  std::vector<OutputTable::Line> objects = table.in_use;
  std::sort(
      objects.begin(), objects.end(),
      [](const OutputTable::Line& a, const OutputTable::Line& b) { return a.offset < b.offset; });
  // The header line as the input writes it, then comment lines only.
  const size_t header = input.find("%PDF-");
  ASSERT_NE(std::string::npos, header) << "the input has no header";
  size_t version_end = header;
  while (version_end < input.size() && !IsWhite(input[version_end])) {
    ++version_end;
  }
  const std::string version = input.substr(header, version_end - header);
  const size_t first = objects.empty() ? table.at : objects.front().offset;
  ASSERT_TRUE(version.size() < first && output.compare(0, version.size(), version) == 0)
      << "the output's header is not the input's " << version;
  const std::string lead = output.substr(version.size(), first - version.size());
  bool comments = IsEol(lead.front()) && IsEol(lead.back());
  for (size_t p = 1; p < lead.size(); ++p) {
    comments = comments && (IsEol(lead[p]) || !IsEol(lead[p - 1]) || lead[p] == '%');
  }
  EXPECT_TRUE(comments) << "more than comments after the header line: " << Printable(lead);

  const auto headers = Headers(input);
  const std::set<int> members = Compressed(input_path);
  std::string kept = output.substr(0, first);
  int last = -1;
  for (size_t k = 0; k < objects.size(); ++k) {
    const OutputTable::Line& line = objects[k];
    const size_t end = k + 1 < objects.size() ? objects[k + 1].offset : table.at;
    ASSERT_LT(line.offset, end) << "object " << line.num << " shares its offset";
    const std::string object = output.substr(line.offset, end - line.offset);
    if (patched.count(line.num)) {
      kept += object;
      continue;
    }
    const auto found = headers.find(line.num);
    if (found != headers.end() &&
        std::any_of(found->second.begin(), found->second.end(),
                    [&](size_t at) { return CopiedWhole(input, at, object); })) {
      EXPECT_LT(last, line.num) << "object " << line.num << " is out of number order";
      last = line.num;
      kept += "[" + std::to_string(line.num) + "]";
      continue;
    }
    kept += object;
    const std::string frame = std::to_string(line.num) + " 0 obj\r";
    const bool framed = object.compare(0, frame.size(), frame) == 0 && object.size() > 8 &&
                        object.compare(object.size() - 8, 8, "\nendobj\n") == 0;
    EXPECT_TRUE(members.count(line.num) && framed)
        << "object " << line.num << " is not the input's bytes: " << Printable(object);
  }
  if (skeleton) {
    std::string tail = output.substr(table.at);
    for (const OutputTable::Line& line : table.in_use) {
      tail.replace(line.at - table.at, 10, 10, '0');
    }
    const size_t startxref = tail.rfind("startxref") + 9;
    const size_t digits = tail.find_first_of("0123456789", startxref);
    tail.replace(digits, tail.find_first_not_of("0123456789", digits) - digits, "0");
    *skeleton = kept + tail;
  }
}
