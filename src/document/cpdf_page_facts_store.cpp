#include "document/cpdf_page_facts_store.h"

#include "reader/cpdf_dictionary_notes.h"

void CPdfPageFactsStore::Begin(uint64_t, size_t entries) {
  facts_ = CPdfPlaceNotes<PageFacts>();
  facts_.Begin(entries);
  released_ = false;
}

void CPdfPageFactsStore::Noted(CPdfObjectPlace place,
                               const CPdfDictionaryNotes& notes,
                               bool stream) {
  // A dictionary that "stream" follows is read as a stream, which is no page.
  PageFacts facts;
  if (!released_ && !stream && notes.Facts(&facts)) {
    facts_.Add(place, facts);
  }
}

bool CPdfPageFactsStore::Find(CPdfObjectPlace place, PageFacts* facts) const {
  const PageFacts* found = facts_.Find(place);
  return found && (*facts = *found, true);
}

void CPdfPageFactsStore::Release() {
  released_ = true;
  facts_ = CPdfPlaceNotes<PageFacts>();
}
