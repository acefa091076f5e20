// A plot on a device context: the window size, the margins, the data ranges
// and the scales between data and pixels. The single drawing target and
// every graph of the graph table are one each; the axes are drawn from it.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cmath>
#include <cstdint>

#include "drawing/gdi_support.h"

namespace vekmath {

struct PlotFrame {
  HDC dc = nullptr;
  LONG width = 0;
  LONG height = 0;
  LONG left = 0;
  LONG right = 0;
  LONG top = 0;
  LONG bottom = 0;
  double xMin = 0.0;
  double yMin = 0.0;
  double xMax = 0.0;
  double yMax = 0.0;
  double xUnits = 0.0;  // x units per pixel
  double yUnits = 0.0;

  // Both scales positive (and finite): anything can be drawn.
  bool drawable() const { return std::isfinite(xUnits) && std::isfinite(yUnits) && xUnits > 0.0 && yUnits > 0.0; }
  LONG px(double x) const { return left + pixel((x - xMin) / xUnits); }
  LONG py(double y) const { return top + pixel((yMax - y) / yUnits); }
  // The plot area's right and bottom edges.
  LONG plotRight() const { return width - right; }
  LONG plotBottom() const { return height - bottom; }
};

// The nine scalar values of an axes drawing.
struct AxesSpec {
  float xStep = 0.0f;
  float yStep = 0.0f;
  float xOrigin = 0.0f;
  float yOrigin = 0.0f;
  LONG yLabelXOffset = 0;
  LONG xLabelYOffset = 0;
  LONG xLabelEvery = 0;
  LONG yLabelEvery = 0;
  LONG gridStyle = 0;
};

inline constexpr int kAxesStyleValues = 6;

// Grid lines, ticks and labels stop after this many in one direction, so a
// tiny step over a huge range cannot keep the window thread for minutes
// (a line on every pixel of the widest window takes far fewer).
inline constexpr int32_t kMaxAxisMarks = 20000;

// full: the window and plot fills and the frame too (DrawAxes); otherwise
// the grid, axes and labels only (DrawAxes2). style holds six colours.
void drawAxes(const PlotFrame& f, const AxesSpec& spec, const LONG (&style)[kAxesStyleValues],
              const LOGFONTA& labelFont, bool full);

// The positions origin + i x step that lie in [low, high) (high included
// when `closed`), smallest first; none for a step of 0 or less.
template <typename F>
void forEachStep(double origin, double step, double low, double high, bool closed, F&& f) {
  if (!(step > 0.0) || !std::isfinite(step) || !std::isfinite(origin) || !(low <= high)) return;
  const double first = std::ceil((low - origin) / step);
  if (!std::isfinite(first)) return;
  for (int32_t i = 0; i < kMaxAxisMarks; ++i) {
    const double v = origin + (first + i) * step;
    if (closed ? v > high : v >= high) return;
    f(v);
  }
}

}  // namespace vekmath
