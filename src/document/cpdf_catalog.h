#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "document/cpdf_page_box.h"
#include "objects/cpdf_object.h"
#include "objects/pdf_key_filter.h"
#include "reader/cpdf_fetcher.h"
#include "reader/page_facts.h"

class CPdfPageFactsStore;

class CPdfDictionary;

// A page as the rotation sees the tree: reached through nodes typed /Pages (or untyped nodes
// with /Kids), with the rotation it shows (its own integer /Rotate, else its nearest
// ancestor's, else 0, not normalised).
struct PageRef {
  int32_t object_number;  // -1 for a page written directly inside its parent's /Kids
  int32_t rotation;
};

// The size of the box a page shows, before its rotation; 0 by 0 without a usable box.
struct PageSize {
  double width = 0;
  double height = 0;
};

// Loads and checks the catalog and every page when a document opens.
class CPdfCatalog {
 public:
  // Deeper page trees are refused; real files stay far below it.
  static constexpr int kMaxTreeDepth = 256;
  // Kid visits the walk allows for each byte of the file (a reference takes four at the least,
  // before compression).
  static constexpr int64_t kVisitsPerFileByte = 16;

  CPdfCatalog() = default;
  CPdfCatalog(const CPdfCatalog&) = delete;
  CPdfCatalog& operator=(const CPdfCatalog&) = delete;
  virtual ~CPdfCatalog();

  // What the walk keeps of a page or tree node's key: /Type, /Kids, /Count, /Rotate, /Parent and
  // /Length, and /Resources and /Annots as empty containers of their kind.
  static PdfKeep WalkKeep(std::string_view key);
  // The same and /MediaBox and /CropBox, for a walk that reads the pages' boxes.
  static PdfKeep WalkKeepWithBoxes(std::string_view key);

  // Borrowed: the loaded reader, and the facts of the pages it noted on the way (null: every
  // page is parsed). With boxes, every page's shown box is read too (its /CropBox within its
  // /MediaBox, else its /MediaBox, each its own or inherited), which parses every page instead
  // of taking what the scanner noted.
  void Load(CPdfFetcher* fetcher, const CPdfPageFactsStore* facts, bool with_boxes = false);
  // Asked before Load (-repair): a page with no /Resources, its own or inherited, reads as
  // having empty ones instead of being refused.
  void AllowPagesWithoutResources() { resources_optional_ = true; }
  // Gathered in the same walk, so that no page dictionary has to be read twice.
  const std::vector<PageRef>& GetPageRefs() const { return page_refs_; }
  // One for each page ref when boxes were read, else none: a walk without them stays as small.
  const std::vector<PageSize>& GetPageSizes() const { return page_sizes_; }
  // The root node's /Count as parsed (a real truncated, kept within 32 bits): the number of
  // pages the file promises, which a page list is checked against.
  int32_t GetPageCount() const { return page_count_; }

 private:
  // What the walk reads from one page or tree node. Kept per object, so that an object the
  // tree reaches many times (a shared node, a page listed again) is parsed once.
  struct Node {
    bool is_page = false;     // its /Type, resolved, is /Page
    bool has_kids = false;    // it has a /Kids entry
    bool has_rotate = false;  // its /Rotate is an integer within 32 bits
    int32_t rotate = 0;
    bool type_is_name = false;  // its resolved /Type
    std::string type;
    bool own_resources = false;        // its resolved /Resources is a dictionary
    bool annots_ok = true;             // its /Annots is a reference, an array or absent
    CPdfObject kids;                   // its resolved /Kids, for nodes that are not pages
    std::optional<CPdfPageBox> media;  // usable boxes of its own, when boxes are read
    std::optional<CPdfPageBox> crop;
  };
  // What the walk needs of a value a reference leads to.
  struct Value {
    PdfKind kind = PDF_NULL;
    int64_t integer = 0;
    std::string name;
  };

  // Where the rotation's view of the tree stands: inside a typed node, or below a node of
  // another type, whose pages it does not count.
  struct Inherited {
    bool counted;
    int32_t rotation;
    std::optional<CPdfPageBox> media;
    std::optional<CPdfPageBox> crop;
  };
  // Forgets the last walk and sets the fetcher up for a new one, with its limits.
  void StartWalk(CPdfFetcher* fetcher, bool with_boxes);
  // Forgets what the walk read (the nodes and values it parsed).
  void DropWalkState();
  // resources: whether an ancestor has a /Resources dictionary.
  void CollectPages(const Node& node, int depth, const Inherited& inherited, bool resources);
  void NoteKid(const CPdfObject& raw,
               const Node& kid,
               const Inherited& inherited,
               Inherited* below);
  void ReadBoxes(const CPdfDictionary& dict, Node* node);
  static PageSize ShownSize(const Node& page, const Inherited& inherited);
  // The kid raw (a reference or a direct dictionary) as the walk reads it; refused when it is
  // no dictionary.
  const Node& NodeOf(const CPdfObject& raw);
  void ReadNode(const CPdfDictionary& dict, Node* node);
  // A value of dict with one reference followed; each object is fetched once per walk.
  Value ReadValue(const CPdfDictionary& dict, const char* key);
  Value ReadReferenced(int32_t num, int32_t gen);
  static Value ValueOf(const CPdfObject& resolved);
  // A page as the map's pass noted it: what ReadNode reads from its dictionary.
  void ReadFacts(const PageFacts& facts, Node* node);

  static int64_t KeyOf(int32_t num, int32_t gen);
  static int64_t KeyOf(const CPdfObject& ref);

  CPdfFetcher* fetcher_ = nullptr;
  const CPdfPageFactsStore* facts_ = nullptr;
  WalkRequest walk_;  // what the walk's fetches build, given with each
  bool with_boxes_ = false;
  bool resources_optional_ = false;
  std::unordered_map<int64_t, Node> nodes_;  // by object number and generation
  Node noted_page_;                          // the last page made from the scanner's notes
  std::unordered_map<const CPdfDictionary*, Node> direct_nodes_;  // kids written in /Kids
  std::unordered_map<int64_t, Value> values_;
  std::unordered_map<int64_t, CPdfObject> kids_;  // /Kids arrays written as objects of their own
  int32_t pages_checked_ = 0;
  std::vector<PageRef> page_refs_;
  std::vector<PageSize> page_sizes_;
  int32_t page_count_ = 0;
  std::vector<int32_t> path_;  // object numbers of the nodes being walked
  int64_t visits_ = 0;
  int64_t max_visits_ = 0;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
