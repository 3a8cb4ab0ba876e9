#ifndef QUILLTURN_SRC_STREAMS_CPDF_STREAM_H_
#define QUILLTURN_SRC_STREAMS_CPDF_STREAM_H_

#include <cstddef>
#include <cstdint>

#include "streams/pdf_offset.h"

// A counted byte source. GetChar and PeekChar give 0..255, or -1 at the end of the data.
class CPdfStream {
 public:
  CPdfStream() = default;
  CPdfStream(const CPdfStream&) = delete;
  CPdfStream& operator=(const CPdfStream&) = delete;

  virtual void AddRef();
  virtual void Release();
  virtual void Rewind() = 0;
  virtual int32_t GetChar() = 0;
  virtual int32_t PeekChar() = 0;
  virtual PdfOffset Tell() = 0;
  // Origin 0: absolute file offset; origin 2: distance back from the end of the file.
  virtual void Seek(PdfOffset position, int32_t origin) = 0;
  virtual PdfOffset GetStartOffset() = 0;
  virtual void ShiftStart(int32_t count) = 0;
  // 0 means unbounded.
  virtual PdfOffset GetLength() = 0;
  // A new window on the same file, count 1 owned by the caller; null where no file is behind.
  virtual CPdfStream* CreateSubStream(PdfOffset start, PdfOffset length) = 0;

  // Up to count decoded bytes at once; 0 at the end. Same bytes as count GetChar calls.
  virtual size_t ReadBytes(uint8_t* out, size_t count);

  // GetChar and PeekChar without a virtual call while buffered bytes remain: the hot path of
  // the tokenizer. Same bytes, same positions.
  int32_t NextByte() { return next_ < limit_ ? *next_++ : GetChar(); }
  int32_t PeekByte() { return next_ < limit_ ? *next_ : PeekChar(); }
  // The buffered bytes not yet read (empty when there are none or the stream keeps no buffer),
  // and a read of the first of them up to next.
  const uint8_t* BufferedNext() const { return next_; }
  const uint8_t* BufferedLimit() const { return limit_; }
  void SkipBuffered(const uint8_t* next) { next_ = next; }
  // Keeps the buffered bytes not yet read and adds those that follow them, so that the lexer
  // holds a token whole: false when none follow, or when the stream keeps no buffer (the lexer
  // reads only streams that do: file windows and memory).
  virtual bool ExtendBuffer() { return false; }
  // Whether a filter of this stream, or one it reads from, met bytes it refuses, in what was
  // read or in the rest of its encoded data (decoded to its end to know, what is not read yet
  // dropped): readers then take none of the data, and neither does the caller.
  virtual bool Refused() { return false; }

 protected:
  virtual ~CPdfStream();

  // The unread part of a subclass's buffer, for NextByte and PeekByte; empty (equal) when the
  // subclass keeps no such buffer or has to be asked.
  const uint8_t* next_ = nullptr;
  const uint8_t* limit_ = nullptr;

 private:
  int32_t ref_count_ = 1;
};

#endif  // QUILLTURN_SRC_STREAMS_CPDF_STREAM_H_
