#ifndef QUILLTURN_SRC_PLATFORM_KERNEL_COPY_LINUX_H_
#define QUILLTURN_SRC_PLATFORM_KERNEL_COPY_LINUX_H_

#include <sys/types.h>

#include <cstdint>

// Copies *left bytes of in_fd from *from on to out_fd at its position, in the kernel
// (copy_file_range), moving *from past them and taking them off *left; where the kernel cannot,
// *left keeps what the caller is to copy itself. out_fd must be a regular file of this
// program's own, written at its end: a hole of a sparse input (a run of zeros it never stored)
// is stepped over there and stays a hole, so neither the copy nor the flush writes its zeros.
// in_fd's own position is left where it was, for the stdio stream that reads it. False when
// the output could not be moved past a hole.
bool CopyInKernel(int in_fd, off_t* from, int out_fd, int64_t* left);

#endif  // QUILLTURN_SRC_PLATFORM_KERNEL_COPY_LINUX_H_
