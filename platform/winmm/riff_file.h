// One file opened through the multimedia file I/O: a read-only stdio
// stream with the chunk walk of a RIFF file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace plat::mm {

class RiffFile {
 public:
  // nullptr when the file cannot be opened for reading.
  static std::unique_ptr<RiffFile> open(const std::string& linuxPath);

  LONG read(char* buffer, LONG count);
  MMRESULT descend(MMCKINFO& chunk, const MMCKINFO* parent, UINT flags);
  MMRESULT ascend(const MMCKINFO& chunk);
  // False beyond the end of the file.
  bool seek(uint64_t position);
  uint64_t size() const { return size_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  explicit RiffFile(std::FILE* file, uint64_t size) : file_(file), size_(size) {}
  // Reads the header at the current position; false at the end or short.
  bool readHeader(MMCKINFO& chunk);

  std::unique_ptr<std::FILE, Closer> file_;
  uint64_t size_;
};

}  // namespace plat::mm
