#include "objects/cpdf_exception.h"

#include <cstdarg>
#include <cstdio>

CPdfException::CPdfException(const char* message) : message_(message ? message : "") {}

CPdfException::~CPdfException() = default;

const char* CPdfException::GetMessage() const {
  return message_.c_str();
}

void ThrowPdfFormat(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  throw CPdfException(buffer);
}
