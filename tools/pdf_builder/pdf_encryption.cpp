#include "pdf_encryption.h"

#include <cmath>
#include <cstdint>

namespace {

const char kPadding[] =
    "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
    "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A";

uint32_t Rotl(uint32_t x, int c) {
  return (x << c) | (x >> (32 - c));
}

}  // namespace

std::string PdfEncryption::Md5(const std::string& data) {
  static const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  uint32_t table[64];
  for (int i = 0; i < 64; ++i) {
    table[i] = static_cast<uint32_t>(std::floor(std::fabs(std::sin(i + 1.0)) * 4294967296.0));
  }
  std::string msg = data;
  const uint64_t bit_length = static_cast<uint64_t>(data.size()) * 8;
  msg += '\x80';
  while (msg.size() % 64 != 56) {
    msg += '\0';
  }
  for (int i = 0; i < 8; ++i) {
    msg += static_cast<char>((bit_length >> (8 * i)) & 0xFF);
  }
  uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t chunk = 0; chunk < msg.size(); chunk += 64) {
    uint32_t m[16];
    for (int i = 0; i < 16; ++i) {
      m[i] = 0;
      for (int b = 3; b >= 0; --b) {
        m[i] = (m[i] << 8) | static_cast<uint8_t>(msg[chunk + 4 * i + b]);
      }
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      const uint32_t next = b + Rotl(a + f + table[i] + m[g], kShift[i]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
  }
  std::string digest;
  for (uint32_t word : h) {
    for (int i = 0; i < 4; ++i) {
      digest += static_cast<char>((word >> (8 * i)) & 0xFF);
    }
  }
  return digest;
}

std::string PdfEncryption::Rc4(const std::string& key, const std::string& data) {
  uint8_t s[256];
  for (int i = 0; i < 256; ++i) {
    s[i] = static_cast<uint8_t>(i);
  }
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + static_cast<uint8_t>(key[static_cast<size_t>(i) % key.size()])) & 0xFF;
    std::swap(s[i], s[j]);
  }
  std::string out = data;
  int i = 0;
  int j = 0;
  for (char& c : out) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    c = static_cast<char>(c ^ s[(s[i] + s[j]) & 0xFF]);
  }
  return out;
}

std::string PdfEncryption::Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    out += kDigits[static_cast<uint8_t>(c) >> 4];
    out += kDigits[static_cast<uint8_t>(c) & 15];
  }
  return out;
}

PdfEncryption::PdfEncryption(const std::string& id) {
  const std::string padding(kPadding, 32);
  // The owner password "owner" keys the owner entry; the user password is empty.
  owner_ = Rc4(Md5(std::string("owner") + padding.substr(0, 27)).substr(0, 5), padding);
  const std::string permissions("\xFC\xFF\xFF\xFF", 4);  // /P -4
  key_ = Md5(padding + owner_ + permissions + id).substr(0, 5);
  user_ = Rc4(key_, padding);
}

std::string PdfEncryption::Dictionary() const {
  return "<< /Filter /Standard /V 1 /R 2 /O <" + Hex(owner_) + "> /U <" + Hex(user_) + "> /P -4 >>";
}

std::string PdfEncryption::Encrypt(int num, int gen, const std::string& data) const {
  std::string salt = key_;
  for (int i = 0; i < 3; ++i) {
    salt += static_cast<char>((num >> (8 * i)) & 0xFF);
  }
  salt += static_cast<char>(gen & 0xFF);
  salt += static_cast<char>((gen >> 8) & 0xFF);
  return Rc4(Md5(salt).substr(0, 10), data);
}
