#include "reader/cpdf_raw_trailer.h"

#include <algorithm>
#include <set>

#include "objects/cpdf_exception.h"
#include "objects/cpdf_lexer.h"
#include "objects/cpdf_object.h"
#include "objects/cpdf_ref_ptr.h"
#include "objects/pdf_messages.h"
#include "streams/cpdf_stream.h"
#include "streams/pdf_stream_source.h"

std::map<std::string, std::string> CPdfRawTrailer::Read(CPdfStream* file,
                                                        int64_t position,
                                                        const std::vector<std::string>& keys) {
  // Keys of a few bytes only, since the longest wanted key takes three bytes a letter when
  // written all in escapes.
  size_t longest = 0;
  for (const std::string& k : keys) {
    longest = std::max(longest, 3 * k.size());
  }
  const auto wanted = [&keys](const std::string& name) {
    return std::find(keys.begin(), keys.end(), name) != keys.end();
  };
  std::map<std::string, std::string> values;
  for (Entry& e : Entries(file, position, longest + 1, wanted)) {
    if (wanted(e.name)) {
      values[e.name] = std::move(e.value);
    }
  }
  return values;
}

std::vector<CPdfRawTrailer::Entry> CPdfRawTrailer::ReadAll(CPdfStream* file, int64_t position) {
  return Entries(file, position, SIZE_MAX, [](const std::string&) { return true; });
}

std::vector<CPdfRawTrailer::Entry> CPdfRawTrailer::Entries(
    CPdfStream* file,
    int64_t position,
    size_t longest,
    const std::function<bool(const std::string&)>& wanted) {
  std::vector<Entry> found;
  // From a classic table's "trailer" on, else the section: a cross-reference stream's first
  // "<<" opens its dictionary.
  if (position < 0) {
    return found;
  }
  const CPdfRefPtr<CPdfStream> window =
      CPdfRefPtr<CPdfStream>::Adopt(file->CreateSubStream(static_cast<PdfOffset>(position), 0));
  if (!window) {
    return found;
  }
  CPdfLexer<PdfStreamSource> lexer{
      PdfStreamSource(window.Get(), PdfStreamSource::Positions::kTold)};
  for (PdfToken t = lexer.Next(); t.kind != PdfTokenKind::kDictOpen; t = lexer.Next()) {
    if (t.kind == PdfTokenKind::kEnd) {
      return found;
    }
  }
  // Where each entry stands, read back once the dictionary is passed.
  std::vector<PdfDictEntry> entries;
  PdfDictEntry entry;
  while (lexer.NextDictEntry(&entry)) {
    if (entry.key.end - entry.key.begin <= longest && entry.value_end > entry.value_begin) {
      entries.push_back(entry);
    }
  }
  auto read = [&window](uint64_t begin, uint64_t end) {
    std::string bytes(static_cast<size_t>(end - begin), '\0');
    window->Seek(begin, 0);
    bytes.resize(window->ReadBytes(reinterpret_cast<uint8_t*>(&bytes[0]), bytes.size()));
    return bytes;
  };
  std::set<std::string> seen;
  for (const PdfDictEntry& e : entries) {
    const std::string name = read(e.key.begin + 1, e.key.end);
    std::string key = DecodePdfName(reinterpret_cast<const uint8_t*>(name.data()), name.size());
    if (!wanted(key) || !seen.insert(key).second) {
      continue;
    }
    // A value left open (an /ID array that "startxref" cuts off) cannot be written as it
    // stands: it would swallow what the copy writes after it.
    if (!e.whole) {
      throw CPdfException(kMsgDamaged);
    }
    found.push_back(Entry{std::move(key), "/" + name, read(e.value_begin, e.value_end)});
  }
  return found;
}
