#ifndef QUILLTURN_TOOLS_PDF_BUILDER_PDF_BUILDER_H_
#define QUILLTURN_TOOLS_PDF_BUILDER_PDF_BUILDER_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "pdf_filter_encoding.h"

// Writes PDF files with exact offsets: each object's offset is recorded as it is appended, and
// the cross-reference sections, /Length values and startxref are computed, never hard-coded.
class PdfBuilder {
 public:
  using Filters = StreamFilters;

  // How a cross-reference stream lays out and encodes its records.
  struct XRefLayout {
    enum class Predictor { kNone, kPng, kTiff };
    // Bytes per field; a type field of width 0 makes every record type 1, and a section of
    // such records leaves object 0 out.
    int widths[3] = {1, 4, 2};
    // Without /Index a section lists every number from 0 to /Size - 1 (gaps as free records).
    bool index = true;
    Predictor predictor = Predictor::kNone;
    int png_type = 2;  // the PNG filter of every row (0-4), or 5 for each in turn
    int colors = 1;    // TIFF only: samples per pixel and bits per sample
    int bits = 8;
    Filters filters;  // a predictor needs Flate
  };

  PdfBuilder& Header(const std::string& version = "1.4");
  // Bytes as they are, for junk and deliberate damage.
  PdfBuilder& Raw(const std::string& bytes);
  PdfBuilder& Object(int num, const std::string& body, int gen = 0);
  // A stream object; /Length is added to dict_entries.
  PdfBuilder& Stream(int num, const std::string& dict_entries, const std::string& data);
  // A stream object whose data is length zeros that are never held: a hole of the sparse file
  // Save writes, so files of gigabytes cost nothing. Bytes() leaves the holes out. /Length is
  // added, as length_value when one is given (a reference, say).
  PdfBuilder& HoleStream(int num,
                         const std::string& dict_entries,
                         int64_t length,
                         const std::string& length_value = "");
  // An object stream holding objects (number, body), Flate-compressed when deflate is set, with
  // `padding` blanks between its header and the objects.
  PdfBuilder& ObjectStream(int num,
                           const std::vector<std::pair<int, std::string>>& objects,
                           bool deflate = true,
                           const std::string& dict_entries = "",
                           size_t padding = 0);
  PdfBuilder& ObjectStream(int num,
                           const std::vector<std::pair<int, std::string>>& objects,
                           const Filters& filters,
                           const std::string& dict_entries = "",
                           size_t padding = 0);
  // Lists num as object `index` of object stream `stream` in the next section, whatever holds.
  PdfBuilder& Compressed(int num, int stream, int index);
  // Lists num at offset, generation gen, in the next section, wherever num stands: an entry
  // that leads elsewhere.
  PdfBuilder& Entry(int num, int64_t offset, int gen = 0);
  // Marks num free in the next section.
  PdfBuilder& Free(int num, int next_gen = 1);
  // A classic section for the objects added since the previous section, its trailer (with
  // /Size and /Prev added) and startxref.
  PdfBuilder& XRefTable(const std::string& trailer_entries);
  // A cross-reference stream section (object num), optionally with PNG Up rows.
  PdfBuilder& XRefStream(int num, const std::string& dict_entries, bool png_up = false);
  PdfBuilder& XRefStream(int num, const std::string& dict_entries, const XRefLayout& layout);
  // A hybrid section: a cross-reference stream (object stream_num) listing only the compressed
  // objects, then a classic table for the rest whose trailer names it in /XRefStm.
  PdfBuilder& HybridSection(int stream_num, const std::string& trailer_entries);

  // A signature value's /ByteRange before SignedRanges fills it: four numbers of ten digits.
  static constexpr const char* kByteRangeHole =
      "/ByteRange [0000000000 0000000000 0000000000 0000000000]";
  // Fills the kByteRangeHole written in an object with the ranges around the /Contents
  // string after it, over the whole file as built so far (offsets from its first byte).
  PdfBuilder& SignedRanges();

  // "startxref", the offset and the end marker.
  PdfBuilder& StartXRef(int64_t offset);
  // The current position as the cross-reference data counts it (from the header).
  int64_t Here() const { return static_cast<int64_t>(bytes_.size()) + hole_bytes_ - origin_; }

  const std::string& Bytes() const { return bytes_; }
  // Writes the bytes to path, holes as holes; false when that fails.
  bool Save(const std::string& path) const;
  // The body an Object call gave num (empty when none did).
  std::string ObjectBody(int num) const;
  int64_t Offset(int num) const { return offsets_.at(num); }
  int64_t LastXRefOffset() const { return last_xref_; }
  int Size() const { return size_; }

 private:
  struct Record {
    int type;
    int64_t field2;
    int field3;
  };
  void Note(int num, Record entry);
  std::string StreamBytes(std::map<int, Record> entries,
                          const std::string& dict_entries,
                          const XRefLayout& layout,
                          bool with_size);
  std::string PrevEntry() const;

  std::string bytes_;
  std::vector<std::pair<size_t, int64_t>> holes_;  // where in bytes_ each hole stands, its length
  int64_t hole_bytes_ = 0;
  std::map<int, int64_t> offsets_;
  std::map<int, std::string> bodies_;
  std::map<int, Record> pending_;  // entries of the section being gathered
  int64_t last_xref_ = -1;
  int64_t origin_ = 0;  // where the header starts: offsets count from here
  int size_ = 1;
};

// zlib's compress2 at the default level.
std::string Deflate(const std::string& data);
// Rows of row_bytes bytes (the last one padded with zeros) under a PNG filter (0-4, or 5 for
// each in turn), bpp bytes per pixel; each row begins with its filter's byte.
std::string PngPredict(const std::string& data, size_t row_bytes, size_t bpp, int type);
// Rows of `columns` pixels of `colors` samples of `bits` bits (the last row padded with zeros),
// each sample replaced by its difference from the same sample of the pixel before.
std::string TiffPredict(const std::string& data, int columns, int colors, int bits);

#endif  // QUILLTURN_TOOLS_PDF_BUILDER_PDF_BUILDER_H_
