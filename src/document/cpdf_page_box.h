#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_BOX_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_BOX_H_

#include <optional>

class CPdfFetcher;
struct WalkRequest;
class CPdfObject;

// A page's rectangle (its /MediaBox or /CropBox), corners put in order, as readers take it.
class CPdfPageBox {
 public:
  CPdfPageBox(double x1, double y1, double x2, double y2);

  // value as a dictionary holds it: an array of four numbers (integers or reals), the array or
  // any number through a reference. Anything else, or a box without area, is no box.
  static std::optional<CPdfPageBox> Read(const CPdfObject& value,
                                         CPdfFetcher& fetcher,
                                         const WalkRequest& walk);

  // The part of this box inside other, as viewers trim a crop box to the media box; none when
  // they do not overlap.
  std::optional<CPdfPageBox> Within(const CPdfPageBox& other) const;

  double Width() const { return right_ - left_; }
  double Height() const { return top_ - bottom_; }

 private:
  double left_;
  double bottom_;
  double right_;
  double top_;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_BOX_H_
