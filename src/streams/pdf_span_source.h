#ifndef QUILLTURN_SRC_STREAMS_PDF_SPAN_SOURCE_H_
#define QUILLTURN_SRC_STREAMS_PDF_SPAN_SOURCE_H_

#include <cstddef>
#include <cstdint>

// The lexer's sources hold bytes in memory (Window) to be read at once (Advance), give a
// byte's position (TellAt, Tell for the next), keep the bytes from a place on while adding those
// after them (Extend: false when none follow), and give bytes one at a time (Next, Peek: 0..255,
// -1 at the end).

// Bytes in memory.
class PdfSpanSource {
 public:
  PdfSpanSource(const uint8_t* data, size_t size) : data_(data), p_(data), end_(data + size) {}
  int Next() { return p_ < end_ ? *p_++ : -1; }
  int Peek() const { return p_ < end_ ? *p_ : -1; }
  uint64_t Tell() const { return static_cast<uint64_t>(p_ - data_); }
  void Window(const uint8_t** next, const uint8_t** end) const {
    *next = p_;
    *end = end_;
  }
  void Advance(const uint8_t* next) { p_ = next; }
  uint64_t TellAt(const uint8_t* at) const { return static_cast<uint64_t>(at - data_); }
  // The window holds every byte: none follow it.
  static bool Extend(const uint8_t** /*from*/, const uint8_t** /*end*/) { return false; }

 private:
  const uint8_t* data_;
  const uint8_t* p_;
  const uint8_t* end_;
};

#endif  // QUILLTURN_SRC_STREAMS_PDF_SPAN_SOURCE_H_
