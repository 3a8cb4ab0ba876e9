#ifndef QUILLTURN_SRC_APP_PAGE_SELECTION_H_
#define QUILLTURN_SRC_APP_PAGE_SELECTION_H_

#include <cstdint>
#include <string>
#include <vector>

// How a page shows in a viewer: wider than tall, taller than wide, or neither (square, or no
// usable box).
enum class PageShape : uint8_t { kNone, kWide, kTall };

// One page met by the page-tree walk, in document order.
struct PageRecord {
  int32_t object_number = -1;  // -1 for a page written directly inside its parent's /Kids
  int32_t rotation = 0;        // the page's own or inherited /Rotate, as the walk found it
  int32_t angle = 0;           // for a chosen page, the /Rotate it is written with
  bool selected = false;
  PageShape shape = PageShape::kNone;
};

struct SelectionOptions {
  int32_t angle = 0;
  bool landscape = false;
  bool portrait = false;
  std::string page_list;
  bool turn = false;  // the angle is added to each page's rotation (/t) instead of set (/r)
  bool wide = false;
  bool tall = false;
};

// Marks the chosen records: by orientation when a flag is set, else by the page list (against
// page_count pages), else every page; -wide and -tall then keep only the pages of their shape.
// Each chosen record gets the angle it is written with: the option's, or its rotation turned by
// the option's.
void SelectPages(const SelectionOptions& options,
                 int32_t page_count,
                 std::vector<PageRecord>& records);

// Marks the pages of a list such as "1,4,10-20", "5-z", "r2" or "1-z:even" against page_count
// pages; throws the list's messages.
void ParsePageList(const std::string& list, int32_t page_count, std::vector<PageRecord>& records);

// rotation + degree brought into 0..359.
int32_t TurnedRotation(int32_t rotation, int32_t degree);

// The shape of a box of width by height shown at rotation (sides swap at 90 and 270, whatever
// multiple of 360 is added); a box of 0 by 0 is none.
PageShape ShownShape(double width, double height, int32_t rotation);

#endif  // QUILLTURN_SRC_APP_PAGE_SELECTION_H_
