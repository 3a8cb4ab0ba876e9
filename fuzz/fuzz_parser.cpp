// The tokenizer and parser over arbitrary bytes: from memory, where every value parsed must
// read back the same from the syntax it is written back as, and through a file window so that
// stream bodies, /Length and the filters are reached too.
#include "fuzz_support.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_parser.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_memory_stream.h"
#include "value_text.h"

namespace {

void ExpectReadsBack(const CPdfObject& value) {
  if (!Writable(value)) {
    return;
  }
  const std::string text = ValueText(value);
  CPdfParser parser(
      nullptr, new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  CPdfObject again;
  parser.ParseObject(again);
  CPdfObject end;
  parser.ParseObject(end);
  if (!SameValue(value, again) || !end.IsKind(PDF_EOF)) {
    std::fprintf(stderr, "%s\n", text.c_str());
    Violated("a parsed value reads back differently from its own syntax");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RunGuarded([&] {
    CPdfParser parser(nullptr, new CPdfMemoryStream(data, size));
    for (int i = 0; i < 10000; ++i) {
      CPdfObject value;
      parser.ParseObject(value);
      if (value.IsKind(PDF_EOF)) {
        break;
      }
      ExpectReadsBack(value);
    }
  });
  RunGuarded([&] {
    MemoryFile file(data, size);
    CPdfParser parser(nullptr, CPdfFileStream::Create(file.Input(), 0, 0));
    for (int i = 0; i < 10000; ++i) {
      CPdfObject value;
      parser.ParseObject(value);
      if (value.IsKind(PDF_EOF)) {
        break;
      }
      if (value.IsKind(PDF_STREAM)) {
        uint8_t chunk[4096];
        size_t total = 0;
        for (size_t got; (got = value.GetStream()->ReadBytes(chunk, sizeof(chunk))) > 0;) {
          total += got;
          if (total > (64u << 20)) {
            break;  // a decoded body is bounded by whoever reads it
          }
        }
      }
    }
  });
  return 0;
}
