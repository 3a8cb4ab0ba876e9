#include "reader/raw_object.h"

#include <cstring>
#include <string>

namespace {

constexpr size_t kFirstChunk = 4096;
constexpr size_t kLargestChunk = 64 * 1024;

bool EndsCleanly(uint8_t c) {
  // White space or a delimiter: "endobj" can follow without merging into the last token.
  return std::strchr(" \t\r\n\f()<>[]{}/%", c) != nullptr || c == 0;
}

}  // namespace

size_t FindBytes(const uint8_t* buffer, size_t start, size_t end, const char* pattern, size_t n) {
  if (n == 0 || end < n || start > end - n) {
    return 0;
  }
  const uint8_t* first = buffer + start;
  const uint8_t* last = buffer + end - n;
  while (first <= last) {
    const void* hit =
        std::memchr(first, static_cast<uint8_t>(pattern[0]), static_cast<size_t>(last - first) + 1);
    if (!hit) {
      return 0;
    }
    const uint8_t* p = static_cast<const uint8_t*>(hit);
    if (std::memcmp(p, pattern, n) == 0) {
      return static_cast<size_t>(p - buffer) + n - 1;
    }
    first = p + 1;
  }
  return 0;
}

int64_t FindInFile(FILE* file, int64_t start, const char* pattern, size_t n) {
  // Reads grow from a small first piece, since most objects end soon after they start;
  // consecutive pieces overlap by n - 1 bytes so no occurrence straddles two unseen.
  std::vector<uint8_t> buffer(kFirstChunk);
  size_t chunk = kFirstChunk;
  int64_t pos = start;
  for (;;) {
    if (std::fseek(file, static_cast<long>(pos), SEEK_SET) != 0) {
      return 0;
    }
    size_t got = std::fread(buffer.data(), 1, chunk, file);
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

std::vector<uint8_t> ExtractObject(FILE* file,
                                   int32_t num,
                                   CPdfXRef& reader,
                                   const std::vector<XRefEntry>& table,
                                   RawObjectInfo* info) {
  std::vector<uint8_t> out;
  if (num < 0 || static_cast<size_t>(num) >= table.size()) {
    return out;
  }
  const XRefEntry& entry = table[static_cast<size_t>(num)];
  if (entry.type == 0) {
    return out;
  }
  if (entry.type == 2) {
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
  DirectObjectInfo where = reader.LocateObject(num);
  if (!where.found) {
    return out;
  }
  int64_t end = FindInFile(file, where.search_from, "endobj", 6);
  if (end == 0) {
    return out;
  }
  // Through "endobj" and the one byte after it, cut short by the end of the file.
  size_t length = static_cast<size_t>(end + 2 - where.start);
  out.resize(length);
  if (std::fseek(file, static_cast<long>(where.start), SEEK_SET) != 0) {
    out.clear();
    return out;
  }
  out.resize(std::fread(out.data(), 1, length, file));
  if (info) {
    info->object_stream = where.object_stream;
  }
  return out;
}

int32_t ReadNumberAfter(const uint8_t* buffer, size_t length, const char* key, bool* is_reference) {
  *is_reference = false;
  size_t i = FindBytes(buffer, 0, length, key, std::strlen(key));
  if (i == 0) {
    return 0;
  }
  while (i < length && (buffer[i] < '0' || buffer[i] > '9')) {
    ++i;
  }
  if (i >= length) {
    return 0;
  }
  // Saturates instead of overflowing; no real count comes near it.
  int64_t value = 0;
  while (i < length && buffer[i] >= '0' && buffer[i] <= '9') {
    value = value * 10 + (buffer[i] - '0');
    if (value > INT32_MAX) {
      value = INT32_MAX;
    }
    ++i;
  }
  if (i + 4 <= length && std::memcmp(buffer + i, " 0 R", 4) == 0) {
    *is_reference = true;
  }
  return static_cast<int32_t>(value);
}
