// Surfaces written as 32-bit BMP files.
#include <platform/host_files.h>
#include <platform/surface_file.h>
#include <winbase.h>

#include <cstring>
#include <vector>

#include "gdi32/canvas.h"

using namespace plat::gdi;

namespace {

bool saveTarget(const Target& t, const char* path) {
  if (t.empty() || path == nullptr || *path == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const uint32_t image = static_cast<uint32_t>(t.width) * static_cast<uint32_t>(t.height) * 4u;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + image;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = t.width;
  info.biHeight = t.height;
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  info.biSizeImage = image;
  std::vector<uint8_t> bytes(file.bfOffBits);
  std::memcpy(bytes.data(), &file, sizeof file);
  std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
  bytes.reserve(file.bfSize);
  for (LONG y = t.height - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const uint8_t*>(t.row(y));
    bytes.insert(bytes.end(), row, row + static_cast<size_t>(t.width) * 4);
  }
  // Whole or not at all: a full disk keeps the picture saved before.
  return plat::WriteWholeHostFile(path, bytes.data(), bytes.size());
}

}  // namespace

PLATFORM_API BOOL WINAPI PlatSaveSurfaceBmp(const PlatSurface* s, const char* path) {
  if (s == nullptr || s->pixels == nullptr || s->stride < s->width * 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return saveTarget(Target{static_cast<uint8_t*>(s->pixels), s->stride, s->width, s->height}, path) ? TRUE : FALSE;
}

PLATFORM_API BOOL WINAPI PlatSaveDcBmp(HDC hdc, const char* path) {
  Canvas c(hdc);
  if (!c) return FALSE;
  return saveTarget(c.target(), path) ? TRUE : FALSE;
}
