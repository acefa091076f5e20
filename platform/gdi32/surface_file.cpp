// Surfaces written as 32-bit BMP files.
#include <platform/surface_file.h>
#include <winbase.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "gdi32/canvas.h"

using namespace plat::gdi;

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

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
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path, "wb"));
  if (!f) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
    return false;
  }
  bool ok = std::fwrite(&file, sizeof(file), 1, f.get()) == 1 && std::fwrite(&info, sizeof(info), 1, f.get()) == 1;
  for (LONG y = t.height - 1; ok && y >= 0; --y) {
    ok = std::fwrite(t.row(y), 4, static_cast<size_t>(t.width), f.get()) == static_cast<size_t>(t.width);
  }
  ok = std::fclose(f.release()) == 0 && ok;
  if (!ok) SetLastError(ERROR_WRITE_FAULT);
  return ok;
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
