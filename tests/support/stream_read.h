#ifndef QUILLTURN_TESTS_SUPPORT_STREAM_READ_H_
#define QUILLTURN_TESTS_SUPPORT_STREAM_READ_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "open_pdf.h"
#include "streams/cpdf_file_stream.h"

// bytes in a scratch file, read back as the reader reads a stream's body from its file.
struct BodyFile {
  explicit BodyFile(const std::string& bytes)
      : file(InputOf(bytes)),
        stream(CPdfFileStream::Create(file.get(), 0, static_cast<PdfOffset>(bytes.size()))) {}
  std::unique_ptr<CPdfInputFile> file;  // outlives the stream, which reads it
  CPdfStream* stream;                   // the caller's, to decode through and release
};

// Up to most bytes of stream: one at a time (run 0), or in runs of run bytes. Either way the
// stream must give the same bytes.
inline std::string ReadStream(CPdfStream* stream, size_t run, size_t most = SIZE_MAX) {
  std::string out;
  std::vector<uint8_t> piece(run > 0 ? run : 1);
  while (out.size() < most) {
    const int32_t ch = run > 0 ? 0 : stream->GetChar();
    const size_t n = run > 0 ? stream->ReadBytes(piece.data(), run) : ch < 0 ? 0 : 1;
    if (n == 0) {
      break;
    }
    piece[0] = run > 0 ? piece[0] : static_cast<uint8_t>(ch);
    out.append(reinterpret_cast<const char*>(piece.data()), n);
  }
  return out;
}

#endif  // QUILLTURN_TESTS_SUPPORT_STREAM_READ_H_
