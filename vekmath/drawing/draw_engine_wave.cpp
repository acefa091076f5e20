// DrawWave: values at unit x spacing in five styles.
#include <algorithm>
#include <vector>

#include "drawing/draw_target.h"
#include "vekmath.h"

namespace vekmath {
namespace {

enum WaveStyle : LONG { kLine = 0, kBars = 1, kSteps = 2, kNeedles = 3, kFilledBars = 4, kOutlinedBars = 5 };

void drawSteps(HDC dc, const std::vector<POINT>& p, int32_t n) {
  std::vector<POINT> steps;
  steps.reserve(static_cast<size_t>(2 * n + 1));
  for (int32_t i = 0; i < n; ++i) {
    steps.push_back(p[i]);
    steps.push_back(POINT{p[i + 1].x, p[i].y});
  }
  steps.push_back(p[n]);
  Polyline(dc, steps.data(), static_cast<int>(steps.size()));
}

void drawBars(HDC dc, const std::vector<POINT>& p, int32_t n, LONG baseline) {
  for (int32_t i = 0; i < n; ++i) Rectangle(dc, p[i].x - 1, baseline, p[i + 1].x, p[i].y);
}

}  // namespace

void drawWave(DrawTarget& t, const float* values, int32_t n, LONG style, double xOffset, double yOffset) {
  const PlotFrame& f = t.frame;
  HDC dc = f.dc;
  // The points of the n values and one more a unit to the right at the
  // last value's height: the right edge of the last bar or step.
  std::vector<POINT> p(static_cast<size_t>(n) + 1);
  for (int32_t i = 0; i <= n; ++i) {
    const double v = values[std::min(i, n - 1)];
    p[i].x = f.left + pixel((i - f.xMin + xOffset) / f.xUnits);
    p[i].y = f.top + pixel((f.yMax - (yOffset + v)) / f.yUnits);
  }
  const LONG baseline = f.top + pixel((f.yMax - yOffset) / f.yUnits);

  GdiObject pen(t.makePen());
  GdiObject fillBrush(CreateSolidBrush(drawnColour(t.penColour)));
  GdiObject background(CreateSolidBrush(GetBkColor(dc)));
  Selection usePen(dc, pen.get());
  Selection useBrush(dc, background.get());
  switch (style) {
    case kLine: Polyline(dc, p.data(), n); break;
    case kSteps: drawSteps(dc, p, n); break;
    case kNeedles:
      for (int32_t i = 0; i <= n; ++i) {
        MoveToEx(dc, p[i].x, baseline, nullptr);
        LineTo(dc, p[i].x, p[i].y);
      }
      break;
    case kBars: drawBars(dc, p, n, baseline); break;
    case kFilledBars:
    case kOutlinedBars: {
      {
        Selection useFill(dc, fillBrush.get());
        drawBars(dc, p, n, baseline);
      }
      if (style != kOutlinedBars) break;
      GdiObject black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
      Selection useBlack(dc, black.get());
      Selection hollow(dc, GetStockObject(NULL_BRUSH));
      drawBars(dc, p, n, baseline);
      break;
    }
    default: break;
  }
}

}  // namespace vekmath

DLL_EXPORT void WINAPI DrawWave(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset) {
  vekmath::DrawTarget& t = vekmath::drawTarget();
  if (values == nullptr || n < 1 || !t.drawable()) return;
  vekmath::drawWave(t, values, n, style, xOffset, yOffset);
}

DLL_EXPORT void WINAPI DrawWave3(const FLOAT*, LONG, LONG, FLOAT, FLOAT) {}
