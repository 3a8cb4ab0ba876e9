#include "app/rotate_patch.h"

#include <cstring>
#include <string>

#include "objects/pdf_char_class.h"

namespace {

class Scanner {
 public:
  Scanner(const uint8_t* bytes, size_t length) : b_(bytes), n_(length) {}

  size_t Pos() const { return i_; }
  bool AtEnd() const { return i_ >= n_; }
  bool At(const char* text) const {
    size_t len = std::strlen(text);
    return i_ + len <= n_ && std::memcmp(b_ + i_, text, len) == 0;
  }

  void SkipWhiteAndComments() {
    while (i_ < n_) {
      if (PdfIsWhite(b_[i_])) {
        ++i_;
      } else if (b_[i_] == '%') {
        while (i_ < n_ && b_[i_] != '\r' && b_[i_] != '\n') {
          ++i_;
        }
      } else {
        return;
      }
    }
  }

  // A name after its slash, # escapes decoded the way the parser decodes them.
  std::string ReadName() {
    ++i_;
    std::string name;
    while (i_ < n_ && PdfIsRegular(b_[i_])) {
      if (b_[i_] == '#' && i_ + 2 < n_ && PdfHexValue(b_[i_ + 1]) >= 0 &&
          PdfHexValue(b_[i_ + 2]) >= 0) {
        name.push_back(static_cast<char>(16 * PdfHexValue(b_[i_ + 1]) + PdfHexValue(b_[i_ + 2])));
        i_ += 3;
      } else {
        name.push_back(static_cast<char>(b_[i_++]));
      }
    }
    return name;
  }

  void SkipRegularRun() {
    while (i_ < n_ && PdfIsRegular(b_[i_])) {
      ++i_;
    }
  }

  bool IsInteger(size_t begin, size_t end) const {
    if (begin == end) {
      return false;
    }
    for (size_t k = begin; k < end; ++k) {
      if (b_[k] < '0' || b_[k] > '9') {
        return false;
      }
    }
    return true;
  }

  // Steps over one value. Containers are skipped by counting brackets, not by recursion.
  void SkipValue() {
    const size_t before = i_;
    SkipValueAt();
    if (i_ == before && i_ < n_) {
      ++i_;  // always make progress
    }
  }

  void SkipValueAt() {
    if (AtEnd()) {
      return;
    }
    const uint8_t c = b_[i_];
    if (c == '/') {
      ReadName();
      return;
    }
    if (c == '(' || c == '<' || c == '[') {
      SkipContainer();
      return;
    }
    if (c == ')' || c == '>' || c == ']' || c == '{' || c == '}') {
      ++i_;
      return;
    }
    const size_t start = i_;
    SkipRegularRun();
    // An indirect reference: two unsigned integers and R.
    if (IsInteger(start, i_)) {
      const size_t after_first = i_;
      SkipWhiteAndComments();
      const size_t gen_start = i_;
      SkipRegularRun();
      if (IsInteger(gen_start, i_)) {
        SkipWhiteAndComments();
        if (i_ < n_ && b_[i_] == 'R' && (i_ + 1 == n_ || !PdfIsRegular(b_[i_ + 1]))) {
          ++i_;
          return;
        }
      }
      i_ = after_first;
    }
  }

  void SkipContainer() {
    int64_t depth = 0;
    do {
      if (AtEnd()) {
        return;
      }
      const uint8_t c = b_[i_];
      if (c == '(') {
        SkipLiteralString();
        continue;
      }
      if (c == '%') {
        SkipWhiteAndComments();
        continue;
      }
      if (c == '<' && (i_ + 1 >= n_ || b_[i_ + 1] != '<')) {
        while (i_ < n_ && b_[i_] != '>') {
          ++i_;
        }
        ++i_;
        continue;
      }
      if (At("<<") || c == '[') {
        ++depth;
        i_ += c == '[' ? 1 : 2;
      } else if (At(">>") || c == ']') {
        --depth;
        i_ += c == ']' ? 1 : 2;
      } else {
        ++i_;
      }
    } while (depth > 0);
  }

  void SkipLiteralString() {
    int64_t depth = 0;
    while (i_ < n_) {
      const uint8_t c = b_[i_++];
      if (c == '\\') {
        ++i_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return;
      }
    }
  }

 private:
  const uint8_t* b_;
  size_t n_;
  size_t i_ = 0;
};

}  // namespace

RotateSpot FindRotate(const uint8_t* bytes, size_t length) {
  RotateSpot spot;
  Scanner s(bytes, length);
  // Up to the first "<<": the object number, generation and "obj".
  for (;;) {
    s.SkipWhiteAndComments();
    if (s.AtEnd()) {
      return spot;
    }
    if (s.At("<<")) {
      break;
    }
    if (s.At("(") || s.At("[") || s.At("<")) {
      return spot;
    }
    s.SkipValue();
  }
  spot.has_dict = true;
  spot.dict_open = s.Pos() + 2;
  size_t pos = spot.dict_open;
  Scanner k(bytes + pos, length - pos);
  for (;;) {
    k.SkipWhiteAndComments();
    if (k.AtEnd() || k.At(">>")) {
      return spot;
    }
    if (!k.At("/")) {
      k.SkipValue();
      continue;
    }
    // The parser cuts a name at its first zero byte; so does this comparison.
    const std::string key = k.ReadName().c_str();
    const size_t key_end = k.Pos();
    k.SkipWhiteAndComments();
    if (k.At(">>")) {
      if (key == "Rotate") {
        spot.has_rotate = true;
        spot.key_end = pos + key_end;
        spot.value_end = pos + key_end;
      }
      return spot;
    }
    k.SkipValue();
    if (key == "Rotate") {
      spot.has_rotate = true;
      spot.key_end = pos + key_end;
      spot.value_end = pos + k.Pos();
      return spot;
    }
  }
}
