#ifndef QUILLTURN_SRC_READER_CPDF_READ_AROUND_H_
#define QUILLTURN_SRC_READER_CPDF_READ_AROUND_H_

class CPdfFetcher;

// Whether the reader read around damage that a full copy mends by writing a fresh table: a
// section it repaired or could not use (CPdfXRef::ReadAround), an entry that does not lead to
// its object's header (the object found only by its header, or not at all), an object that
// starts inside another, a current stream whose end was searched for or is not known.
class CPdfReadAround {
 public:
  // With the map built.
  static bool Found(const CPdfFetcher& fetcher);
};

#endif  // QUILLTURN_SRC_READER_CPDF_READ_AROUND_H_
