// Bitmaps and the copies between surfaces.
#include <winbase.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "gdi32/canvas.h"
#include "gdi32/display_depth.h"

using namespace plat::gdi;

namespace {

// Keeps one bitmap below 1 GiB of pixels.
constexpr int64_t kMaxPixels = int64_t{1} << 28;

std::shared_ptr<Bitmap> makeBitmap(LONG width, LONG height, bool bottomUp, uint32_t initial) {
  if (width <= 0 || height <= 0 || int64_t{width} * height > kMaxPixels) {
    SetLastError(width <= 0 || height <= 0 ? ERROR_INVALID_PARAMETER : ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto b = std::make_shared<Bitmap>();
  b->width = width;
  b->height = height;
  b->storage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), initial);
  b->bits = b->storage.data();
  const ptrdiff_t rowBytes = ptrdiff_t{width} * 4;
  auto* start = reinterpret_cast<uint8_t*>(b->storage.data());
  b->stride = bottomUp ? -rowBytes : rowBytes;
  b->top = bottomUp ? start + rowBytes * (height - 1) : start;
  return b;
}

}  // namespace

PLATFORM_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
  if (!findDc(handleValue(hdc))) return nullptr;
  auto b = makeBitmap(cx, cy, false, 0xFF000000u);
  return b ? handleOf<HBITMAP>(addBitmap(std::move(b))) : nullptr;
}

PLATFORM_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                             HANDLE section, DWORD offset) {
  (void)offset;
  if (bits) *bits = nullptr;
  if (hdc != nullptr && !findDc(handleValue(hdc))) return nullptr;
  if (info == nullptr || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biBitCount != 32 ||
      info->bmiHeader.biCompression != BI_RGB || info->bmiHeader.biHeight == INT32_MIN ||
      usage != DIB_RGB_COLORS || section != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const LONG h = info->bmiHeader.biHeight;
  auto b = makeBitmap(info->bmiHeader.biWidth, h < 0 ? -h : h, h > 0, 0);
  if (!b) return nullptr;
  b->section = true;
  void* start = b->bits;
  const uint32_t handle = addBitmap(std::move(b));
  if (handle && bits) *bits = start;
  return handleOf<HBITMAP>(handle);
}

PLATFORM_API BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (rop != SRCCOPY) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // Read the source first, then write: the two contexts are never held at
  // once, so copies between any two (or within one) cannot deadlock.
  std::vector<uint32_t> pixels;
  LONG sx0 = 0, sy0 = 0, w = 0, h = 0;
  {
    Canvas src(hdcSrc);
    if (!src) return FALSE;
    const Target& t = src.target();
    if (cx <= 0 || cy <= 0 || t.empty()) return TRUE;
    const int64_t left = std::max<int64_t>(x1, 0), top = std::max<int64_t>(y1, 0);
    const int64_t right = std::min<int64_t>(int64_t{x1} + cx, t.width);
    const int64_t bottom = std::min<int64_t>(int64_t{y1} + cy, t.height);
    if (right <= left || bottom <= top) return TRUE;
    sx0 = static_cast<LONG>(left);
    sy0 = static_cast<LONG>(top);
    w = static_cast<LONG>(right - left);
    h = static_cast<LONG>(bottom - top);
    pixels.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (LONG r = 0; r < h; ++r) {
      std::memcpy(&pixels[static_cast<size_t>(r) * w], t.row(sy0 + r) + sx0, static_cast<size_t>(w) * 4);
    }
  }
  Canvas dst(hdc);
  if (!dst) return FALSE;
  const Target& t = dst.target();
  if (t.empty()) return TRUE;
  const int64_t dx0 = int64_t{x} + (sx0 - x1), dy0 = int64_t{y} + (sy0 - y1);
  for (LONG r = 0; r < h; ++r) {
    const int64_t dy = dy0 + r;
    if (dy < 0 || dy >= t.height) continue;
    const int64_t from = std::max<int64_t>(dx0, 0), to = std::min<int64_t>(dx0 + w, t.width);
    if (to <= from) continue;
    std::memcpy(t.row(static_cast<LONG>(dy)) + from, &pixels[static_cast<size_t>(r) * w + (from - dx0)],
                static_cast<size_t>(to - from) * 4);
    dst.changed().add(static_cast<LONG>(from), static_cast<LONG>(dy), static_cast<LONG>(to),
                      static_cast<LONG>(dy + 1));
  }
  return TRUE;
}

PLATFORM_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                                      int ySrc, int srcWidth, int srcHeight, const void* bits,
                                      const BITMAPINFO* info, UINT usage, DWORD rop) {
  if (bits == nullptr || info == nullptr || usage != DIB_RGB_COLORS || rop != SRCCOPY ||
      info->bmiHeader.biCompression != BI_RGB ||
      (info->bmiHeader.biBitCount != 24 && info->bmiHeader.biBitCount != 32) || info->bmiHeader.biWidth <= 0 ||
      info->bmiHeader.biHeight == 0 || info->bmiHeader.biHeight == INT32_MIN || destWidth <= 0 ||
      destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Canvas c(hdc);
  if (!c) return 0;
  const Target& t = c.target();
  if (t.empty()) return srcHeight;
  const int bytes = info->bmiHeader.biBitCount / 8;
  const LONG dibWidth = info->bmiHeader.biWidth;
  const bool bottomUp = info->bmiHeader.biHeight > 0;
  const LONG dibHeight = bottomUp ? info->bmiHeader.biHeight : -info->bmiHeader.biHeight;
  const size_t rowBytes = ((static_cast<size_t>(info->bmiHeader.biBitCount) * dibWidth + 31) / 32) * 4;
  const auto* src = static_cast<const uint8_t*>(bits);
  const int64_t yFrom = std::max<int64_t>(yDest, 0), yTo = std::min<int64_t>(int64_t{yDest} + destHeight, t.height);
  const int64_t xFrom = std::max<int64_t>(xDest, 0), xTo = std::min<int64_t>(int64_t{xDest} + destWidth, t.width);
  for (int64_t dy = yFrom; dy < yTo; ++dy) {
    // Nearest source row, counted from the top of the source rectangle. A
    // bottom-up picture's rectangle is placed from its bottom row.
    const int64_t j = dy - yDest;
    const int64_t sr = ((2 * j + 1) * srcHeight) / (2 * int64_t{destHeight});
    const int64_t memRow = bottomUp ? int64_t{ySrc} + srcHeight - 1 - sr : int64_t{ySrc} + sr;
    if (memRow < 0 || memRow >= dibHeight) continue;
    const uint8_t* line = src + static_cast<size_t>(memRow) * rowBytes;
    uint32_t* out = t.row(static_cast<LONG>(dy));
    bool any = false;
    for (int64_t dx = xFrom; dx < xTo; ++dx) {
      const int64_t i = dx - xDest;
      const int64_t sx = int64_t{xSrc} + ((2 * i + 1) * srcWidth) / (2 * int64_t{destWidth});
      if (sx < 0 || sx >= dibWidth) continue;
      const uint8_t* p = line + static_cast<size_t>(sx) * bytes;
      out[dx] = 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
      any = true;
    }
    if (any) c.changed().add(static_cast<LONG>(xFrom), static_cast<LONG>(dy), static_cast<LONG>(xTo),
                             static_cast<LONG>(dy + 1));
  }
  return srcHeight;
}

PLATFORM_API UINT WINAPI GetSystemPaletteEntries(HDC hdc, UINT start, UINT count, LPPALETTEENTRY entries) {
  if (!findDc(handleValue(hdc)) || displayBitsPerPixel() > 8 || start >= 256) return 0;
  count = std::min(count, 256u - start);
  if (entries != nullptr)
    for (UINT i = 0; i < count; ++i) entries[i] = systemPaletteEntry(start + i);
  return count;
}
