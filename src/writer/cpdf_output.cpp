#include "writer/cpdf_output.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstring>

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "platform/input_file.h"
#include "streams/cpdf_input_file.h"

namespace {

// width digits of value with leading zeros, as "%0*d" writes it; false when it does not fit.
bool FormatDigits(char* out, int width, int64_t value) {
  int64_t v = value;
  for (int i = width - 1; i >= 0; --i) {
    out[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  return value >= 0 && v == 0;
}

// "%010d %05d n \r", written digit by digit: this runs once per object. A value that does not
// fit its digits would make a line of another length, which no reader could use.
void AppendInUseLine(int64_t offset, int32_t generation, std::string* block) {
  char line[20];
  if (!FormatDigits(line, 10, offset) || !FormatDigits(line + 11, 5, generation)) {
    throw CPdfException(kMsgDamaged);
  }
  line[10] = ' ';
  std::memcpy(line + 16, " n \r", 4);  // NOLINT(bugprone-not-null-terminated-result)
  block->append(line, 20);
}

}  // namespace

CPdfOutput::CPdfOutput() = default;

CPdfOutput::~CPdfOutput() = default;

void CPdfOutput::Create(const std::string& path) {
  if (!output_.Create(path)) {
    output_.Discard();
    throw CPdfException(kMsgOutputCreate);
  }
  output_file_ = output_.GetFile();
  // Written in large pieces: a write to the kernel per few kilobytes costs more than the copy.
  buffer_.resize(kBufferSize);
  if (std::setvbuf(output_file_, buffer_.data(), _IOFBF, buffer_.size()) != 0) {
    Discard();
    throw CPdfException(kMsgOutputCreate);
  }
  entries_.clear();
  position_ = 0;
  flush_started_ = 0;
}

void CPdfOutput::Finish() {
  // The table and trailer written last count too.
  (void)OutputPosition();
  FlushInputRange();
  output_file_ = nullptr;
  if (!output_.Commit()) {
    Discard();
    throw CPdfException(kMsgOutputWrite);
  }
}

void CPdfOutput::Discard() {
  pending_length_ = 0;
  output_file_ = nullptr;
  output_.Discard();
}

void CPdfOutput::WriteBytes(const void* bytes, size_t count) {
  FlushInputRange();
  if (count == 0) {
    return;
  }
  if (measuring_) {
    position_ += static_cast<int64_t>(count);
    return;
  }
  if (std::fwrite(bytes, 1, count, output_file_) != count) {
    throw CPdfException(kMsgOutputWrite);
  }
  position_ += static_cast<int64_t>(count);
  StartFlushNow();
}

void CPdfOutput::StartFlushNow() {
  if (position_ - flush_started_ >= kFlushEvery) {
    flush_started_ = position_;
    output_.StartFlush();
  }
}

void CPdfOutput::AppendInputRange(CPdfInputFile& input, int64_t offset, int64_t length) {
  if (length <= 0) {
    return;
  }
  if (pending_length_ > 0 &&
      (pending_input_ != &input || pending_offset_ + pending_length_ != offset)) {
    FlushInputRange();
  }
  if (pending_length_ == 0) {
    pending_input_ = &input;
    pending_offset_ = offset;
  }
  pending_length_ += length;
  position_ += length;
}

void CPdfOutput::FlushInputRange() {
  const int64_t length = pending_length_;
  if (length == 0) {
    return;
  }
  pending_length_ = 0;
  if (measuring_) {
    return;
  }
  if (length >= kCopyUnread) {
    if (!output_.AppendRange(pending_input_->GetFile(), pending_offset_, length)) {
      throw CPdfException(kMsgOutputWrite);
    }
    StartFlushNow();
    return;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  if (pending_input_->ReadAt(pending_offset_, bytes.data(), bytes.size()) != bytes.size() ||
      std::fwrite(bytes.data(), 1, bytes.size(), output_file_) != bytes.size()) {
    throw CPdfException(kMsgOutputWrite);
  }
}

void CPdfOutput::AppendFileNow(CPdfInputFile& input, int64_t length) {
  FlushInputRange();
  for (int64_t done = 0; done < length;) {
    const int64_t piece = std::min(length - done, kFlushEvery);
    if (!output_.AppendRange(input.GetFile(), done, piece)) {
      throw CPdfException(kMsgOutputWrite);
    }
    done += piece;
    position_ += piece;
    StartFlushNow();
  }
}

void CPdfOutput::SetMeasuring(bool measuring) {
  FlushInputRange();
  if (measuring && !measuring_) {
    // Measured as the full copy would stand, from the file's first byte: what comes before
    // (the input an update follows) does not count against its limit.
    measured_from_ = position_;
    position_ = 0;
  } else if (!measuring && measuring_) {
    entries_.clear();
    position_ = measured_from_;
  }
  measuring_ = measuring;
}

int64_t CPdfOutput::OutputPosition() const {
  // Offsets are written with ten digits; a larger output would be damaged.
  if (position_ > kMaxSize) {
    throw CPdfException(kMsgOutputTooLarge);
  }
  return position_;
}

void CPdfOutput::WriteFormat(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  // va_start above sets args; the analyzer does not see it through glibc's macro.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  int length = std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  if (length > 0) {
    WriteBytes(buffer, static_cast<size_t>(length) < sizeof(buffer) ? static_cast<size_t>(length)
                                                                    : sizeof(buffer) - 1);
  }
}

void CPdfOutput::WriteHeader(const std::string& version) {
  std::string header = "%" + version + "\r%\xE2\xE3\xCF\xD3\r\n";
  WriteBytes(header.data(), header.size());
}

void CPdfOutput::AddEntry(int32_t num, int32_t generation) {
  entries_.push_back(Entry(num, OutputPosition(), generation));
}

int32_t CPdfOutput::WriteXRefTable(int32_t size) {
  WriteBytes("xref\n", 5);
  // Members of object streams go out beside one another, not always in number order.
  const auto by_number = [](const Entry& a, const Entry& b) { return a.num < b.num; };
  if (!std::is_sorted(entries_.begin(), entries_.end(), by_number)) {
    std::sort(entries_.begin(), entries_.end(), by_number);
  }
  const size_t count = entries_.size();
  size_t k = 0;
  // Object 0 heads the list of free objects whatever the input held there.
  while (k < count && entries_[k].num <= 0) {
    ++k;
  }
  // Entries are gathered in blocks: one write per few thousand lines, not one per line.
  constexpr size_t kEntriesPerBlock = 4096;
  std::string block;
  block.reserve(kEntriesPerBlock * 20);
  int32_t first = 0;
  for (;;) {
    int32_t last = first;
    size_t next = k;
    while (next < count && entries_[next].num - last - 1 <= kMaxFreeRun) {
      last = entries_[next++].num;
    }
    int64_t end = static_cast<int64_t>(last) + 1;
    if (next == count && size - end <= kMaxFreeRun) {
      end = std::max<int64_t>(end, size);
    }
    char header[32];
    const int header_length =
        std::snprintf(header, sizeof(header), "%d %ld\r", first, static_cast<long>(end - first));
    block.append(header, static_cast<size_t>(header_length));
    for (int64_t n = first; n < end; ++n) {
      if (n == 0) {
        block.append("0000000000 65535 f \r");
      } else if (k < next && entries_[k].num == n) {
        AppendInUseLine(entries_[k].Offset(), entries_[k].Generation(), &block);
        ++k;
      } else {
        block.append("0000000000 00000 f \r");
      }
      if (block.size() >= kEntriesPerBlock * 20) {
        WriteBytes(block.data(), block.size());
        block.clear();
      }
    }
    if (next == count) {
      // /Size says where the table ends: numbers past it, free in the input, are no objects.
      size = static_cast<int32_t>(end);
      break;
    }
    first = entries_[next].num;
  }
  WriteBytes(block.data(), block.size());
  return size;
}

void CPdfOutput::WriteTrailer(int32_t size,
                              int64_t xref_offset,
                              const std::map<std::string, std::string>& entries) {
  WriteFormat("trailer\n<<\n/Size %d\n", size);
  for (const auto& [key, value] : entries) {
    std::string line = "/";
    line.append(key).append(" ").append(value).append("\n");
    WriteBytes(line.data(), line.size());
  }
  WriteFormat(">>\nstartxref\n%" PRId64 "\n%%%%EOF", xref_offset);
}
