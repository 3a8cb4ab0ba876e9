#include "app/page_selection.h"

#include <utility>

#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"

namespace {

enum class Parity : uint8_t { kAll, kOdd, kEven };

// One item of a page list, or a range's start or end: its page resolved against the count.
struct Item {
  int32_t page = 0;
  int32_t beyond = 0;  // n of an r<n> that lies before the first page, which messages name
  Parity parity = Parity::kAll;
};

void Select(std::vector<PageRecord>& records, int32_t page, Parity parity) {
  if (parity == Parity::kAll || (page % 2 == 1) == (parity == Parity::kOdd)) {
    records[static_cast<size_t>(page - 1)].selected = true;
  }
}

// Digits that do not fit in 32 bits saturate, so they fail the check against the page count.
int32_t ReadNumber(const std::string& list, size_t begin, size_t end) {
  int64_t value = 0;
  for (size_t i = begin; i < end; ++i) {
    value = value * 10 + (list[i] - '0');
    if (value > INT32_MAX) {
      value = INT32_MAX;
    }
  }
  return static_cast<int32_t>(value);
}

bool AllDigits(const std::string& list, size_t begin, size_t end) {
  for (size_t i = begin; i < end; ++i) {
    if (list[i] < '0' || list[i] > '9') {
      return false;
    }
  }
  return begin < end;
}

// The item list[begin, end): a number, z (the last page) or r<n> (the n-th page from the end),
// then perhaps :odd or :even. Throws "Invalid parameter" for anything else.
Item ReadItem(const std::string& list, size_t begin, size_t end, int32_t page_count) {
  Item item;
  const size_t colon = list.find(':', begin);
  if (colon < end) {
    const std::string suffix = list.substr(colon + 1, end - colon - 1);
    if (suffix != "odd" && suffix != "even") {
      throw CPdfException(kMsgInvalidParameter);
    }
    item.parity = suffix == "odd" ? Parity::kOdd : Parity::kEven;
    end = colon;
  }
  if (AllDigits(list, begin, end)) {
    item.page = ReadNumber(list, begin, end);
  } else if (end == begin + 1 && list[begin] == 'z') {
    item.page = page_count > 0 ? page_count : 0;
  } else if (list[begin] == 'r' && AllDigits(list, begin + 1, end)) {
    const int32_t n = ReadNumber(list, begin + 1, end);
    // r0 names no page, as 0 does; past the first page the item itself is named.
    if (n > page_count) {
      item.beyond = n;
    } else {
      item.page = n == 0 ? 0 : page_count - n + 1;
    }
  } else {
    throw CPdfException(kMsgInvalidParameter);
  }
  return item;
}

// Throws when page (a single page when !range, else a range's end) lies past count.
void CheckAgainstCount(const Item& item, int32_t count, bool range) {
  const int32_t named = item.beyond != 0 ? item.beyond : item.page;
  if (item.beyond != 0 || item.page > count) {
    if (range) {
      ThrowPdfFormat(QT_MSG_RANGE_GREATER, named, count);
    }
    ThrowPdfFormat(QT_MSG_PAGE_GREATER, named, count);
  }
}

}  // namespace

void ParsePageList(const std::string& list, int32_t page_count, std::vector<PageRecord>& records) {
  if (list.find_first_not_of("0123456789-,zr:odevn") != std::string::npos) {
    throw CPdfException(kMsgInvalidParameter);
  }
  // A count that promises more pages than the walk found must not reach past the records.
  const int32_t records_count = static_cast<int32_t>(records.size());
  size_t pos = 0;
  bool range_open = false;
  Item start;
  for (;;) {
    size_t sep = list.find_first_of("-,", pos);
    size_t end = sep == std::string::npos ? list.size() : sep;
    if (end == pos) {
      throw CPdfException(kMsgInvalidParameter);
    }
    const Item item = ReadItem(list, pos, end, page_count);
    const bool dash_after = sep != std::string::npos && list[sep] == '-';
    // A suffix closes an item: on a range's start it would stand inside the range.
    if (dash_after && item.parity != Parity::kAll) {
      throw CPdfException(kMsgInvalidParameter);
    }
    if (item.page == 0 && item.beyond == 0) {
      ThrowPdfFormat(QT_MSG_INVALID_PAGE, 0);
    }
    if (range_open) {
      if (dash_after) {
        throw CPdfException(kMsgInvalidParameter);
      }
      CheckAgainstCount(item, page_count, true);
      if (start.page > item.page) {
        ThrowPdfFormat(QT_MSG_RANGE_ORDER, start.page, item.page);
      }
      CheckAgainstCount(item, records_count, true);
      for (int32_t p = start.page; p <= item.page; ++p) {
        Select(records, p, item.parity);
      }
      range_open = false;
    } else if (dash_after) {
      // A start is compared with the count through its end, but an r<n> start names nothing.
      if (item.beyond != 0) {
        CheckAgainstCount(item, page_count, true);
      }
      range_open = true;
      start = item;
    } else {
      CheckAgainstCount(item, page_count, false);
      CheckAgainstCount(item, records_count, false);
      Select(records, item.page, item.parity);
    }
    if (sep == std::string::npos) {
      break;
    }
    pos = sep + 1;
  }
}

int32_t TurnedRotation(int32_t rotation, int32_t degree) {
  const int64_t turned = (static_cast<int64_t>(rotation) + degree) % 360;
  return static_cast<int32_t>(turned < 0 ? turned + 360 : turned);
}

PageShape ShownShape(double width, double height, int32_t rotation) {
  const int32_t shown = TurnedRotation(rotation, 0);
  if (shown == 90 || shown == 270) {
    std::swap(width, height);
  }
  if (width > height) {
    return PageShape::kWide;
  }
  return height > width ? PageShape::kTall : PageShape::kNone;
}

void SelectPages(const SelectionOptions& options,
                 int32_t page_count,
                 std::vector<PageRecord>& records) {
  if (options.landscape || options.portrait) {
    for (PageRecord& record : records) {
      const int32_t r = record.rotation;
      record.selected = (options.landscape && (r == 90 || r == 270)) ||
                        (options.portrait && (r == 0 || r == 180));
    }
  } else if (!options.page_list.empty()) {
    ParsePageList(options.page_list, page_count, records);
  } else {
    for (PageRecord& record : records) {
      record.selected = true;
    }
  }
  // A page listed twice is chosen once: it is turned from its rotation once.
  for (PageRecord& record : records) {
    if ((options.wide || options.tall) && !((options.wide && record.shape == PageShape::kWide) ||
                                            (options.tall && record.shape == PageShape::kTall))) {
      record.selected = false;
    }
    if (record.selected) {
      record.angle = options.turn ? TurnedRotation(record.rotation, options.angle) : options.angle;
    }
  }
}
