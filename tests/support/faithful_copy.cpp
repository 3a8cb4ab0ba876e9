#include "faithful_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

#include "document/cpdf_catalog.h"
#include "document/cpdf_document.h"
#include "json_value.h"
#include "objects/cpdf_exception.h"
#include "reader/cpdf_xref.h"
#include "reader/cpdf_xref_table.h"
#include "reader/raw_object.h"
#include "streams/cpdf_input_file.h"
#include "test_files.h"

namespace {

// What qpdf sees in a file.
struct QpdfView {
  bool parsed = false;
  int exit_code = -1;  // 0 clean, 3 with warnings
  std::string version;
  std::map<std::string, JsonValue> objects;  // "obj:N G R" -> {"value": ...} or {"stream": ...}
  JsonValue trailer;
};

std::string Key(int num, int gen) {
  return "obj:" + std::to_string(num) + " " + std::to_string(gen) + " R";
}

QpdfView ReadWithQpdf(const std::string& path) {
  QpdfView view;
  CommandResult r =
      RunCommand("qpdf --json --json-key=qpdf --json-stream-data=inline --decode-level=none '" +
                 path + "' 2>/dev/null");
  view.exit_code = r.exit_code;
  JsonValue json;
  const JsonValue* qpdf = JsonValue::Parse(r.output, &json) ? json.Find("qpdf") : nullptr;
  if (!qpdf || qpdf->GetItems().size() != 2) {
    return view;
  }
  if (const JsonValue* version = qpdf->GetItems()[0].Find("pdfversion")) {
    view.version = version->GetText();
  }
  // qpdf lists every generation any section defined; an update that gives a freed number to a
  // new object raises its generation, so the highest one is the object that counts.
  std::map<int, std::pair<int, const JsonValue*>> newest;
  for (const auto& [key, value] : qpdf->GetItems()[1].GetMembers()) {
    if (key == "trailer" && value.Find("value")) {
      view.trailer = *value.Find("value");
    } else if (key.rfind("obj:", 0) == 0) {
      int num = 0;
      int gen = 0;
      if (std::sscanf(key.c_str(), "obj:%d %d R", &num, &gen) == 2 &&
          (!newest.count(num) || newest[num].first < gen)) {
        newest[num] = {gen, &value};
      }
    }
  }
  for (const auto& [num, object] : newest) {
    view.objects[Key(num, object.first)] = *object.second;
  }
  view.parsed = true;
  return view;
}

int KeyNumber(const std::string& key) {
  return std::atoi(key.c_str() + 4);
}

// The object streams the table draws members from: the copy drops them, whatever other
// streams call themselves.
std::set<int> ObjectStreams(const CPdfDocument& in) {
  std::set<int> streams;
  for (const CPdfXRefTable::Item& item : in.GetXRef()->GetTable()) {
    if (item.entry.type == 2) {
      streams.insert(item.entry.offset);
    }
  }
  return streams;
}

std::string Short(const JsonValue& value) {
  std::string text = value.ToString();
  return text.size() > 400 ? text.substr(0, 400) + "..." : text;
}

// The input's objects as the output must hold them, by qpdf's keys.
std::map<std::string, JsonValue> ExpectedObjects(const QpdfView& in,
                                                 const std::map<int, int>& angle_of_object,
                                                 const std::set<int>& object_streams) {
  std::map<std::string, JsonValue> expected;
  for (const auto& [key, value] : in.objects) {
    if (object_streams.count(KeyNumber(key))) {
      continue;  // its members come out as objects of their own
    }
    JsonValue object = value;
    auto angle = angle_of_object.find(KeyNumber(key));
    auto dict = object.GetMembers().find("value");
    if (angle != angle_of_object.end() && dict != object.GetMembers().end() &&
        dict->second.GetKind() == JsonValue::Kind::kObject) {
      dict->second.GetMembers()["/Rotate"] = JsonValue::Number(angle->second);
    }
    expected[key] = object;
  }
  return expected;
}

void ExpectObjects(const std::map<std::string, JsonValue>& expected, const QpdfView& out) {
  for (const auto& [key, value] : expected) {
    auto it = out.objects.find(key);
    if (it == out.objects.end()) {
      ADD_FAILURE() << key << " is missing from the output";
    } else if (it->second != value) {
      ADD_FAILURE() << key << " differs\n  expected " << Short(value) << "\n  output   "
                    << Short(it->second);
    }
  }
  for (const auto& [key, value] : out.objects) {
    if (!expected.count(key)) {
      ADD_FAILURE() << key << " is in the output but not in the input: " << Short(value);
    }
  }
}

void ExpectTrailer(const QpdfView& in, const QpdfView& out, int32_t size) {
  JsonValue expected = in.trailer;
  auto& members = expected.GetMembers();
  for (auto it = members.begin(); it != members.end();) {
    const bool kept = it->first == "/Root" || it->first == "/Info" || it->first == "/ID" ||
                      it->first == "/Encrypt";
    it = kept ? std::next(it) : members.erase(it);
  }
  members["/Size"] = JsonValue::Number(static_cast<long long>(size));
  EXPECT_EQ(expected.ToString(), out.trailer.ToString()) << "trailer";
}

// Skips one end of line ("\r", "\n" or "\r\n"); false when there is none.
bool SkipEol(const std::string& bytes, size_t* at) {
  const size_t start = *at;
  if (*at < bytes.size() && bytes[*at] == '\r') {
    ++*at;
  }
  if (*at < bytes.size() && bytes[*at] == '\n') {
    ++*at;
  }
  return *at > start;
}

bool ReadDigits(const std::string& bytes, size_t* at, long long* value) {
  const size_t start = *at;
  *value = 0;
  while (*at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[*at])) &&
         *at - start < 12) {
    *value = *value * 10 + (bytes[*at] - '0');
    ++*at;
  }
  return *at > start;
}

bool AllDigits(const std::string& text) {
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return !text.empty();
}

// Reads the output's cross-reference table line by line: object number -> generation of every
// in-use line, and one past the highest number listed.
void ReadXRefTable(const std::string& bytes, std::map<int, int>* in_use, long long* end) {
  ASSERT_EQ(0u, bytes.rfind("%PDF-", 0)) << "the output does not start with its header";
  const size_t startxref = bytes.rfind("startxref");
  ASSERT_NE(std::string::npos, startxref) << "no startxref";
  size_t at = startxref + 9;
  long long table = 0;
  ASSERT_TRUE(SkipEol(bytes, &at) && ReadDigits(bytes, &at, &table) && SkipEol(bytes, &at))
      << "startxref is not followed by a number";
  ASSERT_EQ(0, bytes.compare(at, 5, "%%EOF")) << "no %%EOF after startxref";
  at += 5;
  SkipEol(bytes, &at);
  EXPECT_EQ(bytes.size(), at) << "bytes after %%EOF";
  ASSERT_LT(static_cast<size_t>(table), bytes.size());
  at = static_cast<size_t>(table);
  ASSERT_EQ(0, bytes.compare(at, 4, "xref")) << "startxref " << table << " does not lead to xref";
  at += 4;
  ASSERT_TRUE(SkipEol(bytes, &at));
  *end = 0;
  while (bytes.compare(at, 7, "trailer") != 0) {
    long long first = -1;
    long long count = 0;
    ASSERT_TRUE(ReadDigits(bytes, &at, &first) && at < bytes.size() && bytes[at++] == ' ' &&
                ReadDigits(bytes, &at, &count) && SkipEol(bytes, &at))
        << "no subsection line at " << at;
    ASSERT_GE(first, *end) << "subsections overlap or go backwards";
    ASSERT_TRUE(first == 0 || *end > 0) << "object 0 is not listed";
    for (long long n = first; n < first + count; ++n, at += 20) {
      ASSERT_LE(at + 20, bytes.size()) << "the table ends early";
      const std::string line = bytes.substr(at, 20);
      const std::string eol = line.substr(18);
      ASSERT_TRUE(AllDigits(line.substr(0, 10)) && line[10] == ' ' &&
                  AllDigits(line.substr(11, 5)) && line[16] == ' ' &&
                  (line[17] == 'n' || line[17] == 'f') &&
                  (eol == " \r" || eol == " \n" || eol == "\r\n"))
          << "line of object " << n << " is not a 20-byte entry: " << line;
      const long long offset = std::stoll(line.substr(0, 10));
      const int gen = std::stoi(line.substr(11, 5));
      if (line[17] == 'f') {
        if (n == 0) {
          EXPECT_EQ(65535, gen) << "entry 0";
        }
        continue;
      }
      const std::string header = std::to_string(n) + " " + std::to_string(gen) + " obj";
      const size_t after = static_cast<size_t>(offset) + header.size();
      EXPECT_TRUE(after < bytes.size() &&
                  bytes.compare(static_cast<size_t>(offset), header.size(), header) == 0 &&
                  !std::isalnum(static_cast<unsigned char>(bytes[after])))
          << "entry " << n << " (offset " << offset << ") does not lead to \"" << header
          << "\" but to \"" << bytes.substr(static_cast<size_t>(offset), header.size()) << "\"";
      (*in_use)[static_cast<int>(n)] = gen;
    }
    *end = first + count;
  }
}

// This program's reader on both files: every object but the rotated pages byte for byte the
// same, and each page's rotation as chosen.
void ExpectOwnReaderAgrees(const std::string& input,
                           const std::string& output,
                           const CPdfDocument& in,
                           const std::map<int, int>& angle_of_object,
                           const PageAngles& rotated) {
  CPdfDocument out;
  try {
    out.Open(output.c_str());
  } catch (const CPdfException& e) {
    ADD_FAILURE() << "the output does not open: " << e.GetMessage();
    return;
  }
  const std::set<int> object_streams = ObjectStreams(in);
  const auto& pages_in = in.GetCatalog()->GetPageRefs();
  const auto& pages_out = out.GetCatalog()->GetPageRefs();
  ASSERT_EQ(pages_in.size(), pages_out.size()) << "page count";
  for (size_t k = 0; k < pages_in.size(); ++k) {
    auto angle = rotated.find(static_cast<int>(k + 1));
    EXPECT_EQ(angle != rotated.end() ? angle->second : pages_in[k].rotation, pages_out[k].rotation)
        << "rotation of page " << k + 1;
  }
  auto file_in = CPdfInputFile::Open(input.c_str());
  auto file_out = CPdfInputFile::Open(output.c_str());
  ASSERT_TRUE(file_in && file_out);
  const CPdfXRefTable& entries_in = in.GetXRef()->GetTable();
  const CPdfXRefTable& entries_out = out.GetXRef()->GetTable();
  // Members stream by stream, as the copy reads them: in number order, members of streams that
  // interleave would decode their streams again and again.
  std::vector<std::pair<int32_t, int32_t>> order;  // (object stream or -1, number)
  for (const CPdfXRefTable::Item& item : entries_in) {
    order.emplace_back(item.entry.type == 2 ? item.entry.offset : -1, item.num);
  }
  std::sort(order.begin(), order.end());
  for (const auto& [stream, num] : order) {
    if (num == 0) {
      continue;
    }
    const std::vector<uint8_t> before = ExtractObject(*file_in, num, *in.GetXRef(), entries_in);
    const std::vector<uint8_t> after = ExtractObject(*file_out, num, *out.GetXRef(), entries_out);
    if (object_streams.count(num)) {
      EXPECT_TRUE(after.empty()) << "object stream " << num << " is copied";
    } else if (!angle_of_object.count(num) && before != after) {
      ADD_FAILURE() << "object " << num << " has other bytes: "
                    << std::string(before.begin(),
                                   before.begin() + std::min<size_t>(before.size(), 60))
                    << " ... became "
                    << std::string(after.begin(),
                                   after.begin() + std::min<size_t>(after.size(), 60));
    }
  }
}

}  // namespace

PageAngles Pages(const std::vector<int>& pages, int angle) {
  PageAngles angles;
  for (int page : pages) {
    angles[page] = angle;
  }
  return angles;
}

std::string PdfinfoRotations(const std::string& path) {
  CommandResult r = RunCommand("pdfinfo -l 100000 '" + path + "' 2>/dev/null");
  std::istringstream lines(r.output);
  std::string line;
  std::string out;
  while (std::getline(lines, line)) {
    const size_t at = line.find(" rot:");
    if (line.rfind("Page", 0) == 0 && at != std::string::npos) {
      out += std::to_string(std::stoi(line.substr(at + 5))) + ",";
    }
  }
  return out;
}

PageAngles ChosenPages(const std::string& input, const std::string& options) {
  // pdfinfo would do, but it folds rotations into 0..359 and loses the pages of a damaged
  // /Count, both of which the selection must see as they stand.
  std::vector<int> rotations;
  CPdfDocument doc;
  doc.Open(input.c_str());
  for (const PageRef& page : doc.GetCatalog()->GetPageRefs()) {
    rotations.push_back(page.rotation);
  }
  int angle = 0;
  bool portrait = false;
  bool landscape = false;
  std::set<int> listed;
  std::istringstream words(options);
  for (std::string word; words >> word;) {
    if (word.rfind("/r", 0) == 0) {
      angle = std::stoi(word.substr(2));
    } else if (word == "-portrait" || word == "-landscape") {
      (word == "-portrait" ? portrait : landscape) = true;
    } else if (word.rfind("/p", 0) == 0) {
      std::istringstream ranges(word.substr(2));
      for (std::string range; std::getline(ranges, range, ',');) {
        const size_t dash = range.find('-');
        const int from = std::stoi(range);
        const int to = dash == std::string::npos ? from : std::stoi(range.substr(dash + 1));
        for (int page = from; page <= to; ++page) {
          listed.insert(page);
        }
      }
    }
  }
  PageAngles chosen;
  for (size_t k = 0; k < rotations.size(); ++k) {
    const int page = static_cast<int>(k + 1);
    const bool upright = rotations[k] == 0 || rotations[k] == 180;
    const bool sideways = rotations[k] == 90 || rotations[k] == 270;
    if (portrait || landscape ? (portrait && upright) || (landscape && sideways)
                              : listed.empty() || listed.count(page)) {
      chosen[page] = angle;
    }
  }
  return chosen;
}

void ExpectFaithfulCopy(const std::string& input,
                        const std::string& output,
                        const PageAngles& rotated) {
  CPdfDocument in;
  try {
    in.Open(input.c_str());
  } catch (const CPdfException& e) {
    FAIL() << "the input does not open: " << e.GetMessage();
  }
  std::map<int, int> angle_of_object;
  const auto& pages = in.GetCatalog()->GetPageRefs();
  for (const auto& [page, angle] : rotated) {
    ASSERT_TRUE(page >= 1 && static_cast<size_t>(page) <= pages.size()) << "page " << page;
    angle_of_object[pages[static_cast<size_t>(page) - 1].object_number] = angle;
  }

  const QpdfView in_view = ReadWithQpdf(input);
  ASSERT_TRUE(in_view.parsed && (in_view.exit_code == 0 || in_view.exit_code == 3))
      << "qpdf cannot read the input " << input;
  const QpdfView out_view = ReadWithQpdf(output);
  ASSERT_TRUE(out_view.parsed) << "qpdf cannot read the output";
  // Objects copied as they stand keep whatever qpdf found wrong inside them, but no more.
  EXPECT_TRUE(out_view.exit_code == 0 || in_view.exit_code == 3)
      << "qpdf warns about the output: " << RunCommand("qpdf --check '" + output + "' 2>&1").output;
  EXPECT_EQ(in_view.version, out_view.version) << "header version";
  const std::map<std::string, JsonValue> expected =
      ExpectedObjects(in_view, angle_of_object, ObjectStreams(in));
  ExpectObjects(expected, out_view);

  std::map<int, int> in_use;
  long long end = 0;
  const std::string bytes = ReadFile(output);
  ReadXRefTable(bytes, &in_use, &end);
  std::set<std::string> listed;
  for (const auto& [num, gen] : in_use) {
    listed.insert(Key(num, gen));
  }
  for (const auto& [key, value] : expected) {
    EXPECT_TRUE(listed.count(key)) << key << " is not in use with that generation in the table";
  }
  for (const std::string& key : listed) {
    EXPECT_TRUE(expected.count(key)) << key << " is in use in the table but not in the input";
  }
  // /Size: one past the highest number the input defines, which the table may not pass.
  const int32_t size = in.GetXRef()->GetTable().GetSize();
  EXPECT_LE(end, size) << "the table lists numbers beyond /Size";
  ExpectTrailer(in_view, out_view, size);
  ExpectOwnReaderAgrees(input, output, in, angle_of_object, rotated);
}
