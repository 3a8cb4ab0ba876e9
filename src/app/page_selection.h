#ifndef QUILLTURN_SRC_APP_PAGE_SELECTION_H_
#define QUILLTURN_SRC_APP_PAGE_SELECTION_H_

#include <cstdint>
#include <string>
#include <vector>

// One page met by the page-tree walk, in document order.
struct PageRecord {
  int32_t object_number = -1;  // -1 for a page written directly inside its parent's /Kids
  int32_t rotation = 0;
  bool selected = false;
};

struct SelectionOptions {
  int32_t angle = 0;
  bool landscape = false;
  bool portrait = false;
  std::string page_list;
};

// Marks the chosen records with the angle: by orientation when a flag is set, else by the page
// list (against page_count pages), else every page.
void SelectPages(const SelectionOptions& options,
                 int32_t page_count,
                 std::vector<PageRecord>& records);

// Applies a list such as "1,4,10-20" against page_count pages; throws the list's messages.
void ParsePageList(const std::string& list,
                   int32_t page_count,
                   int32_t angle,
                   std::vector<PageRecord>& records);

#endif  // QUILLTURN_SRC_APP_PAGE_SELECTION_H_
