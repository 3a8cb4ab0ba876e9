#ifndef QUILLTURN_SRC_READER_CPDF_ENTRY_PLACES_H_
#define QUILLTURN_SRC_READER_CPDF_ENTRY_PLACES_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "reader/cpdf_xref_table.h"
#include "streams/pdf_offset.h"

// Where the table's entries of objects in the file lead, in file order, and which of those
// places hold the header their entry names: the places the object map trusts. Memory: 21 bytes
// per entry, 5 more once Next is asked.
class CPdfEntryPlaces {
 public:
  struct Place {
    PdfOffset position;
    uint32_t entry;  // the entry's index in the table
  };
  // Whether the header of the place's entry stands there.
  using HoldsHeader = std::function<bool(const Place&)>;

  // The places of the entries of type 1 inside the file (size bytes): entries at one place in
  // table order.
  void List(const CPdfXRefTable& table, PdfOffset header_offset, uint64_t size);
  const std::vector<Place>& All() const { return places_; }
  // Gives the memory back once the places are no longer asked about.
  void Release();
  // The first place past from that holds its header, else the end of the file. Each place is
  // looked at once, however often this is asked.
  uint64_t Next(uint64_t from, const HoldsHeader& holds_header);

 private:
  uint64_t size_ = 0;
  std::vector<Place> places_;
  std::vector<uint8_t> verdicts_;  // 0 not looked at yet, 1 its header is there, 2 not
  std::vector<uint32_t> jumps_;    // for places without their header: a later place to go on from
};

#endif  // QUILLTURN_SRC_READER_CPDF_ENTRY_PLACES_H_
