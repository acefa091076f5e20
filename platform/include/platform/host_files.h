// Files of the system's code that are not opened through CreateFileA: C
// runtime streams opened by a caller's Windows path, and files written whole
// or not at all.
//
// A caller's "C:\data\a.csv" maps under the drive root exactly as it does for
// CreateFileA, so a file written by one program is found by another started
// from any current folder.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace plat {

#pragma GCC visibility push(default)

// The Linux path that a caller's Windows (or Linux) path maps to; empty for a
// NULL or empty name.
std::string HostPath(const char* windowsPath);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using CFile = std::unique_ptr<std::FILE, FileCloser>;

// fopen() of a caller's path through the mapping; empty with the last error
// set when the name is NULL or empty or the file cannot be opened.
CFile OpenFile(const char* windowsPath, const char* mode);

// Replaces the file's content with `size` bytes in one step: written under a
// temporary name beside it, flushed to disk and renamed over it. On failure
// (a full disk, a missing folder) an existing file is untouched, no
// temporary is left, and false is returned with the last error set.
bool WriteWholeFile(const char* windowsPath, const void* data, size_t size);
// The same for a path that is already a Linux path (the layer's own files).
bool WriteWholeHostFile(const std::string& linuxPath, const void* data, size_t size);

#pragma GCC visibility pop

}  // namespace plat
