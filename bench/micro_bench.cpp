// Micro-benchmarks of the hot paths: the tokenizer over a page-tree-heavy file, Flate with
// the PNG predictor against plain zlib, and the whole copy loop.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/cpdf_rotate.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_parser.h"
#include "pdf_builder.h"
#include "streams/cpdf_file_stream.h"
#include "streams/cpdf_flate_stream.h"
#include "streams/cpdf_input_file.h"
#include "streams/cpdf_memory_stream.h"

namespace {

// A file of many small page dictionaries, as the page tree of a long document looks.
std::string PageTreeText(int pages) {
  std::string text;
  for (int p = 0; p < pages; ++p) {
    text += std::to_string(p + 3) +
            " 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]"
            " /Resources << /Font << /F1 5 0 R >> >> /Contents " +
            std::to_string(p + 9000) + " 0 R /Rotate 90 >>\nendobj\n";
  }
  return text;
}

void BM_Tokenizer(benchmark::State& state) {
  const std::string text = PageTreeText(2000);
  for (auto _ : state) {
    CPdfParser parser(
        nullptr, new CPdfMemoryStream(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    for (;;) {
      CPdfObject value;
      parser.ParseObject(value);
      if (value.IsKind(PDF_EOF)) {
        break;
      }
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Tokenizer);

// Cross-reference rows (7 bytes) with PNG Up filtering, compressed.
std::string XRefRows(int rows, bool png) {
  std::string data;
  std::string prev(7, '\0');
  for (int r = 0; r < rows; ++r) {
    std::string row(7, '\0');
    row[0] = 1;
    row[3] = static_cast<char>(r >> 8);
    row[4] = static_cast<char>(r);
    if (png) {
      data += '\x02';
      for (int k = 0; k < 7; ++k) {
        data += static_cast<char>(row[k] - prev[k]);
      }
    } else {
      data += row;
    }
    prev = row;
  }
  return Deflate(data);
}

void BM_FlatePngPredictor(benchmark::State& state) {
  const std::string body = XRefRows(100000, true);
  std::FILE* f = std::tmpfile();
  std::fwrite(body.data(), 1, body.size(), f);
  CPdfInputFile input(f);
  size_t out = 0;
  for (auto _ : state) {
    CPdfStream* window = CPdfFileStream::Create(&input, 0, static_cast<uint32_t>(body.size()));
    CPdfStream* flate = new CPdfFlateStream(window, 12, 7, 1, 8);
    uint8_t chunk[4096];
    out = 0;
    for (size_t got; (got = flate->ReadBytes(chunk, sizeof(chunk))) > 0;) {
      out += got;
    }
    flate->Release();
  }
  std::fclose(f);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out));
}
BENCHMARK(BM_FlatePngPredictor);

void BM_PlainZlibInflate(benchmark::State& state) {
  const std::string body = XRefRows(100000, true);
  std::vector<uint8_t> out(800000 + 1024);
  uLongf size = 0;
  for (auto _ : state) {
    size = static_cast<uLongf>(out.size());
    uncompress(out.data(), &size, reinterpret_cast<const Bytef*>(body.data()),
               static_cast<uLong>(body.size()));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}
BENCHMARK(BM_PlainZlibInflate);

void BM_CopyLoop(benchmark::State& state) {
  PdfBuilder b;
  b.Header().Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  const int pages = static_cast<int>(state.range(0));
  for (int p = 0; p < pages; ++p) {
    kids += std::to_string(3 + p) + " 0 R ";
  }
  b.Object(2, "<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [" + kids + "] >>");
  for (int p = 0; p < pages; ++p) {
    b.Object(3 + p, "<< /Type /Page /Parent 2 0 R /Resources << >> /Contents " +
                        std::to_string(3 + pages + p) + " 0 R >>");
  }
  for (int p = 0; p < pages; ++p) {
    b.Stream(3 + pages + p, "", "BT /F1 12 Tf (page) Tj ET");
  }
  b.XRefTable("/Root 1 0 R");
  const std::string in = "/tmp/quillturn-bench-in.pdf";
  const std::string out = "/tmp/quillturn-bench-out.pdf";
  std::FILE* f = std::fopen(in.c_str(), "wb");
  std::fwrite(b.Bytes().data(), 1, b.Bytes().size(), f);
  std::fclose(f);
  for (auto _ : state) {
    std::string args[] = {"Quillturn", in, out, "/r90"};
    char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0]};
    CPdfRotate job(ParseCommandLine(4, argv));
    job.Run();
  }
  std::remove(in.c_str());
  std::remove(out.c_str());
  state.SetItemsProcessed(state.iterations() * pages);
}
BENCHMARK(BM_CopyLoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
