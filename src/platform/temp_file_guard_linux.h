#ifndef QUILLTURN_SRC_PLATFORM_TEMP_FILE_GUARD_LINUX_H_
#define QUILLTURN_SRC_PLATFORM_TEMP_FILE_GUARD_LINUX_H_

// The named temporary file of the output on Linux, which a signal that stops the process
// removes first. The signal handler can reach only what the process holds in static storage,
// so there is one such file per process.
class TempFileGuard {
 public:
  // Ctrl-C, a stopped batch job or a closed terminal remove the named temporary file first; a
  // signal the caller chose to ignore stays ignored. A file size limit makes the write fail
  // instead of ending the process without a word. Installed once per process.
  static void InstallSignalHandlers();
  // A fresh name for a temporary file in folder (an open folder), which a signal removes from
  // now on, whether or not a file of that name gets made.
  static const char* Claim(int folder);
  // The name claimed last.
  static const char* Name();
  // A signal no longer removes the file: it was never made, was removed, or took its place.
  static void Release();
};

#endif  // QUILLTURN_SRC_PLATFORM_TEMP_FILE_GUARD_LINUX_H_
