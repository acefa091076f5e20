// XY series: lines, markers and texts at data points.
#include <cmath>
#include <cstring>
#include <vector>

#include "drawing/draw_target.h"
#include "drawing/fonts.h"
#include "vekmath.h"

namespace vekmath {

enum MarkerStyle : LONG { kCircle = 1, kSquare = 2, kTriangle = 3, kCross = 4 };

void drawMarker(HDC dc, LONG style, LONG x, LONG y, LONG size) {
  switch (style) {
    case kCircle: Ellipse(dc, x - size, y - size, x + size, y + size); break;
    case kSquare: Rectangle(dc, x - size, y - size, x + size, y + size); break;
    case kTriangle: {
      const LONG half = pixel(size * std::sqrt(3.0) / 2.0);
      const POINT corners[3] = {{x, y - size}, {x + half, y + pixel(size / 2.0)}, {x - half, y + pixel(size / 2.0)}};
      Polygon(dc, corners, 3);
      break;
    }
    case kCross: {
      const LONG arm = pixel(size / std::sqrt(2.0));
      MoveToEx(dc, x - arm, y - arm, nullptr);
      LineTo(dc, x + arm, y + arm);
      MoveToEx(dc, x - arm, y + arm, nullptr);
      LineTo(dc, x + arm, y - arm);
      break;
    }
    default: break;
  }
}

namespace {

std::vector<POINT> pixels(const PlotFrame& f, const float* x, const float* y, LONG n) {
  std::vector<POINT> p(static_cast<size_t>(n));
  for (LONG i = 0; i < n; ++i) p[i] = POINT{f.px(x[i]), f.py(y[i])};
  return p;
}

// The target and series checked once for every XY primitive.
bool usable(const DrawTarget& t, const float* x, const float* y, LONG n) {
  return x != nullptr && y != nullptr && n >= 1 && t.drawable();
}

}  // namespace
}  // namespace vekmath

using namespace vekmath;

DLL_EXPORT void WINAPI DrawXY(const FLOAT* x, const FLOAT* y, LONG n, LONG style, LONG size) {
  const DrawTarget& t = drawTarget();
  if (!usable(t, x, y, n)) return;
  HDC dc = t.frame.dc;
  const std::vector<POINT> p = pixels(t.frame, x, y, n);
  GdiObject pen(t.makePen());
  Selection use(dc, pen.get());
  if (style == 0) {
    Polyline(dc, p.data(), n);
    return;
  }
  for (const POINT& at : p) drawMarker(dc, style, at.x, at.y, size);
}

DLL_EXPORT void WINAPI DrawXY2(const FLOAT* x, const FLOAT* y, LONG n, LONG style, const char* text, LONG fontHeight) {
  DrawTarget& t = drawTarget();
  if (!usable(t, x, y, n)) return;
  HDC dc = t.frame.dc;
  const std::vector<POINT> p = pixels(t.frame, x, y, n);
  // The template keeps the height and face: a later DrawTextAt without a
  // size of its own uses them.
  t.textTemplate.lfHeight = fontHeight;
  setGothicFace(t.textTemplate);
  GdiObject pen(t.makePen());
  GdiObject font(CreateFontIndirectA(&t.textTemplate));
  Selection usePen(dc, pen.get());
  Selection useFont(dc, font.get());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  const int length = text != nullptr ? static_cast<int>(std::strlen(text)) : 0;
  MoveToEx(dc, p[0].x, p[0].y, nullptr);
  for (const POINT& at : p) {
    if (style == 1) LineTo(dc, at.x, at.y);
    if (text == nullptr) continue;
    TextOutA(dc, at.x - length * tm.tmAveCharWidth / 2, at.y - tm.tmHeight / 2, text, length);
  }
}

DLL_EXPORT void WINAPI DrawXY3(const FLOAT* x, const FLOAT* y, const LONG* flags, LONG n, LONG style, LONG size) {
  const DrawTarget& t = drawTarget();
  if (!usable(t, x, y, n) || flags == nullptr) return;
  HDC dc = t.frame.dc;
  const std::vector<POINT> p = pixels(t.frame, x, y, n);
  GdiObject pen(t.makePen());
  Selection use(dc, pen.get());
  if (style == 0) {
    MoveToEx(dc, p[0].x, p[0].y, nullptr);
    for (LONG i = 1; i < n; ++i) {
      if (flags[i] != 0 && flags[i - 1] != 0) {
        LineTo(dc, p[i].x, p[i].y);
      } else {
        MoveToEx(dc, p[i].x, p[i].y, nullptr);
      }
    }
    return;
  }
  for (LONG i = 0; i < n; ++i)
    if (flags[i] == 1) drawMarker(dc, style, p[i].x, p[i].y, size);
}
