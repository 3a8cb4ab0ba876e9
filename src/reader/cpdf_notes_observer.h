#ifndef QUILLTURN_SRC_READER_CPDF_NOTES_OBSERVER_H_
#define QUILLTURN_SRC_READER_CPDF_NOTES_OBSERVER_H_

#include <cstddef>
#include <cstdint>

#include "reader/cpdf_object_place.h"

class CPdfDictionaryNotes;

// Told what the reader's one step over each dictionary noted: the object map's pass over the
// file, and the framing of object-stream members as the walk and the copy reach them. Each room
// keeps what it reads later (the walk a page's facts, the patch its /Rotate values), so that
// nothing is parsed twice and the reader keeps none of it.
class CPdfNotesObserver {
 public:
  virtual ~CPdfNotesObserver() = default;

  // Before a pass: the file's size and the number of entries of its table. What was told
  // before is of a reader let go (-repair reads the file again through a table made anew).
  virtual void Begin(uint64_t file_size, size_t entries) = 0;
  // A dictionary stepped over, the top-level value of the object at place; stream: "stream"
  // follows it. A member may be told again (the copy frames one the walk did not keep).
  virtual void Noted(CPdfObjectPlace place, const CPdfDictionaryNotes& notes, bool stream) = 0;
  // The pass over the file is done: every object of it was told (not all in file order).
  virtual void FilePassDone() = 0;
};

#endif  // QUILLTURN_SRC_READER_CPDF_NOTES_OBSERVER_H_
