#ifndef QUILLTURN_SRC_OBJECTS_CPDF_OBJECT_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_OBJECT_H_

#include <cstddef>
#include <cstdint>

#include "objects/cpdf_stream_object.h"

class CPdfArray;
class CPdfDictionary;
class CPdfResolver;
class CPdfStream;
class CPdfString;

// The kind numbers are fixed: other code and files compare them.
enum PdfKind : int32_t {
  PDF_BOOL = 0,
  PDF_INT = 1,
  PDF_REAL = 2,
  PDF_TEXT = 3,  // made by nothing; the number stays taken
  PDF_STRING = 4,
  PDF_NAME = 5,
  PDF_NULL = 6,
  PDF_ARRAY = 7,
  PDF_DICT = 8,
  PDF_STREAM = 9,
  PDF_REF = 10,
  PDF_KEYWORD = 11,
  PDF_ERROR = 12,
  PDF_EOF = 13,
  PDF_NONE = 14,
};

// A PDF value. Texts and strings are owned by one value; arrays, dictionaries and streams are
// shared through their reference counts. Filling operations never clear the target: a value to
// be filled arrives in PDF_NONE and its owner calls Clear when done.
class CPdfObject {
 public:
  CPdfObject() = default;
  CPdfObject(const CPdfObject& other);
  // Takes other's value and leaves other in PDF_NONE, so that containers can grow by moving.
  CPdfObject(CPdfObject&& other) noexcept;
  // No implicit copies: a pointer must never be copied without AddRef.
  CPdfObject& operator=(const CPdfObject&) = delete;
  ~CPdfObject();

  void Clear();
  void Assign(const CPdfObject& source);
  void CopyTo(CPdfObject& target) const;
  // Exchanges the two values; nothing is copied, counted or freed.
  void Swap(CPdfObject& other);
  // One level: a reference is fetched through xref when there is one, else copied.
  void Resolve(CPdfResolver* xref, CPdfObject& out) const;
  bool IsKeyword(const char* text) const;
  // Whether other is the same simple value (a number, name, string, reference, boolean or
  // null); containers are never the same.
  bool IsSameSimpleValue(const CPdfObject& other) const;

  PdfKind GetKind() const { return kind_; }
  bool IsKind(PdfKind kind) const { return kind_ == kind; }

  void SetBool(bool value);
  void SetInt(int64_t value);
  void SetReal(double value);
  // length bytes without a zero among them.
  void SetName(const char* text, size_t length);
  void SetKeyword(const char* text, size_t length);
  // Copies the string; the caller keeps its own.
  void SetString(const CPdfString& str);
  void SetNull();
  void SetError();
  void SetEof();
  void SetRef(int32_t num, int32_t gen);
  void NewArray(CPdfResolver* xref);
  void NewDictionary(CPdfResolver* xref);
  // Add a reference of their own. A stream's dict may be null: a stream that offers none.
  void SetDictionary(CPdfDictionary* dict);
  void SetStream(CPdfStream* stream, CPdfDictionary* dict);

  bool GetBool() const { return payload_.boolean; }
  // Integers are 64-bit as read: callers check the range they need before narrowing.
  int64_t GetInt() const { return payload_.integer; }
  double GetReal() const { return payload_.real; }
  // Text of PDF_NAME and PDF_KEYWORD.
  const char* GetText() const { return payload_.text; }
  CPdfString* GetString() const { return payload_.string; }
  CPdfArray* GetArray() const { return payload_.array; }
  CPdfDictionary* GetDict() const { return payload_.dict; }
  CPdfStream* GetStream() const { return payload_.stream_object->GetStream(); }
  // The dictionary of a PDF_STREAM, null when it has none.
  CPdfDictionary* GetStreamDict() const { return payload_.stream_object->GetDict(); }
  int32_t GetRefNum() const { return payload_.ref.num; }
  int32_t GetRefGen() const { return payload_.ref.gen; }

 private:
  void SetOwnedText(PdfKind kind, const char* text, size_t length);

  PdfKind kind_ = PDF_NONE;
  union Payload {
    bool boolean;
    int64_t integer;
    double real;
    char* text;
    CPdfString* string;
    CPdfArray* array;
    CPdfDictionary* dict;
    CPdfStreamObject* stream_object;
    struct {
      int32_t num;
      int32_t gen;
    } ref;
  } payload_{};
  static_assert(sizeof(Payload) == 8, "the payload is eight bytes");
};

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_OBJECT_H_
