#include "document/cpdf_catalog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_xref.h"

namespace {

int32_t ClampToInt32(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value <= INT32_MIN) {
    return INT32_MIN;
  }
  return value < INT32_MAX ? static_cast<int32_t>(value) : INT32_MAX;
}

}  // namespace

CPdfCatalog::~CPdfCatalog() {
  dests_.Clear();
  outlines_.Clear();
}

void CPdfCatalog::Load(CPdfXRef* xref) {
  xref_ = xref;
  pages_.clear();
  page_refs_.clear();
  path_.clear();
  visits_ = 0;
  CPdfObject catalog;
  xref->GetObject(xref->GetRootNum(), xref->GetRootGen(), catalog);
  if (!catalog.IsKind(PDF_DICT)) {
    throw CPdfException(kMsgCatalogType);
  }
  CPdfObject pages;
  catalog.GetDict()->Lookup("Pages", pages);
  if (!pages.IsKind(PDF_DICT)) {
    throw CPdfException(kMsgPagesType);
  }
  CPdfObject count;
  pages.GetDict()->Lookup("Count", count);
  if (!count.IsKind(PDF_INT) && !count.IsKind(PDF_REAL)) {
    throw CPdfException(kMsgPageCountType);
  }
  page_count_ =
      ClampToInt32(count.IsKind(PDF_INT) ? static_cast<double>(count.GetInt()) : count.GetReal());
  CPdfObject raw_pages;
  catalog.GetDict()->LookupRaw("Pages", raw_pages);
  if (raw_pages.IsKind(PDF_REF)) {
    path_.push_back(raw_pages.GetRefNum());
  }
  // Room for the promised pages up front (a page needs an object, so no more than the table
  // has), sparing the copies a growing array makes.
  if (count.IsKind(PDF_INT) && count.GetInt() > 0) {
    const size_t expected =
        std::min(static_cast<size_t>(count.GetInt()), xref->GetTable().CountInUse());
    pages_.reserve(expected);
    page_refs_.reserve(expected);
  }
  int32_t rotation = 0;
  CPdfPage::ReadRotate(*pages.GetDict(), &rotation);
  CPdfObject no_resources;
  no_resources.SetNull();
  CollectPages(*pages.GetDict(), 0, Inherited{true, rotation}, no_resources);
  CPdfObject names;
  catalog.GetDict()->Lookup("Names", names);
  dests_.Clear();
  if (names.IsKind(PDF_DICT)) {
    names.GetDict()->Lookup("Dests", dests_);
  } else {
    dests_.SetNull();
  }
  outlines_.Clear();
  catalog.GetDict()->Lookup("Outlines", outlines_);
}

void CPdfCatalog::NoteKid(const CPdfObject& raw,
                          const CPdfDictionary& kid,
                          bool is_page,
                          Inherited inherited,
                          Inherited* below) {
  *below = Inherited{false, 0};
  if (!inherited.counted) {
    return;
  }
  int32_t rotation = inherited.rotation;
  CPdfPage::ReadRotate(kid, &rotation);
  // The type is resolved here, unlike the structural check's stored /Type.
  CPdfObject type;
  kid.Lookup("Type", type);
  const bool is_name = type.IsKind(PDF_NAME);
  const std::string name = is_name ? type.GetText() : "";
  if (is_page || name == "Page") {
    page_refs_.push_back(PageRef{raw.IsKind(PDF_REF) ? raw.GetRefNum() : -1, rotation});
  } else if (name == "Pages" || (!is_name && kid.Find("Kids"))) {
    *below = Inherited{true, rotation};
  }
}

void CPdfCatalog::CollectPages(const CPdfDictionary& node,
                               int depth,
                               Inherited inherited,
                               const CPdfObject& resources) {
  // /Resources is inheritable: a node's own dictionary serves every page below it that has
  // none of its own.
  CPdfObject own_resources;
  node.Lookup("Resources", own_resources);
  const CPdfObject& below_resources = own_resources.IsKind(PDF_DICT) ? own_resources : resources;
  CPdfObject kids;
  node.Lookup("Kids", kids);
  if (!kids.IsKind(PDF_ARRAY)) {
    throw CPdfException(kMsgKidsType);
  }
  // A tree can be no deeper, and hold no more nodes, than the file has objects; a cycle or a
  // tree whose kids repeat without end is refused instead of walked for ever.
  const int64_t max_visits = 2 * static_cast<int64_t>(xref_->GetTable().CountInUse()) + 16;
  if (depth >= kMaxTreeDepth) {
    throw CPdfException(kMsgKidsType);
  }
  CPdfArray* array = kids.GetArray();
  for (int32_t i = 0; i < array->GetCount(); ++i) {
    if (++visits_ > max_visits) {
      throw CPdfException(kMsgKidsType);
    }
    CPdfObject kid;
    array->Get(i, kid);
    if (!kid.IsKind(PDF_DICT)) {
      throw CPdfException(kMsgKidType);
    }
    const CPdfDictionary& dict = *kid.GetDict();
    const CPdfObject& raw = array->At(i);
    const bool is_page = dict.IsType("Page");
    Inherited below{false, 0};
    NoteKid(raw, dict, is_page, inherited, &below);
    if (is_page) {
      pages_.emplace_back();
      pages_.back().Load(static_cast<int32_t>(pages_.size()), xref_, dict, below_resources);
      continue;
    }
    const bool indirect = raw.IsKind(PDF_REF);
    if (indirect) {
      if (std::find(path_.begin(), path_.end(), raw.GetRefNum()) != path_.end()) {
        throw CPdfException(kMsgKidsType);
      }
      path_.push_back(raw.GetRefNum());
    }
    CollectPages(dict, depth + 1, below, below_resources);
    if (indirect) {
      path_.pop_back();
    }
  }
}
