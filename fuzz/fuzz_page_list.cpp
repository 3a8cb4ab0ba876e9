// The page-list parser against a reference written another way: comma groups, then dash
// parts, each end read from its suffix backwards. Both must select the same pages or give the
// same message.
#include <algorithm>
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

// One end as the reference reads it: the page, or for an r<n> before the first page its n
// (beyond), and the suffix's parity (0 none, 1 odd, 2 even); false when it is malformed.
struct End {
  int32_t page = 0;
  int32_t beyond = 0;
  int parity = 0;
};

bool IsNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool ReadEnd(std::string text, int32_t count, End* end) {
  const size_t colon = text.rfind(':');
  if (colon != std::string::npos) {
    const std::string suffix = text.substr(colon + 1);
    if (suffix != "odd" && suffix != "even") {
      return false;
    }
    end->parity = suffix == "odd" ? 1 : 2;
    text.resize(colon);
  }
  if (IsNumber(text)) {
    end->page = Number(text);
  } else if (text == "z") {
    end->page = std::max(count, 0);
  } else if (text.size() > 1 && text[0] == 'r' && IsNumber(text.substr(1))) {
    const int32_t n = Number(text.substr(1));
    end->beyond = n > count ? n : 0;
    end->page = n == 0 || n > count ? 0 : count + 1 - n;
  } else {
    return false;
  }
  return true;
}

std::string Greater(bool range, int32_t page, int32_t count) {
  return (range ? "Wrong page ranges, " : "Page number ") + S(page) + " greater than " + S(count) +
         " pages in file";
}

void Insert(std::set<int32_t>& pages, int32_t first, int32_t last, int parity) {
  for (int32_t p = first; p <= last; ++p) {
    if (parity == 0 || p % 2 == 2 - parity) {
      pages.insert(p);
    }
  }
}

// The selected pages, or the message.
std::string Reference(const std::string& list, int32_t count, int32_t records) {
  if (list.find_first_not_of("0123456789-,zr:odevn") != std::string::npos) {
    return "Invalid parameter";
  }
  std::set<int32_t> pages;
  for (const std::string& group : Split(list, ',')) {
    const std::vector<std::string> parts = Split(group, '-');
    End first;
    if (!ReadEnd(parts[0], count, &first) || (parts.size() > 1 && first.parity != 0)) {
      return "Invalid parameter";
    }
    if (first.page == 0 && first.beyond == 0) {
      return "Invalid page number 0";
    }
    if (parts.size() == 1) {
      if (first.beyond != 0 || first.page > count) {
        return Greater(false, first.beyond != 0 ? first.beyond : first.page, count);
      }
      if (first.page > records) {
        return Greater(false, first.page, records);
      }
      Insert(pages, first.page, first.page, first.parity);
      continue;
    }
    if (first.beyond != 0) {
      return Greater(true, first.beyond, count);
    }
    End last;
    if (!ReadEnd(parts[1], count, &last) || (parts.size() > 2 && last.parity != 0)) {
      return "Invalid parameter";
    }
    if (last.page == 0 && last.beyond == 0) {
      return "Invalid page number 0";
    }
    if (parts.size() > 2) {
      return "Invalid parameter";
    }
    if (last.beyond != 0 || last.page > count) {
      return Greater(true, last.beyond != 0 ? last.beyond : last.page, count);
    }
    if (first.page > last.page) {
      return "Wrong page ranges, start page " + S(first.page) + " > end page " + S(last.page);
    }
    if (last.page > records) {
      return Greater(true, last.page, records);
    }
    Insert(pages, first.page, last.page, last.parity);
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
    ParsePageList(list, count, pages);
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
