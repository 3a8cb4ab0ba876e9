// One cross-reference stream section whose /Size, /W and /Index come from the input; the rest
// of the input is its data (Flate-compressed when flag bit 0 is set). With bit 2 an ASCII filter
// comes first: ASCIIHex over the compressed data, or, uncompressed, the input itself read as
// ASCIIHex or (bit 3) ASCII85 text, well formed or not. Sizes the format allows
// are folded below 512: a table of millions of entries costs a run a hundred megabytes and says
// nothing new after the first. Negative sizes and sizes past the format's limit stay as they
// are, since they must be refused before anything is allocated.
#include <zlib.h>

#include "fuzz_support.h"
#include "objects/cpdf_object.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_xref.h"
#include "streams/cpdf_file_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t flags = ReadByte(data, size);
  auto sized = [](int32_t v) { return v < 0 || v > CPdfXRef::kMaxObjects ? v : v % 512; };
  const int32_t entries = sized(ReadInt32(data, size));
  const int w[3] = {static_cast<int8_t>(ReadByte(data, size)),
                    static_cast<int8_t>(ReadByte(data, size)),
                    static_cast<int8_t>(ReadByte(data, size))};
  std::string index;
  const int pairs = ReadByte(data, size) % 5;
  for (int i = 0; i < 2 * pairs; ++i) {
    index += std::to_string(sized(ReadInt32(data, size))) + " ";
  }
  std::string body(reinterpret_cast<const char*>(data), size);
  std::string filter;
  if (flags & 1) {
    uLongf out_size = compressBound(static_cast<uLong>(body.size()));
    std::string packed(out_size, '\0');
    compress(reinterpret_cast<Bytef*>(&packed[0]), &out_size,
             reinterpret_cast<const Bytef*>(body.data()), static_cast<uLong>(body.size()));
    packed.resize(out_size);
    body = packed;
    filter = " /Filter /FlateDecode";
    if (flags & 2) {
      filter += " /DecodeParms << /Predictor 12 /Columns " +
                std::to_string(std::abs(w[0]) + std::abs(w[1]) + std::abs(w[2])) + " >>";
    }
  }
  if (flags & 4) {
    if (flags & 1) {
      std::string hex;
      for (const char c : body) {
        hex += "0123456789abcdef"[static_cast<uint8_t>(c) >> 4];
        hex += "0123456789abcdef"[static_cast<uint8_t>(c) & 15];
      }
      body = hex + ">";
      const size_t parms = filter.find(" /DecodeParms ");
      filter = parms == std::string::npos
                   ? " /Filter [/AHx /Fl]"
                   : " /Filter [/AHx /Fl] /DecodeParms [null " + filter.substr(parms + 14) + "]";
    } else {
      filter = flags & 8 ? " /Filter /ASCII85Decode" : " /Filter /ASCIIHexDecode";
    }
  }
  const std::string file = "%PDF-1.5\n9 0 obj\n<< /Type /XRef /Size " + std::to_string(entries) +
                           " /W [" + std::to_string(w[0]) + " " + std::to_string(w[1]) + " " +
                           std::to_string(w[2]) + "]" +
                           (pairs ? " /Index [" + index + "]" : std::string()) + filter +
                           " /Root 1 0 R /Length " + std::to_string(body.size()) + " >>\nstream\n" +
                           body + "\nendstream\nendobj\nstartxref\n9\n%%EOF\n";
  RunGuarded([&] {
    MemoryFile memory(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    CPdfStream* whole = CPdfFileStream::Create(memory.Input(), 0, 0);
    struct Releaser {
      CPdfStream* s;
      ~Releaser() { s->Release(); }
    } releaser{whole};
    CPdfXRef xref;
    xref.Load(whole);
    CPdfFetcher fetcher(whole, memory.Input(), xref);
    fetcher.BuildMap();
    const int32_t n = xref.GetTable().GetSize() < 64 ? xref.GetTable().GetSize() : 64;
    for (int32_t i = 0; i < n; ++i) {
      CPdfObject value;
      fetcher.GetObject(static_cast<int32_t>(i), 0, value);
    }
  });
  return 0;
}
