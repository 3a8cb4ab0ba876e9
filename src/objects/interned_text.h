#ifndef QUILLTURN_SRC_OBJECTS_INTERNED_TEXT_H_
#define QUILLTURN_SRC_OBJECTS_INTERNED_TEXT_H_

#include <cstddef>

// The names and keywords that fill most PDF files (Type, Page, obj, R, <<, ...), kept once in
// static storage so that tokens holding them need no allocation of their own.

// The interned copy of text (length bytes), or null when it is not one of them.
const char* FindInterned(const char* text, size_t length);
// Whether p points into the interned storage (and so must never be freed).
bool IsInterned(const char* p);

#endif  // QUILLTURN_SRC_OBJECTS_INTERNED_TEXT_H_
