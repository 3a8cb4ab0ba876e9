#include "test_files.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir() {
  // A fresh name under the system's scratch folder ($TMPDIR, or its Windows counterpart).
  static std::mt19937_64 random{std::random_device{}()};
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path dir = base / ("quillturn-test-" + std::to_string(random() % 100000000));
    std::error_code error;
    if (fs::create_directory(dir, error)) {
      dir_ = dir.u8string();
      return;
    }
  }
  throw std::runtime_error("could not create a scratch folder");
}

TempDir::~TempDir() {
  std::error_code error;
  fs::remove_all(fs::u8path(dir_), error);
  if (error) {
    std::fprintf(stderr, "could not remove %s\n", dir_.c_str());
  }
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::string path = Path(name);
  std::ofstream out(fs::u8path(path), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(fs::u8path(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::u8path(path), error);
}
