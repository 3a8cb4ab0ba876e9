#ifndef QUILLTURN_TOOLS_PDF_BUILDER_PDF_ENCRYPTION_H_
#define QUILLTURN_TOOLS_PDF_BUILDER_PDF_ENCRYPTION_H_

#include <string>

// The standard security handler at its simplest (RC4, 40-bit key, revision 2) with an empty
// user password, so that any reader opens the files it encrypts without being asked.
class PdfEncryption {
 public:
  // id: the first string of the file's /ID, which the key depends on.
  explicit PdfEncryption(const std::string& id);

  // The /Encrypt dictionary.
  std::string Dictionary() const;
  // data (a string's or a stream's bytes) as object num, generation gen holds it.
  std::string Encrypt(int num, int gen, const std::string& data) const;

  static std::string Md5(const std::string& data);
  static std::string Rc4(const std::string& key, const std::string& data);
  static std::string Hex(const std::string& bytes);

 private:
  std::string key_;
  std::string owner_;
  std::string user_;
};

#endif  // QUILLTURN_TOOLS_PDF_BUILDER_PDF_ENCRYPTION_H_
