#ifndef QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_
#define QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_

class CPdfObject;
class CPdfStream;

// Which filters a body may be decoded through: Flate alone, for any stream; or, for the streams
// of the file's structure (cross-reference and object streams), also ASCIIHexDecode or
// ASCII85Decode, alone or before Flate, as readers decode those.
enum class FilterChoice { kFlate, kStructure };

// The stream to read a body through, as dict's /Filter (or /F) and /DecodeParms (or /DP) ask:
// stream itself (no filter), a decoder that took over the caller's reference to stream, or
// null when the filters are not supported (the caller still owns stream then).
CPdfStream* ApplyFilters(CPdfStream* stream,
                         const CPdfObject& dict,
                         FilterChoice choice = FilterChoice::kFlate);

#endif  // QUILLTURN_SRC_OBJECTS_STREAM_FILTERS_H_
