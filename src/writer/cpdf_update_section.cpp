#include "writer/cpdf_update_section.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

namespace {

// Keys the section writes itself; a stream also describes its own data.
bool Replaced(const std::string& name, bool stream) {
  static const char* const kSection[] = {"Size", "Prev", "XRefStm"};
  static const char* const kStream[] = {"Type",        "W", "Index",        "Length", "Filter",
                                        "DecodeParms", "F", "FDecodeParms", "FFilter"};
  for (const char* k : kSection) {
    if (name == k) {
      return true;
    }
  }
  for (const char* k : kStream) {
    if (stream && name == k) {
      return true;
    }
  }
  return false;
}

// Bytes a big-endian field needs for value, at least one.
int Width(int64_t value) {
  int width = 1;
  while (width < 8 && (value >> (8 * width)) != 0) {
    ++width;
  }
  return width;
}

void AppendField(std::string* out, int64_t value, int width) {
  for (int b = width - 1; b >= 0; --b) {
    out->push_back(static_cast<char>((value >> (8 * b)) & 0xFF));
  }
}

// Offsets and generations that a line or a field could not hold would lead readers elsewhere.
void CheckEntry(const CPdfUpdateSection::Entry& e) {
  if (e.num <= 0 || e.num > CPdfUpdateSection::kMaxNumber || e.offset < 0 ||
      e.offset > 9999999999 || e.generation < 0 || e.generation > 65535) {
    throw CPdfException(kMsgDamaged);
  }
}

}  // namespace

std::vector<std::pair<int32_t, int32_t>> CPdfUpdateSection::Runs(
    const std::vector<Entry>& entries) {
  std::vector<std::pair<int32_t, int32_t>> runs;
  for (const Entry& e : entries) {
    CheckEntry(e);
    if (!runs.empty() && runs.back().first + runs.back().second == e.num) {
      ++runs.back().second;
    } else {
      runs.emplace_back(e.num, 1);
    }
  }
  return runs;
}

std::string CPdfUpdateSection::KeptEntries(const Trailer& trailer, bool stream) {
  std::string text;
  for (const auto& [name, written] : trailer.entries) {
    if (!Replaced(name, stream)) {
      text.append(written).append("\n");
    }
  }
  return text;
}

std::string CPdfUpdateSection::Table(const std::vector<Entry>& entries,
                                     const Trailer& trailer,
                                     int64_t at) {
  std::string out = "xref\n";
  size_t k = 0;
  char line[64];
  for (const auto& [first, count] : Runs(entries)) {
    std::snprintf(line, sizeof(line), "%d %d\n", first, count);
    out.append(line);
    for (int32_t i = 0; i < count; ++i, ++k) {
      std::snprintf(line, sizeof(line), "%010" PRId64 " %05d n\r\n", entries[k].offset,
                    entries[k].generation);
      out.append(line);
    }
  }
  const int32_t size = std::max(trailer.size, entries.empty() ? 0 : entries.back().num + 1);
  std::snprintf(line, sizeof(line), "trailer\n<<\n/Size %d\n/Prev %" PRId64 "\n", size,
                trailer.prev);
  out.append(line).append(KeptEntries(trailer, false));
  std::snprintf(line, sizeof(line), ">>\nstartxref\n%" PRId64 "\n%%%%EOF\n", at);
  return out.append(line);
}

std::string CPdfUpdateSection::Stream(std::vector<Entry> entries,
                                      const Trailer& trailer,
                                      int64_t at) {
  const int32_t num = std::max(trailer.size, entries.empty() ? 1 : entries.back().num + 1);
  entries.push_back(Entry{num, at, 0});
  const std::vector<std::pair<int32_t, int32_t>> runs = Runs(entries);
  int64_t most_offset = 0;
  int32_t most_generation = 0;
  for (const Entry& e : entries) {
    most_offset = std::max(most_offset, e.offset);
    most_generation = std::max(most_generation, e.generation);
  }
  const int offset_width = Width(most_offset);
  const int generation_width = Width(most_generation);
  std::string data;
  for (const Entry& e : entries) {
    AppendField(&data, 1, 1);
    AppendField(&data, e.offset, offset_width);
    AppendField(&data, e.generation, generation_width);
  }
  char text[160];
  std::snprintf(text, sizeof(text),
                "%d 0 obj\n<<\n/Type /XRef\n/Size %d\n/W [1 %d %d]\n/Prev %" PRId64 "\n/Index [",
                num, num + 1, offset_width, generation_width, trailer.prev);
  std::string out = text;
  for (size_t k = 0; k < runs.size(); ++k) {
    std::snprintf(text, sizeof(text), "%s%d %d", k == 0 ? "" : " ", runs[k].first, runs[k].second);
    out.append(text);
  }
  out.append("]\n").append(KeptEntries(trailer, true));
  std::snprintf(text, sizeof(text), "/Length %llu\n>>\nstream\r\n",
                static_cast<unsigned long long>(data.size()));
  out.append(text).append(data);
  std::snprintf(text, sizeof(text), "\r\nendstream\nendobj\nstartxref\n%" PRId64 "\n%%%%EOF\n", at);
  return out.append(text);
}
