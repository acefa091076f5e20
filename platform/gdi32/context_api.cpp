// Device contexts and their attributes.
#include <winbase.h>
#include <winuser.h>

#include <utility>

#include "gdi32/canvas.h"
#include "gdi32/display_depth.h"

using namespace plat::gdi;

namespace {

constexpr int kPixelsPerInch = 96;

// Reads or changes one attribute of a context under its lock; `failed` when
// the handle is no context.
template <typename T, typename F>
T withDc(HDC hdc, T failed, F&& f) {
  DcPtr dc = findDc(handleValue(hdc));
  if (!dc) return failed;
  std::lock_guard<std::mutex> lock(dc->mutex);
  return f(*dc);
}

}  // namespace

PLATFORM_API HDC WINAPI GetDC(HWND hwnd) {
  if (hwnd != nullptr && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto dc = std::make_shared<Dc>();
  dc->hwnd = hwnd;
  return handleOf<HDC>(addDc(std::move(dc)));
}

PLATFORM_API int WINAPI ReleaseDC(HWND hwnd, HDC hdc) { return deleteDc(handleValue(hdc), false, hwnd) ? 1 : 0; }

PLATFORM_API HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc != nullptr && !findDc(handleValue(hdc))) return nullptr;
  auto dc = std::make_shared<Dc>();
  dc->memory = true;
  return handleOf<HDC>(addDc(std::move(dc)));
}

PLATFORM_API BOOL WINAPI DeleteDC(HDC hdc) { return deleteDc(handleValue(hdc), true, nullptr) ? TRUE : FALSE; }

PLATFORM_API int WINAPI GetDeviceCaps(HDC hdc, int index) {
  DcPtr dc = findDc(handleValue(hdc));
  if (!dc) return 0;
  LONG width = 0, height = 0;
  {
    std::lock_guard<std::mutex> lock(dc->mutex);
    if (dc->memory && dc->bitmapData) {
      width = dc->bitmapData->width;
      height = dc->bitmapData->height;
    }
  }
  if (!dc->memory) {
    RECT r{};
    if (GetClientRect(dc->hwnd ? dc->hwnd : GetDesktopWindow(), &r)) {
      width = r.right - r.left;
      height = r.bottom - r.top;
    }
  }
  switch (index) {
    case HORZRES: return width;
    case VERTRES: return height;
    case BITSPIXEL: return displayBitsPerPixel();
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case SIZEPALETTE: return displayBitsPerPixel() <= 8 ? 256 : 0;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHDIB;
    case LOGPIXELSX:
    case LOGPIXELSY: return kPixelsPerInch;
    default: return 0;
  }
}

PLATFORM_API BOOL WINAPI GdiFlush(void) { return TRUE; }

PLATFORM_API int WINAPI SetROP2(HDC hdc, int rop2) {
  if (!validRop2(rop2)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return withDc(hdc, 0, [&](Dc& dc) { return std::exchange(dc.rop2, rop2); });
}

PLATFORM_API int WINAPI GetROP2(HDC hdc) {
  return withDc(hdc, 0, [](Dc& dc) { return dc.rop2; });
}

PLATFORM_API int WINAPI SetBkMode(HDC hdc, int mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return withDc(hdc, 0, [&](Dc& dc) { return std::exchange(dc.bkMode, mode); });
}

PLATFORM_API int WINAPI GetBkMode(HDC hdc) {
  return withDc(hdc, 0, [](Dc& dc) { return dc.bkMode; });
}

PLATFORM_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color) {
  return withDc(hdc, CLR_INVALID, [&](Dc& dc) { return std::exchange(dc.bkColor, color & 0xFFFFFFu); });
}

PLATFORM_API COLORREF WINAPI GetBkColor(HDC hdc) {
  return withDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.bkColor; });
}

PLATFORM_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  return withDc(hdc, CLR_INVALID, [&](Dc& dc) { return std::exchange(dc.textColor, color & 0xFFFFFFu); });
}

PLATFORM_API COLORREF WINAPI GetTextColor(HDC hdc) {
  return withDc(hdc, CLR_INVALID, [](Dc& dc) { return dc.textColor; });
}

PLATFORM_API int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return withDc(hdc, 0, [&](Dc& dc) { return std::exchange(dc.stretchMode, mode); });
}

PLATFORM_API int WINAPI GetStretchBltMode(HDC hdc) {
  return withDc(hdc, 0, [](Dc& dc) { return dc.stretchMode; });
}
