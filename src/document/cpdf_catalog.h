#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_

#include <cstdint>
#include <vector>

#include "document/cpdf_page.h"
#include "objects/cpdf_object.h"

class CPdfDictionary;
class CPdfXRef;

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
  const CPdfObject& GetOutlines() const { return outlines_; }
  const CPdfObject& GetDests() const { return dests_; }

 private:
  void CollectPages(const CPdfDictionary& node, int depth);

  CPdfXRef* xref_ = nullptr;
  std::vector<CPdfPage> pages_;
  CPdfObject outlines_;
  CPdfObject dests_;
  std::vector<int32_t> path_;  // object numbers of the nodes being walked
  int64_t visits_ = 0;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_CATALOG_H_
