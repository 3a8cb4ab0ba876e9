// The whole job on one input: open, walk, select, copy and write to a scratch file, with the
// page list and the angle derived from a hash of the input. A run that succeeds must leave an
// output that opens again and holds every object of the input: the same bytes, or for a page
// the same dictionary but for /Rotate.
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/cpdf_rotate.h"
#include "document/cpdf_catalog.h"
#include "document/cpdf_document.h"
#include "fuzz_support.h"
#include "objects/cpdf_exception.h"
#include "objects/cpdf_parser.h"
#include "objects/pdf_messages.h"
#include "platform/input_file.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_xref.h"
#include "reader/cpdf_xref_table.h"
#include "reader/raw_object.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"
#include "value_text.h"

namespace {

// The value an object's own bytes ("N G obj value endobj") hold, read from those bytes alone;
// an error object where the parser refuses them (a key given twice with two values).
CPdfObject ValueOfBytes(const std::vector<uint8_t>& bytes) {
  CPdfParser parser(nullptr, new CPdfMemoryStream(bytes.data(), bytes.size()));
  CPdfObject value;
  try {
    CPdfObject skipped[3];
    for (CPdfObject& header : skipped) {
      parser.ParseObject(header);
    }
    parser.ParseObject(value);
  } catch (const CPdfException&) {
    value.Clear();
    value.SetError();
  }
  return value;
}

// Bytes for a report: printable ASCII as is, the rest escaped, long runs cut.
std::string Shown(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && i < 300; ++i) {
    const uint8_t c = bytes[i];
    text += c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : "\\x" + std::to_string(c);
  }
  return bytes.size() > 300 ? text + "..." : text;
}

// A document read as the job reads its input: the file opened once and lent to it.
struct InputPdf {
  void Open(const std::string& path) {
    FILE* file = OpenInputFile(path);
    if (!file) {
      throw CPdfException(kMsgInputOpen);
    }
    input = CPdfInputFile::Adopt(file);
    doc.Open(*input);
  }
  std::unique_ptr<CPdfInputFile> input;  // outlives doc, which reads it
  CPdfDocument doc;
};

void ExpectEveryObjectCopied(const std::string& in, const std::string& out) {
  InputPdf opened_in;
  InputPdf opened_out;
  opened_in.Open(in);
  try {
    opened_out.Open(out);
  } catch (const CPdfException& e) {
    std::fprintf(stderr, "%s\n", e.GetMessage());
    Violated("the output of a successful run does not open");
  }
  const CPdfDocument& input = opened_in.doc;
  const CPdfDocument& output = opened_out.doc;
  std::set<int32_t> pages;
  for (const PageRef& page : input.GetCatalog()->GetPageRefs()) {
    pages.insert(page.object_number);
  }
  CPdfFetcher& fetcher_in = *input.GetFetcher();
  CPdfFetcher& fetcher_out = *output.GetFetcher();
  const CPdfXRef& xref_in = fetcher_in.GetXRef();
  // The streams the table draws members from are dropped; members are read stream by stream.
  std::set<int32_t> object_streams;
  std::vector<std::pair<int32_t, CPdfXRefTable::Item>> order;
  for (const CPdfXRefTable::Item& item : xref_in.GetTable()) {
    if (item.entry.type == 2) {
      object_streams.insert(item.entry.offset);
    }
    order.emplace_back(item.entry.type == 2 ? item.entry.offset : -1, item);
  }
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.num < b.second.num;
  });
  for (const auto& [stream, item] : order) {
    if (item.num == 0 || item.entry.type == 0) {
      continue;
    }
    // A stream that gives members is dropped (whatever its own bytes hold); any other object
    // stays, whatever names it.
    const auto after = ExtractObject(fetcher_out, item.num);
    if (object_streams.count(item.num) && after.empty()) {
      continue;
    }
    const auto before = ExtractObject(fetcher_in, item.num);
    if (!pages.count(item.num)) {
      if (before != after) {
        std::fprintf(stderr, "object %d\n  in: %s\n out: %s\n", item.num, Shown(before).c_str(),
                     Shown(after).c_str());
        Violated("an object's bytes changed in the copy");
      }
      continue;
    }
    if (!SameValue(ValueOfBytes(before), ValueOfBytes(after), "Rotate")) {
      std::fprintf(stderr, "page object %d\n", item.num);
      Violated("a page changed in more than /Rotate");
    }
  }
}

std::string ScratchDir() {
  return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = ScratchDir();
  static const std::string in = dir + "/quillturn-fuzz-in-" + std::to_string(getpid()) + ".pdf";
  static const std::string out = dir + "/quillturn-fuzz-out-" + std::to_string(getpid()) + ".pdf";
  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) {
    return 0;
  }
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) {
    hash = (hash ^ data[i]) * 1099511628211ull;
  }
  const char* lists[] = {"", "1", "2-3", "1,3", "1-1000", "3,1", "-portrait", "-landscape"};
  const char* angles[] = {"/r90", "/r0", "/r-90", "/r180", "/r270", "/r2147483647"};
  std::string list = lists[hash % 8];
  std::string angle = angles[(hash >> 8) % 6];
  std::string args[] = {"Quillturn", in, out, list.empty() || list[0] == '-' ? list : "/p" + list,
                        angle};
  char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0], &args[4][0]};
  bool copied = false;
  RunGuarded([&] {
    CPdfRotate job(ParseCommandLine(5, argv));
    job.Run();
    copied = true;
  });
  if (copied) {
    ExpectEveryObjectCopied(in, out);
  }
  std::remove(out.c_str());
  return 0;
}
