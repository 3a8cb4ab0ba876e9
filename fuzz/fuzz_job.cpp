// The whole job on one input: open, walk, select, copy and write to a scratch file, with the
// page list and the angle derived from a hash of the input.
#include <unistd.h>

#include <string>

#include "app/cpdf_rotate.h"
#include "fuzz_support.h"

namespace {

std::string ScratchDir() {
  return access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = ScratchDir();
  static const std::string in = dir + "/quillturn-fuzz-in-" + std::to_string(getpid()) + ".pdf";
  static const std::string out = dir + "/quillturn-fuzz-out-" + std::to_string(getpid()) + ".pdf";
  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) {
    return 0;
  }
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  uint64_t hash = 1469598103934665603ull;
  for (size_t i = 0; i < size; ++i) {
    hash = (hash ^ data[i]) * 1099511628211ull;
  }
  const char* lists[] = {"", "1", "2-3", "1,3", "1-1000", "3,1", "-portrait", "-landscape"};
  const char* angles[] = {"/r90", "/r0", "/r-90", "/r180", "/r270", "/r2147483647"};
  std::string list = lists[hash % 8];
  std::string angle = angles[(hash >> 8) % 6];
  std::string args[] = {"Quillturn", in, out, list.empty() || list[0] == '-' ? list : "/p" + list,
                        angle};
  char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0], &args[4][0]};
  RunGuarded([&] {
    CPdfRotate job;
    job.ParseParams(5, argv);
    job.Run();
  });
  std::remove(out.c_str());
  return 0;
}
