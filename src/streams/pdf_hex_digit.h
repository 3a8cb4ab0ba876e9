#ifndef QUILLTURN_SRC_STREAMS_PDF_HEX_DIGIT_H_
#define QUILLTURN_SRC_STREAMS_PDF_HEX_DIGIT_H_

// The value of a hexadecimal digit, or -1: for hex strings, name escapes and ASCIIHexDecode.
inline int PdfHexValue(int c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

#endif  // QUILLTURN_SRC_STREAMS_PDF_HEX_DIGIT_H_
