#include "pdf_builder.h"

#include <sys/types.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

std::string Deflate(const std::string& data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size,
                reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK) {
    throw std::runtime_error("compress2 failed");
  }
  out.resize(size);
  return out;
}

std::string PngPredict(const std::string& data, size_t row_bytes, size_t bpp, int type) {
  std::string raw = data;
  raw.resize((raw.size() + row_bytes - 1) / row_bytes * row_bytes, '\0');
  std::string out;
  std::string up(row_bytes, '\0');
  for (size_t r = 0; r < raw.size(); r += row_bytes) {
    const int t = type < 5 ? type : static_cast<int>(r / row_bytes % 5);
    out += static_cast<char>(t);
    for (size_t k = 0; k < row_bytes; ++k) {
      const int x = static_cast<uint8_t>(raw[r + k]);
      const int a = k >= bpp ? static_cast<uint8_t>(raw[r + k - bpp]) : 0;
      const int b = static_cast<uint8_t>(up[k]);
      const int c = k >= bpp ? static_cast<uint8_t>(up[k - bpp]) : 0;
      int predicted = 0;
      if (t == 1) {
        predicted = a;
      } else if (t == 2) {
        predicted = b;
      } else if (t == 3) {
        predicted = (a + b) / 2;
      } else if (t == 4) {
        const int p = a + b - c;
        const int pa = std::abs(p - a);
        const int pb = std::abs(p - b);
        const int pc = std::abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      }
      out += static_cast<char>((x - predicted) & 0xFF);
    }
    up = raw.substr(r, row_bytes);
  }
  return out;
}

std::string TiffPredict(const std::string& data, int columns, int colors, int bits) {
  const size_t row_bytes = (static_cast<size_t>(columns) * colors * bits + 7) / 8;
  std::string out = data;
  out.resize((out.size() + row_bytes - 1) / row_bytes * row_bytes, '\0');
  const size_t samples = static_cast<size_t>(columns) * colors;
  const uint32_t mask = (1u << bits) - 1;
  for (size_t r = 0; r < out.size(); r += row_bytes) {
    std::string row = out.substr(r, row_bytes);
    auto get = [&row, bits](size_t i) {
      uint32_t v = 0;
      for (size_t p = i * bits; p < (i + 1) * bits; ++p) {
        v = (v << 1) | ((static_cast<uint8_t>(row[p / 8]) >> (7 - p % 8)) & 1u);
      }
      return v;
    };
    for (size_t i = 0; i < samples; ++i) {
      const uint32_t v =
          i >= static_cast<size_t>(colors) ? (get(i) - get(i - colors)) & mask : get(i);
      for (int b = 0; b < bits; ++b) {
        const size_t p = i * bits + b;
        const uint8_t bit = static_cast<uint8_t>(1u << (7 - p % 8));
        char& byte = out[r + p / 8];
        byte = static_cast<char>((v >> (bits - 1 - b)) & 1u ? byte | bit : byte & ~bit);
      }
    }
  }
  return out;
}

namespace {

// Links the free entries into the free list: each names the next free number, the last 0.
template <typename Map>
void LinkFreeList(Map& entries) {
  typename Map::mapped_type* previous = nullptr;
  for (auto& [num, entry] : entries) {
    if (entry.type != 0) {
      continue;
    }
    if (previous) {
      previous->field2 = num;
    }
    entry.field2 = 0;
    previous = &entry;
  }
}

// value as a big-endian field of width bytes; a field of width 0 is left to its default.
void PutField(std::string* out, uint64_t value, int width) {
  if (width > 0 && width < 8 && value >> (8 * width) != 0) {
    throw std::runtime_error("value does not fit its cross-reference stream field");
  }
  for (int s = 8 * (width - 1); s >= 0; s -= 8) {
    *out += static_cast<char>((value >> s) & 0xFF);
  }
}

// One past the last entry of the run of consecutive object numbers that starts at it: the
// entries one cross-reference subsection lists.
template <typename Map>
typename Map::const_iterator RunEnd(const Map& entries, typename Map::const_iterator it) {
  const int first = it->first;
  int count = 0;
  while (it != entries.end() && it->first == first + count) {
    ++it;
    ++count;
  }
  return it;
}

}  // namespace

bool PdfBuilder::Save(const std::string& path) const {
  FILE* f = std::fopen(path.c_str(), "wb");
  bool written = f != nullptr;
  size_t from = 0;
  for (const auto& [at, length] : holes_) {
    written = written && std::fwrite(bytes_.data() + from, 1, at - from, f) == at - from &&
              fseeko(f, static_cast<off_t>(length), SEEK_CUR) == 0;
    from = at;
  }
  // The file ends with bytes, so a hole is part of it.
  written = written &&
            std::fwrite(bytes_.data() + from, 1, bytes_.size() - from, f) == bytes_.size() - from;
  const bool closed = f && std::fclose(f) == 0;
  return written && closed;
}

PdfBuilder& PdfBuilder::Header(const std::string& version) {
  origin_ = static_cast<int64_t>(bytes_.size());
  bytes_ += "%PDF-" + version + "\n%\xE2\xE3\xCF\xD3\n";
  return *this;
}

PdfBuilder& PdfBuilder::Raw(const std::string& bytes) {
  bytes_ += bytes;
  return *this;
}

void PdfBuilder::Note(int num, Record entry) {
  pending_[num] = entry;
  if (num + 1 > size_) {
    size_ = num + 1;
  }
}

std::string PdfBuilder::ObjectBody(int num) const {
  auto it = bodies_.find(num);
  return it == bodies_.end() ? std::string() : it->second;
}

PdfBuilder& PdfBuilder::Object(int num, const std::string& body, int gen) {
  if (body.size() < 4096) {
    bodies_[num] = body;  // kept for ObjectBody; large stream bodies are not needed there
  }
  offsets_[num] = Here();
  Note(num, Record{1, Here(), gen});
  bytes_ += std::to_string(num) + " " + std::to_string(gen) + " obj\n" + body + "\nendobj\n";
  return *this;
}

PdfBuilder& PdfBuilder::Stream(int num, const std::string& dict_entries, const std::string& data) {
  return Object(num, "<< " + dict_entries + " /Length " + std::to_string(data.size()) +
                         " >>\nstream\n" + data + "\nendstream");
}

PdfBuilder& PdfBuilder::HoleStream(int num,
                                   const std::string& dict_entries,
                                   int64_t length,
                                   const std::string& length_value) {
  offsets_[num] = Here();
  Note(num, Record{1, Here(), 0});
  bytes_ += std::to_string(num) + " 0 obj\n<< " + dict_entries + " /Length " +
            (length_value.empty() ? std::to_string(length) : length_value) + " >>\nstream\n";
  holes_.emplace_back(bytes_.size(), length);
  hole_bytes_ += length;
  bytes_ += "\nendstream\nendobj\n";
  return *this;
}

PdfBuilder& PdfBuilder::ObjectStream(int num,
                                     const std::vector<std::pair<int, std::string>>& objects,
                                     bool deflate,
                                     const std::string& dict_entries,
                                     size_t padding) {
  Filters filters;
  if (!deflate) {
    filters.flate.clear();
  }
  return ObjectStream(num, objects, filters, dict_entries, padding);
}

PdfBuilder& PdfBuilder::ObjectStream(int num,
                                     const std::vector<std::pair<int, std::string>>& objects,
                                     const Filters& filters,
                                     const std::string& dict_entries,
                                     size_t padding) {
  std::string header;
  std::string body;
  for (size_t k = 0; k < objects.size(); ++k) {
    // Members are separated by one blank and the last ends the data with no white space.
    if (k) {
      body += " ";
    }
    header += std::to_string(objects[k].first) + " " + std::to_string(body.size()) + " ";
    body += objects[k].second;
    Note(objects[k].first, Record{2, num, static_cast<int>(k)});
  }
  header.resize(header.size() + padding, ' ');
  std::string data = header + body;
  std::string dict = "/Type /ObjStm /N " + std::to_string(objects.size()) + " /First " +
                     std::to_string(header.size()) +
                     (dict_entries.empty() ? std::string() : " " + dict_entries);
  return Stream(num, dict + FilterEntries(filters, ""), Encode(data, filters));
}

PdfBuilder& PdfBuilder::Entry(int num, int64_t offset, int gen) {
  Note(num, Record{1, offset, gen});
  return *this;
}

PdfBuilder& PdfBuilder::Compressed(int num, int stream, int index) {
  Note(num, Record{2, stream, index});
  return *this;
}

PdfBuilder& PdfBuilder::Free(int num, int next_gen) {
  Note(num, Record{0, 0, next_gen});
  return *this;
}

std::string PdfBuilder::PrevEntry() const {
  return last_xref_ < 0 ? std::string() : " /Prev " + std::to_string(last_xref_);
}

PdfBuilder& PdfBuilder::StartXRef(int64_t offset) {
  last_xref_ = offset;
  bytes_ += "startxref\n" + std::to_string(offset) + "\n%%EOF\n";
  return *this;
}

PdfBuilder& PdfBuilder::XRefTable(const std::string& trailer_entries) {
  const int64_t offset = Here();
  std::map<int, Record> entries = pending_;
  pending_.clear();
  if (last_xref_ < 0) {
    entries[0] = Record{0, 0, 65535};
  }
  LinkFreeList(entries);
  bytes_ += "xref\n";
  for (auto it = entries.cbegin(); it != entries.cend();) {
    const auto run_end = RunEnd(entries, it);
    bytes_ += std::to_string(it->first) + " " + std::to_string(std::distance(it, run_end)) + "\n";
    for (; it != run_end; ++it) {
      char line[32];
      const bool in_use = it->second.type == 1;
      std::snprintf(line, sizeof(line), "%010lld %05d %c \n",
                    static_cast<long long>(it->second.field2), it->second.field3,
                    in_use ? 'n' : 'f');
      bytes_ += line;
    }
  }
  bytes_ +=
      "trailer\n<< /Size " + std::to_string(size_) + PrevEntry() + " " + trailer_entries + " >>\n";
  StartXRef(offset);
  return *this;
}

std::string PdfBuilder::StreamBytes(std::map<int, Record> entries,
                                    const std::string& dict_entries,
                                    const XRefLayout& layout,
                                    bool with_size) {
  const int* w = layout.widths;
  if (w[0] == 0) {
    entries.erase(0);
  }
  if (!layout.index) {
    if (w[0] == 0) {
      throw std::runtime_error("a section without /Index needs a type field for object 0");
    }
    for (int n = 0; n < size_; ++n) {
      entries.emplace(n, Record{0, 0, 0});
    }
  }
  if (layout.predictor == XRefLayout::Predictor::kTiff) {
    // TIFF rows hold two records per sample (see below): free records fill the last one.
    while (entries.size() % static_cast<size_t>(2 * layout.colors) != 0) {
      entries.emplace(size_++, Record{0, 0, 0});
    }
  }
  LinkFreeList(entries);
  if (entries.count(0) && w[2] < 2) {
    entries[0].field3 = w[2] == 0 ? 0 : 255;  // object 0's generation, as high as fits
  }
  std::string index;
  std::string rows;
  for (auto it = entries.cbegin(); it != entries.cend();) {
    const auto run_end = RunEnd(entries, it);
    index += std::to_string(it->first) + " " + std::to_string(std::distance(it, run_end)) + " ";
    for (; it != run_end; ++it) {
      const Record& e = it->second;
      if (w[0] == 0 && e.type != 1) {
        throw std::runtime_error("a record without a type field is in use");
      }
      PutField(&rows, static_cast<uint64_t>(e.type), w[0]);
      PutField(&rows, static_cast<uint64_t>(e.field2), w[1]);
      PutField(&rows, static_cast<uint64_t>(e.field3), w[2]);
    }
  }
  const int record = w[0] + w[1] + w[2];
  std::string data = rows;
  std::string params;
  if (layout.predictor == XRefLayout::Predictor::kPng) {
    data = PngPredict(rows, static_cast<size_t>(record), 1, layout.png_type);
    params = "<< /Predictor " + std::to_string(10 + std::min(layout.png_type, 5)) + " /Columns " +
             std::to_string(record) + " >>";
  } else if (layout.predictor == XRefLayout::Predictor::kTiff) {
    // Rows of two records per sample, whatever the sample's size.
    const int columns = record * 16 / layout.bits;
    data = TiffPredict(rows, columns, layout.colors, layout.bits);
    params = "<< /Predictor 2 /Colors " + std::to_string(layout.colors) + " /BitsPerComponent " +
             std::to_string(layout.bits) + " /Columns " + std::to_string(columns) + " >>";
  }
  if (!params.empty() && layout.filters.flate.empty()) {
    throw std::runtime_error("a predictor needs Flate");
  }
  const std::string filter = FilterEntries(layout.filters, params);
  std::string dict = "/Type /XRef /W [" + std::to_string(w[0]) + " " + std::to_string(w[1]) + " " +
                     std::to_string(w[2]) + "]" +
                     (layout.index ? " /Index [" + index + "]" : std::string()) +
                     (with_size ? " /Size " + std::to_string(size_) : std::string()) + PrevEntry() +
                     filter + " " + dict_entries;
  std::string compressed = Encode(data, layout.filters);
  return "<< " + dict + " /Length " + std::to_string(compressed.size()) + " >>\nstream\n" +
         compressed + "\nendstream";
}

PdfBuilder& PdfBuilder::XRefStream(int num, const std::string& dict_entries, bool png_up) {
  XRefLayout layout;
  if (png_up) {
    layout.predictor = XRefLayout::Predictor::kPng;
  }
  return XRefStream(num, dict_entries, layout);
}

PdfBuilder& PdfBuilder::XRefStream(int num,
                                   const std::string& dict_entries,
                                   const XRefLayout& layout) {
  const int64_t offset = Here();
  Note(num, Record{1, offset, 0});
  std::map<int, Record> entries = pending_;
  pending_.clear();
  if (last_xref_ < 0) {
    entries[0] = Record{0, 0, 65535};
  }
  offsets_[num] = offset;
  bytes_ += std::to_string(num) + " 0 obj\n" + StreamBytes(entries, dict_entries, layout, true) +
            "\nendobj\n";
  StartXRef(offset);
  return *this;
}

PdfBuilder& PdfBuilder::HybridSection(int stream_num, const std::string& trailer_entries) {
  std::map<int, Record> compressed;
  for (auto it = pending_.begin(); it != pending_.end();) {
    if (it->second.type == 2) {
      compressed.insert(*it);
      it = pending_.erase(it);
    } else {
      ++it;
    }
  }
  const int64_t stream_offset = Here();
  offsets_[stream_num] = stream_offset;
  if (stream_num + 1 > size_) {
    size_ = stream_num + 1;
  }
  bytes_ += std::to_string(stream_num) + " 0 obj\n" +
            StreamBytes(compressed, "", XRefLayout(), true) + "\nendobj\n";
  pending_[stream_num] = Record{1, stream_offset, 0};
  return XRefTable(trailer_entries + " /XRefStm " + std::to_string(stream_offset));
}

PdfBuilder& PdfBuilder::SignedRanges() {
  const size_t hole = bytes_.find(kByteRangeHole);
  const size_t contents = bytes_.find("/Contents <", hole);
  const size_t open = bytes_.find('<', contents);
  const size_t close = bytes_.find('>', open);
  if (hole == std::string::npos || contents == std::string::npos || close == std::string::npos) {
    throw std::runtime_error("no /ByteRange hole and /Contents string");
  }
  char ranges[96];
  using Big = unsigned long long;
  std::snprintf(ranges, sizeof(ranges), "/ByteRange [%010llu %010llu %010llu %010llu]", Big{0},
                Big{open}, Big{close + 1}, Big{bytes_.size() - close - 1});
  bytes_.replace(hole, std::string(kByteRangeHole).size(), ranges);
  return *this;
}
