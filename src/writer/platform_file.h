#ifndef QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_
#define QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string>

// The few file operations that the standard library does not offer, kept in one place.

// True when both paths name one existing file (also through links).
bool IsSameFile(const char* a, const char* b);

// Creates a new, empty file in the folder of path, with the usual permissions, for writing.
// Returns null on failure; temp_path receives its name.
FILE* CreateFileBeside(const std::string& path, std::string* temp_path);

// Appends length bytes of in, from offset on, to out: in the kernel where it can, through a
// buffer where it cannot. Both are flushed files; false when the bytes could not be copied.
bool CopyFileRange(FILE* in, int64_t offset, FILE* out, int64_t length);

// Puts the file at from in place of to in one step; false on failure.
bool ReplaceFile(const std::string& from, const std::string& to);

#endif  // QUILLTURN_SRC_WRITER_PLATFORM_FILE_H_
