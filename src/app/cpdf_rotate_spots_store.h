#ifndef QUILLTURN_SRC_APP_CPDF_ROTATE_SPOTS_STORE_H_
#define QUILLTURN_SRC_APP_CPDF_ROTATE_SPOTS_STORE_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "reader/cpdf_notes_observer.h"
#include "reader/cpdf_object_place.h"
#include "reader/cpdf_place_notes.h"
#include "reader/rotate_spots.h"

// Where the top-level /Rotate values of the dictionaries the reader stepped over stand, so that
// the patch need not read a chosen page again. Only dictionaries with something to tell are
// kept: a value, a number that would join the tokens after it, or keys whose bytes were not
// held; any other dictionary has no /Rotate value. Past a budget (one value per 64 bytes of the
// file and four per table entry, or 4,096) nothing more is kept and every object not kept is
// read again. Memory: 8 bytes per value, 24 per dictionary kept.
class CPdfRotateSpotsStore : public CPdfNotesObserver {
 public:
  void Begin(uint64_t file_size, size_t entries) override;
  void Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) override;
  void FilePassDone() override { kept_.FilePassDone(); }

  // The /Rotate values of the dictionary object at place, their positions moved by shift (the
  // bytes written before the place's first); false when the object must be read for them.
  bool Find(CPdfObjectPlace place, uint32_t shift, RotateSpots* spots) const;

 private:
  static constexpr size_t kFewSpots = 4096;
  enum Flag : uint8_t { kOpenJoins = 1, kValueJoins = 2, kUnknown = 4 };
  struct Kept {
    uint32_t first;  // in values_
    uint32_t count;
    uint8_t flags;
  };

  CPdfPlaceNotes<Kept> kept_;
  std::vector<std::pair<uint32_t, uint32_t>> values_;  // key and value ends, from the origin
  size_t budget_ = kFewSpots;
  bool full_ = false;  // past the budget: an object not kept may have values
};

#endif  // QUILLTURN_SRC_APP_CPDF_ROTATE_SPOTS_STORE_H_
