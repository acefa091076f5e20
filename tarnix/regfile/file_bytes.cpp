#include "regfile/file_bytes.h"

#include <cstdio>
#include <memory>

namespace tarnix {

namespace {

struct Closer {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

}  // namespace

std::optional<std::string> ReadWholeFile(const char* path) {
  File file(std::fopen(path, "rb"));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const char* path, std::string_view bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  // A full disk may show only when the buffer is flushed at the close.
  return std::fclose(file) == 0 && written;
}

}  // namespace tarnix
