#include "document/cpdf_page_box.h"

#include <algorithm>
#include <cmath>

#include "objects/cpdf_array.h"
#include "objects/cpdf_object.h"
#include "reader/cpdf_fetcher.h"

namespace {

// A value with one reference followed, fetched as the walk fetches: no stream is decoded.
void Resolved(const CPdfObject& value,
              CPdfFetcher& fetcher,
              const WalkRequest& walk,
              CPdfObject& out) {
  if (value.IsKind(PDF_REF)) {
    fetcher.GetObject(value.GetRefNum(), value.GetRefGen(), out, &walk);
  } else {
    out.Assign(value);
  }
}

bool NumberOf(const CPdfObject& value,
              CPdfFetcher& fetcher,
              const WalkRequest& walk,
              double* number) {
  CPdfObject resolved;
  Resolved(value, fetcher, walk, resolved);
  if (resolved.IsKind(PDF_INT)) {
    *number = static_cast<double>(resolved.GetInt());
  } else if (resolved.IsKind(PDF_REAL)) {
    *number = resolved.GetReal();
  } else {
    return false;
  }
  return std::isfinite(*number);
}

}  // namespace

CPdfPageBox::CPdfPageBox(double x1, double y1, double x2, double y2)
    : left_(std::min(x1, x2)),
      bottom_(std::min(y1, y2)),
      right_(std::max(x1, x2)),
      top_(std::max(y1, y2)) {}

std::optional<CPdfPageBox> CPdfPageBox::Read(const CPdfObject& value,
                                             CPdfFetcher& fetcher,
                                             const WalkRequest& walk) {
  CPdfObject array;
  Resolved(value, fetcher, walk, array);
  if (!array.IsKind(PDF_ARRAY) || array.GetArray()->GetCount() != 4) {
    return std::nullopt;
  }
  double corner[4];
  for (int32_t i = 0; i < 4; ++i) {
    if (!NumberOf(array.GetArray()->At(i), fetcher, walk, &corner[i])) {
      return std::nullopt;
    }
  }
  // A box of no width or no height is still the page's own: it hides any inherited one.
  return CPdfPageBox(corner[0], corner[1], corner[2], corner[3]);
}

std::optional<CPdfPageBox> CPdfPageBox::Within(const CPdfPageBox& other) const {
  const double left = std::max(left_, other.left_);
  const double bottom = std::max(bottom_, other.bottom_);
  const double right = std::min(right_, other.right_);
  const double top = std::min(top_, other.top_);
  if (!(left < right) || !(bottom < top)) {
    return std::nullopt;
  }
  return CPdfPageBox(left, bottom, right, top);
}
