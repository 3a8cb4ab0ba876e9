#include "reader/raw_object.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "streams/cpdf_input_file.h"

namespace {

constexpr size_t kFirstChunk = 1024;
constexpr size_t kLargestChunk = size_t{64} * 1024;

bool EndsCleanly(uint8_t c) {
  // White space or a delimiter: "endobj" can follow without merging into the last token.
  return std::strchr(" \t\r\n\f()<>[]{}/%", c) != nullptr || c == 0;
}

bool IsWhite(uint8_t c) {
  return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

bool IsHexOrWhite(uint8_t c) {
  return IsWhite(c) || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Reads an unsigned decimal at i and the white space after it.
bool ReadHeaderNumber(const std::vector<uint8_t>& b, size_t& i, int64_t expected) {
  int64_t value = 0;
  const size_t first = i;
  while (i < b.size() && b[i] >= '0' && b[i] <= '9' && value <= INT32_MAX) {
    value = value * 10 + (b[i++] - '0');
  }
  if (i == first || value != expected || i >= b.size() || !IsWhite(b[i])) {
    return false;
  }
  while (i < b.size() && IsWhite(b[i])) {
    ++i;
  }
  return true;
}

// True when the bytes plainly are "num gen obj ... endobj" and nothing in them can hide an
// "endobj" of their own: no stream, no literal string, no comment, hex strings of hex only.
// Then the first "endobj" is the object's own end and no parse is needed.
bool IsPlainObject(const std::vector<uint8_t>& b, int32_t num, int32_t gen) {
  size_t i = 0;
  if (!ReadHeaderNumber(b, i, num) || !ReadHeaderNumber(b, i, gen) || i + 3 > b.size() ||
      std::memcmp(&b[i], "obj", 3) != 0) {
    return false;
  }
  if (FindBytes(b.data(), 0, b.size(), "stream", 6) != 0) {
    return false;
  }
  for (i += 3; i < b.size(); ++i) {
    const uint8_t c = b[i];
    if (c == '(' || c == '%') {
      return false;
    }
    if (c == '<') {
      if (i + 1 < b.size() && b[i + 1] == '<') {
        ++i;
        continue;
      }
      for (++i; i < b.size() && b[i] != '>'; ++i) {
        if (!IsHexOrWhite(b[i])) {
          return false;
        }
      }
    }
  }
  return true;
}

}  // namespace

size_t FindBytes(const uint8_t* buffer, size_t start, size_t end, const char* pattern, size_t n) {
  if (n == 0 || end < n || start > end - n) {
    return 0;
  }
  // Look for the pattern's last byte ("j" of "endobj" is rare in PDF text) and check back.
  const uint8_t last_byte = static_cast<uint8_t>(pattern[n - 1]);
  const uint8_t* p = buffer + start + n - 1;
  const uint8_t* stop = buffer + end;
  while (p < stop) {
    const void* hit = std::memchr(p, last_byte, static_cast<size_t>(stop - p));
    if (!hit) {
      return 0;
    }
    p = static_cast<const uint8_t*>(hit);
    if (std::memcmp(p - (n - 1), pattern, n - 1) == 0) {
      return static_cast<size_t>(p - buffer);
    }
    ++p;
  }
  return 0;
}

int64_t FindInFile(CPdfInputFile& file, int64_t start, const char* pattern, size_t n) {
  // Reads grow from a small first piece, since most objects end soon after they start;
  // consecutive pieces overlap by n - 1 bytes so no occurrence straddles two unseen.
  std::vector<uint8_t> buffer(kFirstChunk);
  size_t chunk = kFirstChunk;
  int64_t pos = start;
  for (;;) {
    size_t got = file.ReadAt(pos, buffer.data(), chunk);
    size_t hit = FindBytes(buffer.data(), 0, got, pattern, n);
    if (hit != 0) {
      return pos + static_cast<int64_t>(hit);
    }
    if (got < chunk || got < n) {
      return 0;
    }
    pos += static_cast<int64_t>(got - (n - 1));
    if (chunk < kLargestChunk) {
      chunk *= 2;
      buffer.resize(chunk);
    }
  }
}

std::vector<uint8_t> ExtractObject(CPdfInputFile& file,
                                   int32_t num,
                                   CPdfXRef& reader,
                                   const CPdfXRefTable& table,
                                   RawObjectInfo* info) {
  std::vector<uint8_t> out;
  const XRefEntry* found = table.Find(num);
  if (!found || found->type == 0) {
    return out;
  }
  if (found->type == 2) {
    const uint8_t* slice = nullptr;
    size_t length = 0;
    if (!reader.GetObjectStreamBytes(num, &slice, &length) || length == 0) {
      return out;
    }
    std::string head = std::to_string(num) + " 0 obj\r";
    out.reserve(head.size() + length + 8);
    out.insert(out.end(), head.begin(), head.end());
    out.insert(out.end(), slice, slice + length);
    if (!EndsCleanly(slice[length - 1])) {
      out.push_back('\n');
    }
    static const char kTail[] = "endobj\r";
    out.insert(out.end(), kTail, kTail + 7);
    if (info) {
      info->compressed = true;
    }
    return out;
  }
  const RawSpan span = LocateDirectObject(file, num, reader, table);
  if (span.length == 0) {
    return out;
  }
  if (span.bytes.empty()) {
    out.resize(static_cast<size_t>(span.length));
    out.resize(file.ReadAt(span.start, out.data(), out.size()));
  } else {
    out = span.bytes;
  }
  if (info) {
    info->object_stream = span.object_stream;
  }
  return out;
}

RawSpan LocateDirectObject(CPdfInputFile& file,
                           int32_t num,
                           CPdfXRef& reader,
                           const CPdfXRefTable& table) {
  RawSpan span;
  const XRefEntry* found = table.Find(num);
  if (!found || found->type != 1 || found->offset < 0) {
    return span;
  }
  const XRefEntry& entry = *found;
  span.start = static_cast<int64_t>(reader.GetHeaderOffset()) + entry.offset;
  // Most objects are small and plain: one short read finds them whole.
  std::vector<uint8_t> head(kFirstChunk);
  head.resize(file.ReadAt(span.start, head.data(), head.size()));
  const size_t hit = FindBytes(head.data(), 0, head.size(), "endobj", 6);
  if (hit != 0) {
    head.resize(std::min(head.size(), hit + 2));
    if (IsPlainObject(head, num, entry.generation)) {
      span.length = static_cast<int64_t>(head.size());
      span.bytes = std::move(head);
      return span;
    }
  }
  // Anything that might hide "endobj" (a stream body, a string, a comment), a long object or
  // an unusual header: parse the object to learn where it really ends.
  const DirectObjectInfo where = reader.LocateObject(num);
  if (!where.found) {
    return span;
  }
  const int64_t end = FindInFile(file, where.search_from, "endobj", 6);
  if (end == 0) {
    return span;
  }
  // Through "endobj" and the one byte after it, cut short by the end of the file.
  span.length = std::min(end + 2, file.Size()) - span.start;
  span.object_stream = where.object_stream;
  return span;
}
