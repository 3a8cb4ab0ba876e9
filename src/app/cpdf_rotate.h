#ifndef QUILLTURN_SRC_APP_CPDF_ROTATE_H_
#define QUILLTURN_SRC_APP_CPDF_ROTATE_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/page_selection.h"
#include "document/cpdf_document.h"
#include "reader/cpdf_fetcher.h"
#include "writer/cpdf_file.h"

// The rotation job: copies every object of the input as raw bytes, patching /Rotate in the
// selected pages, and ends the output with a fresh cross-reference table and trailer.
class CPdfRotate : public CPdfFile {
 public:
  CPdfRotate();
  ~CPdfRotate() override;

  // The largest generation a line of the output's table can hold.
  static constexpr int32_t kMaxGeneration = 99999;

  bool ParseParams(int argc, char** argv) override;
  bool Run() override;

  int32_t GetAngle() const { return options_.angle; }
  bool IsLandscape() const { return options_.landscape; }
  bool IsPortrait() const { return options_.portrait; }
  const std::string& GetPageList() const { return options_.page_list; }

 private:
  void RunSteps();
  void SelectPages();
  int32_t CountPages();
  using Member = std::pair<int32_t, int32_t>;  // (object stream, member)
  using MemberIt = std::vector<Member>::const_iterator;
  void CopyObjects();
  const PageRecord* RecordOf(int32_t n) const;
  std::pair<MemberIt, MemberIt> MembersOf(int32_t stream) const;
  void FindInterleavedStreams();
  void CopyMembers(const Member* begin, const Member* end);
  void NoteObject(int32_t n, const XRefEntry& entry);
  void WriteObject(const std::vector<uint8_t>& bytes, const PageRecord* record);
  void CheckEncryption() const;

  const CPdfXRefTable* table_ = nullptr;  // Borrowed from the reader.
  CPdfDocument document_;
  CPdfFetcher* reader_ = nullptr;  // Borrowed from the document.
  int32_t page_count_ = 0;
  SelectionOptions options_;
  std::vector<PageRecord> records_;
  std::vector<std::pair<int32_t, size_t>> record_index_;  // (object number, record) by number
  std::vector<Member> members_;                           // by stream, then number
  std::vector<int32_t> interleaved_;  // streams whose members' numbers overlap another's
};

// The program: prints the banner without arguments, else runs one job. Always returns 0; a
// failure shows as its one line of text.
int RunQuillturn(int argc, char** argv);
void PrintUsage();

#endif  // QUILLTURN_SRC_APP_CPDF_ROTATE_H_
