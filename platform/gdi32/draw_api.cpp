// Lines, shapes and pixels. FillRect is user32's; it draws through this layer.
#include <winbase.h>

#include "gdi32/shapes.h"

using namespace plat::gdi;

namespace {
bool badPoints(const POINT* points, int count, int least) {
  if (points == nullptr || count < least) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return true;
  }
  return false;
}
}  // namespace

PLATFORM_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous) {
  Canvas c(hdc);
  if (!c) return FALSE;
  if (previous) *previous = c.dc().position;
  c.dc().position = POINT{x, y};
  c.dc().dashPhase = 0;
  return TRUE;
}

PLATFORM_API BOOL WINAPI LineTo(HDC hdc, int x, int y) {
  Canvas c(hdc);
  if (!c) return FALSE;
  const POINT from = c.dc().position;
  penLine(c, from.x, from.y, x, y);
  c.dc().position = POINT{x, y};
  return TRUE;
}

PLATFORM_API BOOL WINAPI Polyline(HDC hdc, const POINT* points, int count) {
  if (badPoints(points, count, 2)) return FALSE;
  Canvas c(hdc);
  if (!c) return FALSE;
  polyline(c, points, count);
  return TRUE;
}

PLATFORM_API BOOL WINAPI Polygon(HDC hdc, const POINT* points, int count) {
  if (badPoints(points, count, 2)) return FALSE;
  Canvas c(hdc);
  if (!c) return FALSE;
  polygon(c, points, count);
  return TRUE;
}

PLATFORM_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  Canvas c(hdc);
  if (!c) return FALSE;
  rectangle(c, left, top, right, bottom);
  return TRUE;
}

PLATFORM_API BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  Canvas c(hdc);
  if (!c) return FALSE;
  ellipse(c, left, top, right, bottom);
  return TRUE;
}

PLATFORM_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH hbr) {
  Brush brush;
  if (rect == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!findBrush(handleValue(hbr), &brush)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  Canvas c(hdc);
  if (!c) return 0;
  // The brush is copied whatever the mix mode.
  if (!brush.hollow && !c.target().empty()) {
    fill(c.target(), rect->left, rect->top, rect->right, rect->bottom, mixOf(R2_COPYPEN, brush.color), c.changed());
  }
  return 1;
}

PLATFORM_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Canvas c(hdc);
  if (!c || !c.target().inside(x, y)) return CLR_INVALID;
  c.target().row(y)[x] = pixelOf(color);
  c.changed().add(x, y, x + 1, y + 1);
  return color & 0xFFFFFFu;
}

PLATFORM_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
  Canvas c(hdc);
  if (!c || !c.target().inside(x, y)) return CLR_INVALID;
  return colorOf(c.target().row(y)[x]);
}
