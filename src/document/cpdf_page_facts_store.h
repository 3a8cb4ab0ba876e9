#ifndef QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_FACTS_STORE_H_
#define QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_FACTS_STORE_H_

#include <cstddef>
#include <cstdint>

#include "reader/cpdf_notes_observer.h"
#include "reader/cpdf_object_place.h"
#include "reader/cpdf_place_notes.h"
#include "reader/page_facts.h"

// What the page-tree walk reads of each page the reader stepped over (PageFactsNoter): kept
// here, so that the walk need not parse those pages again. Memory: 24 bytes per page in the
// file, 16 per page in an object stream and 4 per table entry once one is noted.
class CPdfPageFactsStore : public CPdfNotesObserver {
 public:
  void Begin(uint64_t file_size, size_t entries) override;
  void Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) override;
  void FilePassDone() override { facts_.FilePassDone(); }

  // The facts of the page object at place, false when none were noted there.
  bool Find(CPdfObjectPlace place, PageFacts* facts) const;
  // The walk is over: nothing more is kept, and the memory goes back before the copy.
  void Release();

 private:
  CPdfPlaceNotes<PageFacts> facts_;
  bool released_ = false;
};

#endif  // QUILLTURN_SRC_DOCUMENT_CPDF_PAGE_FACTS_STORE_H_
