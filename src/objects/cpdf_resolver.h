#ifndef QUILLTURN_SRC_OBJECTS_CPDF_RESOLVER_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_RESOLVER_H_

#include <cstdint>

class CPdfObject;

// What a value needs to follow an indirect reference; the cross-reference reader implements it.
class CPdfResolver {
 public:
  // Fills out (arriving in PDF_NONE) with the object, or PDF_NULL when it cannot be had.
  virtual void GetObject(int32_t num, int32_t gen, CPdfObject& out) = 0;

 protected:
  virtual ~CPdfResolver() = default;
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_RESOLVER_H_
