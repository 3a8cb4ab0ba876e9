#ifndef QUILLTURN_SRC_OBJECTS_CPDF_EXCEPTION_H_
#define QUILLTURN_SRC_OBJECTS_CPDF_EXCEPTION_H_

#include <string>

// The program's one exception: a fixed sentence, numbers already filled in.
class CPdfException {
 public:
  explicit CPdfException(const char* message);
  CPdfException(const CPdfException&) = default;
  CPdfException& operator=(const CPdfException&) = default;
  virtual ~CPdfException();

  virtual const char* GetMessage() const;

 private:
  std::string message_;
};

// Formats the message before the throw, so the stored text never holds a conversion.
[[noreturn]] void ThrowPdfFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

#endif  // QUILLTURN_SRC_OBJECTS_CPDF_EXCEPTION_H_
