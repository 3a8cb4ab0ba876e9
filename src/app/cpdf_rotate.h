#ifndef QUILLTURN_SRC_APP_CPDF_ROTATE_H_
#define QUILLTURN_SRC_APP_CPDF_ROTATE_H_

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/cpdf_page_update.h"
#include "app/cpdf_rotate_spots_store.h"
#include "app/page_selection.h"
#include "document/cpdf_document.h"
#include "platform/input_file.h"
#include "reader/cpdf_copy_plan.h"
#include "reader/cpdf_fetcher.h"
#include "writer/cpdf_output.h"

struct RawObjectInfo;

class CPdfInputFile;

// The rotation job: copies every object of the input as raw bytes, patching /Rotate in the
// selected pages, and ends the output with a fresh cross-reference table and trailer. The input
// is opened once: the document reads it and the output copies ranges of it. The output reaches
// its path only when the whole job has succeeded, and only if the input did not change meanwhile.
class CPdfRotate {
 public:
  explicit CPdfRotate(CommandLine command_line);
  CPdfRotate(const CPdfRotate&) = delete;
  CPdfRotate& operator=(const CPdfRotate&) = delete;
  ~CPdfRotate();

  // The largest generation a line of the output's table can hold.
  static constexpr int32_t kMaxGeneration = 99999;

  // Throws the message of a failure, leaving no output behind.
  void Run();

 private:
  void RunSteps();
  // The full copy: every object, then a fresh table and trailer.
  void WriteCopy();
  // -incremental: the copy's checks without its writes, then the input and the update.
  void WriteUpdate();
  void ListPages();
  // Throws "Input file open error" when the input is not a regular file that can be read.
  void OpenInput();
  void SelectPages();
  // Every object, in the order the plan gives them.
  void CopyObjects(CPdfCopyPlan& plan);
  void CopyDirect(int32_t n);
  void CopyMember(int32_t n);
  const PageRecord* RecordOf(int32_t n) const;
  // A line of the output's table for an object written with its own header.
  void NoteObject(int32_t n, int32_t generation);
  void WriteObject(int32_t n,
                   const std::vector<uint8_t>& bytes,
                   const PageRecord* record,
                   const RawObjectInfo& info);

  const CommandLine command_line_;
  std::unique_ptr<CPdfInputFile> input_;  // Outlives the document and the output, which read it.
  FileStamp input_stamp_;
  CPdfRotateSpotsStore spots_;  // of the input's dictionaries, as the reader steps over them
  CPdfDocument document_;
  CPdfOutput output_;
  const CPdfXRefTable* table_ = nullptr;  // Borrowed from the reader.
  CPdfFetcher* reader_ = nullptr;         // Borrowed from the document.
  std::vector<PageRecord> records_;
  std::vector<std::pair<int32_t, uint32_t>> record_index_;  // (object number, record) by number
  mutable size_t next_record_ = 0;                        // past RecordOf's last answer
  CPdfPageUpdate update_;                                 // with -incremental
  bool members_from_headers_ = false;  // a member its stream did not give was copied
};

#endif  // QUILLTURN_SRC_APP_CPDF_ROTATE_H_
