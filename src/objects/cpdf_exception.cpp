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
  // va_start above sets args; the analyzer does not see it through glibc's macro.
  // NOLINTNEXTLINE(clang-analyzer-valist.Uninitialized)
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  throw CPdfException(buffer);
}
