#include "platform/kernel_copy_linux.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

// Where the data at or after from starts, and where it ends: [from + left) when the file
// system cannot tell (all of it data), or when the rest is a hole (*data past the range).
void NextData(int fd, off_t from, int64_t left, off_t* data, off_t* hole) {
  const off_t end = from + static_cast<off_t>(left);
  *data = lseek(fd, from, SEEK_DATA);
  if (*data < 0) {
    *data = errno == ENXIO ? end : from;
    *hole = end;
    return;
  }
  *hole = *data < end ? lseek(fd, *data, SEEK_HOLE) : end;
  if (*hole < *data) {
    *hole = end;
  }
}

}  // namespace

bool CopyInKernel(int in_fd, off_t* from, int out_fd, int64_t* left) {
  const off_t kept = lseek(in_fd, 0, SEEK_CUR);
  bool ok = true;
  bool ends_in_hole = false;
  while (ok && *left > 0) {
    off_t data = 0;
    off_t hole = 0;
    NextData(in_fd, *from, *left, &data, &hole);
    if (data > *from) {
      const int64_t skip = std::min<int64_t>(data - *from, *left);
      ok = lseek(out_fd, static_cast<off_t>(skip), SEEK_CUR) >= 0;
      *from += static_cast<off_t>(skip);
      *left -= skip;
      ends_in_hole = true;
      continue;
    }
    const int64_t piece = std::min<int64_t>(hole - *from, *left);
    const ssize_t n = copy_file_range(in_fd, from, out_fd, nullptr, static_cast<size_t>(piece), 0);
    if (n <= 0) {
      break;  // not supported here, or the end of the input: the caller copies the rest
    }
    *left -= n;
    ends_in_hole = false;
  }
  // A hole at the end is made part of the file, as if its zeros were written.
  if (ok && ends_in_hole) {
    const off_t end = lseek(out_fd, 0, SEEK_CUR);
    ok = end >= 0 && ftruncate(out_fd, end) == 0;
  }
  if (kept >= 0) {
    lseek(in_fd, kept, SEEK_SET);
  }
  return ok;
}
