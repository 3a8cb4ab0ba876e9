#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_

#include <cstdint>
#include <vector>

#include "document/cpdf_page.h"
#include "objects/cpdf_object.h"

class CPdfDictionary;
class CPdfXRef;

// A page as the rotation sees the tree: reached through nodes typed /Pages (or untyped nodes
// with /Kids), with the rotation it shows (its own integer /Rotate, else its nearest
// ancestor's, else 0, not normalised).
struct PageRef {
  int32_t object_number;  // -1 for a page written directly inside its parent's /Kids
  int32_t rotation;
};

// Loads and checks the catalog and every page when a document opens.
class CPdfCatalog {
 public:
  // Deeper page trees are refused; real files stay far below it.
  static constexpr int kMaxTreeDepth = 256;

  CPdfCatalog() = default;
  CPdfCatalog(const CPdfCatalog&) = delete;
  CPdfCatalog& operator=(const CPdfCatalog&) = delete;
  virtual ~CPdfCatalog();

  // Borrowed: the loaded reader.
  void Load(CPdfXRef* xref);
  const std::vector<CPdfPage>& GetPages() const { return pages_; }
  // Gathered in the same walk, so that no page dictionary has to be read twice.
  const std::vector<PageRef>& GetPageRefs() const { return page_refs_; }
  // The root node's /Count as parsed (a real truncated, kept within 32 bits): the number of
  // pages the file promises, which a page list is checked against.
  int32_t GetPageCount() const { return page_count_; }
  const CPdfObject& GetOutlines() const { return outlines_; }
  const CPdfObject& GetDests() const { return dests_; }

 private:
  // Where the rotation's view of the tree stands: inside a typed node, or below a node of
  // another type, whose pages it does not count.
  struct Inherited {
    bool counted;
    int32_t rotation;
  };
  // resources: the nearest ancestor's /Resources dictionary, or PDF_NULL.
  void CollectPages(const CPdfDictionary& node,
                    int depth,
                    Inherited inherited,
                    const CPdfObject& resources);
  void NoteKid(const CPdfObject& raw,
               const CPdfDictionary& kid,
               bool is_page,
               Inherited inherited,
               Inherited* below);

  CPdfXRef* xref_ = nullptr;
  std::vector<CPdfPage> pages_;
  std::vector<PageRef> page_refs_;
  int32_t page_count_ = 0;
  CPdfObject outlines_;
  CPdfObject dests_;
  std::vector<int32_t> path_;  // object numbers of the nodes being walked
  int64_t visits_ = 0;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
