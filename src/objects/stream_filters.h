#ifndef QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_
#define QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_

class CPdfObject;
class CPdfStream;

// The stream to read a body through, as dict's /Filter (or /F) and /DecodeParms (or /DP) ask:
// stream itself (no filter), a decoder that took over the caller's reference to stream, or
// null when the filter is not supported (the caller still owns stream then).
CPdfStream* ApplyFilters(CPdfStream* stream, const CPdfObject& dict);

#endif  // QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_
