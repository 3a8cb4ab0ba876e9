#include "app/cpdf_page_update.h"

#include <algorithm>
#include <string>
#include <utility>

#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"
#include "reader/cpdf_raw_trailer.h"
#include "streams/cpdf_input_file.h"
#include "writer/cpdf_output.h"
#include "writer/cpdf_update_section.h"

bool CPdfPageUpdate::ShowsAlike(int32_t from, int32_t to) {
  if (from == to) {
    return true;
  }
  const auto turn = [](int32_t a) { return ((int64_t{a} % 360) + 360) % 360; };
  return from % 90 == 0 && to % 90 == 0 && turn(from) == turn(to);
}

void CPdfPageUpdate::FindChanges(const std::vector<PageRecord>& records, bool encrypted) {
  encrypted_ = encrypted;
  changed_.clear();
  pages_.clear();
  for (size_t k = 0; k < records.size(); ++k) {
    // A page object reached at several places changes when any chosen place shows another angle.
    if (records[k].selected && !ShowsAlike(records[k].rotation, records[k].angle)) {
      changed_.push_back(records[k].object_number);
    }
  }
  std::sort(changed_.begin(), changed_.end());
  changed_.erase(std::unique(changed_.begin(), changed_.end()), changed_.end());
}

bool CPdfPageUpdate::Changes(int32_t num) const {
  return std::binary_search(changed_.begin(), changed_.end(), num);
}

void CPdfPageUpdate::Keep(int32_t num,
                          int32_t generation,
                          bool compressed,
                          std::vector<uint8_t> bytes) {
  if (compressed && encrypted_) {
    throw CPdfException(kMsgEncryptedObjStm);
  }
  pages_.push_back(Page{num, compressed ? 0 : generation, std::move(bytes)});
}

void CPdfPageUpdate::ReadTrailer(const CPdfFetcher& reader, CPdfStream* file) {
  const CPdfXRef& xref = reader.GetXRef();
  trailer_ = CPdfUpdateSection::Trailer{};
  bool root = false;
  for (CPdfRawTrailer::Entry& e : CPdfRawTrailer::ReadAll(file, xref.GetTrailerPosition())) {
    root = root || e.name == "Root";
    trailer_.entries.emplace_back(std::move(e.name), e.key + " " + e.value);
  }
  if (!root) {
    throw CPdfException(kMsgDamaged);
  }
  CPdfObject old_size;
  xref.GetTrailer().GetDict()->LookupRaw("Size", old_size);
  trailer_.size = xref.GetTable().GetSize();
  if (old_size.IsKind(PDF_INT) && old_size.GetInt() > trailer_.size &&
      old_size.GetInt() <= CPdfXRef::kMaxObjects) {
    trailer_.size = static_cast<int32_t>(old_size.GetInt());
  }
  trailer_.prev = xref.GetStartXRef();
}

void CPdfPageUpdate::Write(CPdfInputFile& input, const CPdfFetcher& reader, CPdfOutput& output) {
  const CPdfXRef& xref = reader.GetXRef();
  const int64_t size = input.Size();
  if (pages_.empty()) {
    return;
  }
  // A last line without its end would join the first header appended to it.
  uint8_t last = 0;
  if (input.ReadAt(size - 1, &last, 1) != 1 || (last != '\n' && last != '\r')) {
    output.WriteBytes("\n", 1);
  }
  // The copy gives the members of an object stream together, not always in number order.
  std::sort(pages_.begin(), pages_.end(),
            [](const Page& a, const Page& b) { return a.num < b.num; });
  const int64_t origin = xref.GetHeaderOffset();
  std::vector<CPdfUpdateSection::Entry> entries;
  for (const Page& page : pages_) {
    entries.push_back(
        CPdfUpdateSection::Entry{page.num, output.OutputPosition() - origin, page.generation});
    output.WriteBytes(page.bytes.data(), page.bytes.size());
  }
  const int64_t at = output.OutputPosition() - origin;
  const std::string section = xref.NewestIsStream()
                                  ? CPdfUpdateSection::Stream(entries, trailer_, at)
                                  : CPdfUpdateSection::Table(entries, trailer_, at);
  output.WriteBytes(section.data(), section.size());
  // The section's own end lies past the last offset checked above.
  (void)output.OutputPosition();
}
