#include "app/page_selection.h"

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

namespace {

void SelectOne(std::vector<PageRecord>& records, int32_t page, int32_t angle) {
  PageRecord& record = records[static_cast<size_t>(page - 1)];
  record.rotation = angle;
  record.selected = true;
}

// Digits that do not fit in 32 bits saturate, so they fail the check against the page count.
int32_t ReadItem(const std::string& list, size_t begin, size_t end) {
  int64_t value = 0;
  for (size_t i = begin; i < end; ++i) {
    value = value * 10 + (list[i] - '0');
    if (value > INT32_MAX) {
      value = INT32_MAX;
    }
  }
  return static_cast<int32_t>(value);
}

}  // namespace

void ParsePageList(const std::string& list,
                   int32_t page_count,
                   int32_t angle,
                   std::vector<PageRecord>& records) {
  if (list.find_first_not_of("0123456789-,") != std::string::npos) {
    throw CPdfException(kMsgInvalidParameter);
  }
  // A count that promises more pages than the walk found must not reach past the records.
  const int32_t records_count = static_cast<int32_t>(records.size());
  size_t pos = 0;
  bool range_open = false;
  int32_t range_start = 0;
  for (;;) {
    size_t sep = list.find_first_of("-,", pos);
    size_t end = sep == std::string::npos ? list.size() : sep;
    if (end == pos) {
      throw CPdfException(kMsgInvalidParameter);
    }
    const int32_t v = ReadItem(list, pos, end);
    const bool dash_after = sep != std::string::npos && list[sep] == '-';
    if (v == 0) {
      ThrowPdfFormat(QT_MSG_INVALID_PAGE, v);
    }
    if (range_open) {
      if (dash_after) {
        throw CPdfException(kMsgInvalidParameter);
      }
      if (v > page_count) {
        ThrowPdfFormat(QT_MSG_RANGE_GREATER, v, page_count);
      }
      if (range_start > v) {
        ThrowPdfFormat(QT_MSG_RANGE_ORDER, range_start, v);
      }
      if (v > records_count) {
        ThrowPdfFormat(QT_MSG_RANGE_GREATER, v, records_count);
      }
      for (int32_t p = range_start; p <= v; ++p) {
        SelectOne(records, p, angle);
      }
      range_open = false;
    } else if (dash_after) {
      range_open = true;
      range_start = v;
    } else {
      if (v > page_count) {
        ThrowPdfFormat(QT_MSG_PAGE_GREATER, v, page_count);
      }
      if (v > records_count) {
        ThrowPdfFormat(QT_MSG_PAGE_GREATER, v, records_count);
      }
      SelectOne(records, v, angle);
    }
    if (sep == std::string::npos) {
      break;
    }
    pos = sep + 1;
  }
}

void SelectPages(const SelectionOptions& options,
                 int32_t page_count,
                 std::vector<PageRecord>& records) {
  if (options.landscape || options.portrait) {
    for (PageRecord& record : records) {
      const int32_t r = record.rotation;
      if ((options.landscape && (r == 90 || r == 270)) ||
          (options.portrait && (r == 0 || r == 180))) {
        record.rotation = options.angle;
        record.selected = true;
      }
    }
    return;
  }
  if (!options.page_list.empty()) {
    ParsePageList(options.page_list, page_count, options.angle, records);
    return;
  }
  for (PageRecord& record : records) {
    record.rotation = options.angle;
    record.selected = true;
  }
}
