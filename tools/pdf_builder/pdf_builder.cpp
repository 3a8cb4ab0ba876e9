#include "pdf_builder.h"

#include <zlib.h>

#include <cstdio>
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

namespace {

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
  const bool written = f && std::fwrite(bytes_.data(), 1, bytes_.size(), f) == bytes_.size();
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

void PdfBuilder::Note(int num, Entry entry) {
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
  Note(num, Entry{1, Here(), gen});
  bytes_ += std::to_string(num) + " " + std::to_string(gen) + " obj\n" + body + "\nendobj\n";
  return *this;
}

PdfBuilder& PdfBuilder::Stream(int num, const std::string& dict_entries, const std::string& data) {
  return Object(num, "<< " + dict_entries + " /Length " + std::to_string(data.size()) +
                         " >>\nstream\n" + data + "\nendstream");
}

PdfBuilder& PdfBuilder::ObjectStream(int num,
                                     const std::vector<std::pair<int, std::string>>& objects,
                                     bool deflate) {
  std::string header;
  std::string body;
  for (size_t k = 0; k < objects.size(); ++k) {
    // Members are separated by one blank and the last ends the data with no white space.
    if (k) {
      body += " ";
    }
    header += std::to_string(objects[k].first) + " " + std::to_string(body.size()) + " ";
    body += objects[k].second;
    Note(objects[k].first, Entry{2, num, static_cast<int>(k)});
  }
  std::string data = header + body;
  std::string dict = "/Type /ObjStm /N " + std::to_string(objects.size()) + " /First " +
                     std::to_string(header.size());
  if (deflate) {
    return Stream(num, dict + " /Filter /FlateDecode", Deflate(data));
  }
  return Stream(num, dict, data);
}

PdfBuilder& PdfBuilder::Compressed(int num, int stream, int index) {
  Note(num, Entry{2, stream, index});
  return *this;
}

PdfBuilder& PdfBuilder::Free(int num, int next_gen) {
  Note(num, Entry{0, 0, next_gen});
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
  std::map<int, Entry> entries = pending_;
  pending_.clear();
  if (last_xref_ < 0) {
    entries[0] = Entry{0, 0, 65535};
  }
  bytes_ += "xref\n";
  for (auto it = entries.cbegin(); it != entries.cend();) {
    const auto run_end = RunEnd(entries, it);
    bytes_ += std::to_string(it->first) + " " + std::to_string(std::distance(it, run_end)) + "\n";
    for (; it != run_end; ++it) {
      char line[32];
      const bool in_use = it->second.type == 1;
      std::snprintf(line, sizeof(line), "%010lld %05d %c \n",
                    static_cast<long long>(in_use ? it->second.field2 : 0), it->second.field3,
                    in_use ? 'n' : 'f');
      bytes_ += line;
    }
  }
  bytes_ +=
      "trailer\n<< /Size " + std::to_string(size_) + PrevEntry() + " " + trailer_entries + " >>\n";
  StartXRef(offset);
  return *this;
}

std::string PdfBuilder::StreamBytes(const std::map<int, Entry>& entries,
                                    int num,
                                    const std::string& dict_entries,
                                    bool png_up,
                                    bool with_size) {
  // Records of /W [1 4 2]; /Index lists the runs.
  std::string index;
  std::string rows;
  for (auto it = entries.cbegin(); it != entries.cend();) {
    const auto run_end = RunEnd(entries, it);
    index += std::to_string(it->first) + " " + std::to_string(std::distance(it, run_end)) + " ";
    for (; it != run_end; ++it) {
      const Entry& e = it->second;
      const uint64_t f2 = static_cast<uint64_t>(e.field2);
      rows += static_cast<char>(e.type);
      for (int s = 24; s >= 0; s -= 8) {
        rows += static_cast<char>((f2 >> s) & 0xFF);
      }
      rows += static_cast<char>((e.field3 >> 8) & 0xFF);
      rows += static_cast<char>(e.field3 & 0xFF);
    }
  }
  std::string data;
  std::string filter = " /Filter /FlateDecode";
  if (png_up) {
    // Each 7-byte row becomes filter type 2 (Up) and its difference from the row above.
    std::string prev(7, '\0');
    for (size_t r = 0; r + 7 <= rows.size(); r += 7) {
      data += '\x02';
      for (size_t k = 0; k < 7; ++k) {
        data +=
            static_cast<char>(static_cast<uint8_t>(rows[r + k]) - static_cast<uint8_t>(prev[k]));
      }
      prev = rows.substr(r, 7);
    }
    filter += " /DecodeParms << /Predictor 12 /Columns 7 >>";
  } else {
    data = rows;
  }
  std::string dict = "/Type /XRef /W [1 4 2] /Index [" + index + "]" +
                     (with_size ? " /Size " + std::to_string(size_) : std::string()) + PrevEntry() +
                     filter + " " + dict_entries;
  std::string compressed = Deflate(data);
  (void)num;
  return "<< " + dict + " /Length " + std::to_string(compressed.size()) + " >>\nstream\n" +
         compressed + "\nendstream";
}

PdfBuilder& PdfBuilder::XRefStream(int num, const std::string& dict_entries, bool png_up) {
  const int64_t offset = Here();
  Note(num, Entry{1, offset, 0});
  std::map<int, Entry> entries = pending_;
  pending_.clear();
  if (last_xref_ < 0) {
    entries[0] = Entry{0, 0, 65535};
  }
  offsets_[num] = offset;
  bytes_ += std::to_string(num) + " 0 obj\n" +
            StreamBytes(entries, num, dict_entries, png_up, true) + "\nendobj\n";
  StartXRef(offset);
  return *this;
}

PdfBuilder& PdfBuilder::HybridSection(int stream_num, const std::string& trailer_entries) {
  std::map<int, Entry> compressed;
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
            StreamBytes(compressed, stream_num, "", false, true) + "\nendobj\n";
  pending_[stream_num] = Entry{1, stream_offset, 0};
  return XRefTable(trailer_entries + " /XRefStm " + std::to_string(stream_offset));
}
