// Runs every file named on the command line (or found in the folders named) through one fuzz
// target, so the corpus, the hostile files and the regressions are replayed on every test run
// with the ordinary compiler and the sanitizers.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, unsigned long size);

namespace {

void Collect(const std::string& path, std::vector<std::string>& files) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    return;
  }
  if (!S_ISDIR(st.st_mode)) {
    files.push_back(path);
    return;
  }
  DIR* dir = opendir(path.c_str());
  if (!dir) {
    return;
  }
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      Collect(path + "/" + name, files);
    }
  }
  closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    Collect(argv[i], files);
  }
  for (const std::string& path : files) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
      continue;
    }
    std::vector<unsigned char> data;
    unsigned char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof(buf), f)) > 0;) {
      data.insert(data.end(), buf, buf + n);
    }
    std::fclose(f);
    // Like libFuzzer, never hand a target a null pointer, even for an empty input.
    static unsigned char empty = 0;
    LLVMFuzzerTestOneInput(data.empty() ? &empty : data.data(), data.size());
  }
  std::printf("replayed %zu files\n", files.size());
  return 0;
}
