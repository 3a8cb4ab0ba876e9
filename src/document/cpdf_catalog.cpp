#include "document/cpdf_catalog.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "document/cpdf_page_facts_store.h"
#include "objects/cpdf_array.h"
#include "objects/cpdf_dictionary.h"
#include "objects/cpdf_exception.h"
#include "objects/pdf_messages.h"
#include "reader/cpdf_fetcher.h"

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

// The walk refuses a tree for four causes, all under kMsgKidsType.

// A node that is not a page has its kids in an array (its /Kids, resolved).
void CheckKidsAreArray(const CPdfObject& kids) {
  if (!kids.IsKind(PDF_ARRAY)) {
    throw CPdfException(kMsgKidsType);
  }
}

// Nodes no deeper than kMaxTreeDepth, so that the walk's recursion stays bounded.
void CheckTreeDepth(int depth) {
  if (depth >= CPdfCatalog::kMaxTreeDepth) {
    throw CPdfException(kMsgKidsType);
  }
}

// No more kid visits than the file's objects and bytes allow (see CPdfCatalog::Load).
void CheckVisitCount(int64_t visits, int64_t max_visits) {
  if (visits > max_visits) {
    throw CPdfException(kMsgKidsType);
  }
}

// A node among its own ancestors would make the walk a cycle.
void CheckNotAncestor(const std::vector<int32_t>& path, int32_t num) {
  if (std::find(path.begin(), path.end(), num) != path.end()) {
    throw CPdfException(kMsgKidsType);
  }
}

}  // namespace

CPdfCatalog::~CPdfCatalog() = default;

void CPdfCatalog::StartWalk(CPdfFetcher* fetcher, bool with_boxes) {
  fetcher_ = fetcher;
  with_boxes_ = with_boxes;
  page_refs_.clear();
  page_sizes_.clear();
  DropWalkState();
  pages_checked_ = 0;
  path_.clear();
  visits_ = 0;
  // A tree can be no deeper, and hold no more nodes, than the file has objects; a cycle or a
  // tree whose kids repeat without end is refused instead of walked for ever. Every kid takes
  // some of the file's bytes too, however well an object stream compresses them: a few bytes
  // of the file may not stand for millions of visits (nor arrays of millions of kids).
  max_visits_ = std::min<int64_t>(2 * static_cast<int64_t>(fetcher->GetTable().CountInUse()) + 16,
                                  kVisitsPerFileByte * fetcher->GetFile().Size() + 16);
  walk_.array_limit = static_cast<size_t>(max_visits_) + 1;
  walk_.keys = with_boxes ? &WalkKeepWithBoxes : &WalkKeep;
}

void CPdfCatalog::DropWalkState() {
  nodes_.clear();
  direct_nodes_.clear();
  values_.clear();
  kids_.clear();
}

void CPdfCatalog::Load(CPdfFetcher* fetcher, const CPdfPageFactsStore* facts, bool with_boxes) {
  facts_ = facts;
  StartWalk(fetcher, with_boxes);
  CPdfObject catalog;
  fetcher->GetObject(fetcher->GetXRef().GetRootNum(), fetcher->GetXRef().GetRootGen(), catalog);
  if (!catalog.IsKind(PDF_DICT)) {
    throw CPdfException(kMsgCatalogType);
  }
  // The tree's nodes and pages are fetched with only what the walk reads built: a page's
  // other keys may hold any amount of data.
  CPdfObject pages;
  const CPdfObject* pages_raw = catalog.GetDict()->Find("Pages");
  if (pages_raw && pages_raw->IsKind(PDF_REF)) {
    fetcher->GetObject(pages_raw->GetRefNum(), pages_raw->GetRefGen(), pages, &walk_);
  } else {
    catalog.GetDict()->Lookup("Pages", pages);
  }
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
    page_refs_.reserve(
        std::min({static_cast<size_t>(count.GetInt()), fetcher->GetTable().CountInUse(),
                  static_cast<size_t>(max_visits_)}));
    page_sizes_.reserve(with_boxes ? page_refs_.capacity() : 0);
  }
  Node root;
  ReadNode(*pages.GetDict(), &root);
  CollectPages(root, 0, Inherited{true, root.has_rotate ? root.rotate : 0, root.media, root.crop},
               false);
  // What the walk read is not needed after it.
  DropWalkState();
}

PdfKeep CPdfCatalog::WalkKeep(std::string_view key) {
  // Asked for every key of every page: compared as views, by length first.
  if (key == "Resources" || key == "Annots") {
    return PdfKeep::kKind;
  }
  return key == "Type" || key == "Kids" || key == "Count" || key == "Rotate" || key == "Parent" ||
                 key == "Length"
             ? PdfKeep::kValue
             : PdfKeep::kNothing;
}

PdfKeep CPdfCatalog::WalkKeepWithBoxes(std::string_view key) {
  return key == "MediaBox" || key == "CropBox" ? PdfKeep::kValue : WalkKeep(key);
}

int64_t CPdfCatalog::KeyOf(int32_t num, int32_t gen) {
  // Shifted unsigned: a negative number (a damaged reference) has no bits to lose.
  return static_cast<int64_t>((uint64_t{static_cast<uint32_t>(num)} << 32) |
                              static_cast<uint32_t>(gen));
}

int64_t CPdfCatalog::KeyOf(const CPdfObject& ref) {
  return KeyOf(ref.GetRefNum(), ref.GetRefGen());
}

CPdfCatalog::Value CPdfCatalog::ReadValue(const CPdfDictionary& dict, const char* key) {
  const CPdfObject* raw = dict.Find(key);
  if (!raw) {
    return Value();
  }
  if (raw->IsKind(PDF_REF)) {
    return ReadReferenced(raw->GetRefNum(), raw->GetRefGen());
  }
  return ValueOf(*raw);
}

CPdfCatalog::Value CPdfCatalog::ValueOf(const CPdfObject& resolved) {
  Value value;
  value.kind = resolved.GetKind();
  if (resolved.IsKind(PDF_INT)) {
    value.integer = resolved.GetInt();
  } else if (resolved.IsKind(PDF_NAME)) {
    value.name = resolved.GetText();
  }
  return value;
}

CPdfCatalog::Value CPdfCatalog::ReadReferenced(int32_t num, int32_t gen) {
  const int64_t key = KeyOf(num, gen);
  auto found = values_.find(key);
  if (found == values_.end()) {
    CPdfObject resolved;
    fetcher_->GetObject(num, gen, resolved, &walk_);
    found = values_.emplace(key, ValueOf(resolved)).first;
  }
  return found->second;
}

void CPdfCatalog::ReadFacts(const PageFacts& facts, Node* node) {
  node->has_kids = false;
  node->is_page = node->type_is_name = true;
  node->type = "Page";
  node->has_rotate = facts.has_rotate;
  node->rotate = facts.rotate;
  node->annots_ok = facts.annots_ok;
  switch (facts.resources) {
    case PageFacts::Resources::kDictionary:
      node->own_resources = true;
      break;
    case PageFacts::Resources::kReference:
      node->own_resources =
          ReadReferenced(facts.resources_num, facts.resources_gen).kind == PDF_DICT;
      break;
    default:
      node->own_resources = false;
      break;
  }
}

void CPdfCatalog::ReadNode(const CPdfDictionary& dict, Node* node) {
  node->has_kids = dict.Find("Kids") != nullptr;
  const Value rotate = ReadValue(dict, "Rotate");
  if (rotate.kind == PDF_INT && rotate.integer >= INT32_MIN && rotate.integer <= INT32_MAX) {
    node->has_rotate = true;
    node->rotate = static_cast<int32_t>(rotate.integer);
  }
  // One reading of /Type, resolved, tells a page both for the page list and for the walk.
  const Value type = ReadValue(dict, "Type");
  node->type_is_name = type.kind == PDF_NAME;
  node->type = type.name;
  node->is_page = node->type_is_name && node->type == "Page";
  node->own_resources = ReadValue(dict, "Resources").kind == PDF_DICT;
  ReadBoxes(dict, node);
  if (node->is_page) {
    const CPdfObject* annots = dict.Find("Annots");
    node->annots_ok =
        !annots || annots->IsKind(PDF_REF) || annots->IsKind(PDF_ARRAY) || annots->IsKind(PDF_NULL);
    return;
  }
  const CPdfObject* kids = dict.Find("Kids");
  if (!kids || !kids->IsKind(PDF_REF)) {
    node->kids.Clear();
    dict.Lookup("Kids", node->kids);
    return;
  }
  auto found = kids_.find(KeyOf(*kids));
  if (found == kids_.end()) {
    found = kids_.emplace(KeyOf(*kids), CPdfObject()).first;
    fetcher_->GetObject(kids->GetRefNum(), kids->GetRefGen(), found->second, &walk_);
  }
  node->kids.Clear();
  node->kids.Assign(found->second);
}

void CPdfCatalog::ReadBoxes(const CPdfDictionary& dict, Node* node) {
  node->media.reset();
  node->crop.reset();
  if (!with_boxes_) {
    return;
  }
  // A box that is no box counts as absent, so the inherited one shows, as readers take it.
  if (const CPdfObject* media = dict.Find("MediaBox")) {
    node->media = CPdfPageBox::Read(*media, *fetcher_, walk_);
  }
  if (const CPdfObject* crop = dict.Find("CropBox")) {
    node->crop = CPdfPageBox::Read(*crop, *fetcher_, walk_);
  }
}

const CPdfCatalog::Node& CPdfCatalog::NodeOf(const CPdfObject& raw) {
  if (raw.IsKind(PDF_DICT)) {
    auto inserted = direct_nodes_.try_emplace(raw.GetDict());
    if (inserted.second) {
      ReadNode(*raw.GetDict(), &inserted.first->second);
    }
    return inserted.first->second;
  }
  if (!raw.IsKind(PDF_REF)) {
    throw CPdfException(kMsgKidType);
  }
  const int64_t key = KeyOf(raw);
  auto found = nodes_.find(key);
  if (found == nodes_.end()) {
    // A page the scanner noted is not parsed: its node is made from the notes again whenever
    // the tree reaches it, which costs less than keeping it. It is read before the next kid.
    // The notes hold no boxes.
    PageFacts facts;
    CPdfObjectPlace place = CPdfObjectPlace::InFile(0);
    if (!with_boxes_ && facts_ && fetcher_->NotedPlaceOf(raw.GetRefNum(), raw.GetRefGen(), &place) &&
        facts_->Find(place, &facts)) {
      ReadFacts(facts, &noted_page_);
      return noted_page_;
    }
    CPdfObject kid;
    fetcher_->GetObject(raw.GetRefNum(), raw.GetRefGen(), kid, &walk_);
    if (!kid.IsKind(PDF_DICT)) {
      throw CPdfException(kMsgKidType);
    }
    Node node;
    ReadNode(*kid.GetDict(), &node);
    found = nodes_.emplace(key, std::move(node)).first;
  }
  return found->second;
}

PageSize CPdfCatalog::ShownSize(const Node& page, const Inherited& inherited) {
  const std::optional<CPdfPageBox>& media = page.media ? page.media : inherited.media;
  const std::optional<CPdfPageBox>& crop = page.crop ? page.crop : inherited.crop;
  std::optional<CPdfPageBox> shown = media;
  if (crop) {
    shown = media ? crop->Within(*media) : crop;
  }
  // A page of no width or no height shows nothing, neither wide nor tall.
  if (!shown || !(shown->Width() > 0) || !(shown->Height() > 0)) {
    return PageSize{};
  }
  return PageSize{shown->Width(), shown->Height()};
}

void CPdfCatalog::NoteKid(const CPdfObject& raw,
                          const Node& kid,
                          const Inherited& inherited,
                          Inherited* below) {
  *below = Inherited{false, 0, std::nullopt, std::nullopt};
  if (!inherited.counted) {
    return;
  }
  const int32_t rotation = kid.has_rotate ? kid.rotate : inherited.rotation;
  if (kid.is_page) {
    page_refs_.push_back(PageRef{raw.IsKind(PDF_REF) ? raw.GetRefNum() : -1, rotation});
    if (with_boxes_) {
      page_sizes_.push_back(ShownSize(kid, inherited));
    }
  } else if ((kid.type_is_name && kid.type == "Pages") || (!kid.type_is_name && kid.has_kids)) {
    *below = Inherited{true, rotation, kid.media ? kid.media : inherited.media,
                       kid.crop ? kid.crop : inherited.crop};
  }
}

void CPdfCatalog::CollectPages(const Node& node,
                               int depth,
                               const Inherited& inherited,
                               bool resources) {
  // /Resources is inheritable: a node's own dictionary serves every page below it that has
  // none of its own.
  const bool below_resources = node.own_resources || resources;
  CheckKidsAreArray(node.kids);
  CheckTreeDepth(depth);
  const CPdfArray* array = node.kids.GetArray();
  for (int32_t i = 0; i < array->GetCount(); ++i) {
    CheckVisitCount(++visits_, max_visits_);
    const CPdfObject& raw = array->At(i);
    const Node& kid = NodeOf(raw);
    Inherited below{false, 0, std::nullopt, std::nullopt};
    NoteKid(raw, kid, inherited, &below);
    if (kid.is_page) {
      ++pages_checked_;
      if (!kid.own_resources && !below_resources && !resources_optional_) {
        throw CPdfException(kMsgResources);
      }
      if (!kid.annots_ok) {
        ThrowPdfFormat(QT_MSG_ANNOTS, pages_checked_);
      }
      continue;
    }
    const bool indirect = raw.IsKind(PDF_REF);
    if (indirect) {
      CheckNotAncestor(path_, raw.GetRefNum());
      path_.push_back(raw.GetRefNum());
    }
    CollectPages(kid, depth + 1, below, below_resources);
    if (indirect) {
      path_.pop_back();
    }
  }
}
