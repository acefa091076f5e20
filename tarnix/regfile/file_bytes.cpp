#include "regfile/file_bytes.h"

#include <platform/host_files.h>

#include <cstdio>

namespace tarnix {

std::optional<std::string> ReadWholeFile(const char* path) {
  plat::CFile file = plat::OpenFile(path, "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const char* path, std::string_view bytes) {
  return plat::WriteWholeFile(path, bytes.data(), bytes.size());
}

}  // namespace tarnix
