// The page-list parser against a reference written another way: comma groups, then dash
// parts. Both must select the same pages or give the same message.
#include <set>
#include <string>
#include <vector>

#include "app/page_selection.h"
#include "fuzz_support.h"

namespace {

std::string S(int32_t v) {
  return std::to_string(v);
}

int32_t Number(const std::string& digits) {
  int64_t v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > INT32_MAX) {
      v = INT32_MAX;
    }
  }
  return static_cast<int32_t>(v);
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == sep) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// The selected pages, or the message.
std::string Reference(const std::string& list, int32_t count, int32_t records) {
  if (list.find_first_not_of("0123456789-,") != std::string::npos) {
    return "Invalid parameter";
  }
  std::set<int32_t> pages;
  for (const std::string& group : Split(list, ',')) {
    const std::vector<std::string> parts = Split(group, '-');
    if (parts[0].empty()) {
      return "Invalid parameter";
    }
    const int32_t first = Number(parts[0]);
    if (first == 0) {
      return "Invalid page number 0";
    }
    if (parts.size() == 1) {
      if (first > count) {
        return "Page number " + S(first) + " greater than " + S(count) + " pages in file";
      }
      if (first > records) {
        return "Page number " + S(first) + " greater than " + S(records) + " pages in file";
      }
      pages.insert(first);
      continue;
    }
    if (parts[1].empty()) {
      return "Invalid parameter";
    }
    const int32_t last = Number(parts[1]);
    if (last == 0) {
      return "Invalid page number 0";
    }
    if (parts.size() > 2) {
      return "Invalid parameter";
    }
    if (last > count) {
      return "Wrong page ranges, " + S(last) + " greater than " + S(count) + " pages in file";
    }
    if (first > last) {
      return "Wrong page ranges, start page " + S(first) + " > end page " + S(last);
    }
    if (last > records) {
      return "Wrong page ranges, " + S(last) + " greater than " + S(records) + " pages in file";
    }
    for (int32_t p = first; p <= last; ++p) {
      pages.insert(p);
    }
  }
  std::string out;
  for (int32_t p : pages) {
    out += std::to_string(p) + ",";
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t count = ReadByte(data, size) % 40;
  const int32_t records = ReadByte(data, size) % 40;
  const std::string list(reinterpret_cast<const char*>(data), size);
  std::vector<PageRecord> pages(static_cast<size_t>(records));
  std::string got;
  try {
    ParsePageList(list, count, 7, pages);
    for (size_t i = 0; i < pages.size(); ++i) {
      if (pages[i].selected) {
        got += std::to_string(i + 1) + ",";
      }
    }
  } catch (const CPdfException& e) {
    got = e.GetMessage();
  }
  const std::string want = Reference(list, count, records);
  if (got != want) {
    std::fprintf(stderr, "list [%s] count %d records %d: got [%s] want [%s]\n", list.c_str(), count,
                 records, got.c_str(), want.c_str());
    std::abort();
  }
  return 0;
}
