#ifndef QUILLTURN_SRC_READER_PAGE_FACTS_H_
#define QUILLTURN_SRC_READER_PAGE_FACTS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "objects/cpdf_lexer.h"
#include "objects/pdf_token.h"

// What the page-tree walk reads of a page: its own /Rotate, its /Resources and whether its
// /Annots is of a kind it accepts. Noted while the scanner steps over the dictionary anyway,
// so that the walk need not parse the page again.
struct PageFacts {
  enum class Resources : uint8_t { kNone, kDictionary, kOther, kReference };
  bool has_rotate = false;  // an integer of 32 bits
  bool annots_ok = true;    // absent, a reference, an array or null
  Resources resources = Resources::kNone;
  int32_t rotate = 0;
  int32_t resources_num = 0;  // with kReference
  int32_t resources_gen = 0;
};

// Notes PageFacts entry by entry, as NextDictEntry gives them. Known only for a dictionary
// whose /Type is written /Page, whose keys the walk reads are spelled plainly, whose values
// of them the walk would not have to fetch (except /Resources) and which nests no deeper than
// the parser allows; the walk parses any other as before, a dictionary that gives one of these
// keys twice too (the parser then tells whether the two values differ).
class PageFactsNoter {
 public:
  // Deeper values are left to the parser, which refuses them past its own limit.
  static constexpr size_t kMaxLevels = 64;

  // view(begin, end) gives the bytes [begin, end) or null when they are no longer held.
  template <typename View>
  void Note(const PdfDictEntry& entry, const View& view) {
    if (!known_) {
      return;
    }
    const size_t length = static_cast<size_t>(entry.key.end - entry.key.begin - 1);
    const uint8_t* key = view(entry.key.begin + 1, entry.key.end);
    if (!key || std::memchr(key, '#', length) || !entry.whole || entry.levels > kMaxLevels) {
      known_ = false;
      return;
    }
    if (entry.value.kind == PdfTokenKind::kEnd) {
      return;  // no value: the parser adds no key
    }
    const int which = KeyIndex(key, length);
    if (which < 0) {
      return;
    }
    if ((seen_ & (1u << which)) != 0) {
      known_ = false;
      return;
    }
    seen_ |= 1u << which;
    const PdfToken& v = entry.value;
    switch (which) {
      case kType: {
        const uint8_t* name = v.kind == PdfTokenKind::kName ? view(v.begin + 1, v.end) : nullptr;
        page_ = name && v.end - v.begin == 5 && std::memcmp(name, "Page", 4) == 0;
        known_ = name != nullptr || (v.kind != PdfTokenKind::kName && !entry.reference);
        return;
      }
      case kRotate:
        if (entry.reference || (v.kind == PdfTokenKind::kNumber && !v.int32)) {
          known_ = false;
        } else if (v.kind == PdfTokenKind::kNumber) {
          facts_.has_rotate = true;
          facts_.rotate = v.value;
        }
        return;
      case kResources:
        if (entry.reference) {
          facts_.resources = PageFacts::Resources::kReference;
          facts_.resources_num = v.value;
          facts_.resources_gen = entry.gen.value;
        } else {
          facts_.resources = v.kind == PdfTokenKind::kDictOpen ? PageFacts::Resources::kDictionary
                                                               : PageFacts::Resources::kOther;
        }
        return;
      default:  // kAnnots
        facts_.annots_ok =
            entry.reference || v.kind == PdfTokenKind::kArrayOpen || v.Is(PdfKeyword::kNull);
        return;
    }
  }

  // With the dictionary's last token: the facts, when they are known and it is a page.
  bool Finish(const PdfToken& close, PageFacts* facts) const {
    if (!known_ || !page_ || close.kind != PdfTokenKind::kDictClose) {
      return false;
    }
    *facts = facts_;
    return true;
  }

 private:
  enum : int { kType, kRotate, kResources, kAnnots };
  static int KeyIndex(const uint8_t* key, size_t length) {
    const auto is = [&](const char* word) { return std::memcmp(key, word, length) == 0; };
    switch (length) {
      case 4:
        return is("Type") ? kType : -1;
      case 6:
        return is("Rotate") ? kRotate : is("Annots") ? kAnnots : -1;
      case 9:
        return is("Resources") ? kResources : -1;
      default:
        return -1;
    }
  }

  PageFacts facts_;
  bool known_ = true;
  bool page_ = false;
  unsigned seen_ = 0;
};

#endif  // QUILLTURN_SRC_READER_PAGE_FACTS_H_
