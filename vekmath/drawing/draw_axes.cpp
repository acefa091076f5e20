// Axes on a plot: backgrounds, grid, axis lines with ticks, frame and
// "%g" labels. The single drawing target and the graph table draw them.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "drawing/plot_frame.h"

namespace vekmath {
namespace {

constexpr LONG kTickHalf = 4;

bool shown(LONG colour) { return colour != -1; }

void fill(const PlotFrame& f, LONG colour, const RECT& r) {
  GdiObject brush(CreateSolidBrush(drawnColour(colour)));
  FillRect(f.dc, &r, static_cast<HBRUSH>(brush.get()));
}

void line(HDC dc, LONG x1, LONG y1, LONG x2, LONG y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void drawGrid(const PlotFrame& f, const AxesSpec& s, LONG colour) {
  GdiObject pen(CreatePen(s.gridStyle, 1, drawnColour(colour)));
  Selection use(f.dc, pen.get());
  forEachStep(s.xOrigin, s.xStep, f.xMin, f.xMax, false, [&](double x) {
    line(f.dc, f.px(x), f.top, f.px(x), f.plotBottom());
  });
  forEachStep(s.yOrigin, s.yStep, f.yMin, f.yMax, false, [&](double y) {
    line(f.dc, f.left, f.py(y), f.plotRight(), f.py(y));
  });
}

void drawAxisLines(const PlotFrame& f, const AxesSpec& s, LONG colour) {
  GdiObject pen(CreatePen(PS_SOLID, 1, drawnColour(colour)));
  Selection use(f.dc, pen.get());
  if (s.xOrigin >= f.xMin && s.xOrigin <= f.xMax) {
    const LONG x = f.px(s.xOrigin);
    line(f.dc, x, f.top, x, f.plotBottom());
    forEachStep(s.yOrigin, s.yStep, f.yMin, f.yMax, false, [&](double y) {
      line(f.dc, x - kTickHalf, f.py(y), x + kTickHalf, f.py(y));
    });
  }
  if (s.yOrigin >= f.yMin && s.yOrigin <= f.yMax) {
    const LONG y = f.py(s.yOrigin);
    line(f.dc, f.left, y, f.plotRight(), y);
    forEachStep(s.xOrigin, s.xStep, f.xMin, f.xMax, false, [&](double x) {
      line(f.dc, f.px(x), y - kTickHalf, f.px(x), y + kTickHalf);
    });
  }
}

// "%g" of a label value; a value a rounding error away from 0 is 0.
int labelText(double value, double step, char (&text)[32]) {
  if (std::fabs(value) < std::fabs(step) * 1e-9) value = 0.0;
  const int n = std::snprintf(text, sizeof text, "%g", value);
  return n > 0 && n < static_cast<int>(sizeof text) ? n : 0;
}

void drawLabels(const PlotFrame& f, const AxesSpec& s, LONG colour, const LOGFONTA& labelFont) {
  GdiObject font(CreateFontIndirectA(&labelFont));
  Selection use(f.dc, font.get());
  const COLORREF previous = SetTextColor(f.dc, drawnColour(colour));
  TEXTMETRICA tm{};
  GetTextMetricsA(f.dc, &tm);
  char text[32];
  if (s.xLabelEvery > 0) {
    const double step = static_cast<double>(s.xStep) * s.xLabelEvery;
    const LONG top = f.py(s.yOrigin) + s.xLabelYOffset;
    forEachStep(s.xOrigin, step, f.xMin, f.xMax, true, [&](double x) {
      const int n = labelText(x, step, text);
      TextOutA(f.dc, f.px(x) - n * tm.tmAveCharWidth / 2, top, text, n);
    });
  }
  if (s.yLabelEvery > 0) {
    const double step = static_cast<double>(s.yStep) * s.yLabelEvery;
    const LONG x = f.px(s.xOrigin) + s.yLabelXOffset;
    forEachStep(s.yOrigin, step, f.yMin, f.yMax, true, [&](double y) {
      const int n = labelText(y, step, text);
      // Left of the axis, the text ends where the offset points.
      const LONG left = s.yLabelXOffset < 0 ? x - n * tm.tmAveCharWidth : x;
      TextOutA(f.dc, left, f.py(y) - tm.tmHeight / 2, text, n);
    });
  }
  SetTextColor(f.dc, previous);
}

}  // namespace

void drawAxes(const PlotFrame& f, const AxesSpec& s, const LONG (&style)[kAxesStyleValues], const LOGFONTA& labelFont,
              bool full) {
  if (f.dc == nullptr || !f.drawable()) return;
  if (full && shown(style[0])) fill(f, style[0], RECT{0, 0, f.width, f.height});
  if (full && shown(style[1])) fill(f, style[1], RECT{f.left, f.top, f.plotRight(), f.plotBottom()});
  if (full && shown(style[4])) {
    GdiObject pen(CreatePen(PS_SOLID, 1, drawnColour(style[4])));
    Selection usePen(f.dc, pen.get());
    Selection hollow(f.dc, GetStockObject(NULL_BRUSH));
    Rectangle(f.dc, f.left, f.top, f.plotRight(), f.plotBottom());
  }
  if (shown(style[2])) drawGrid(f, s, style[2]);
  if (shown(style[3])) drawAxisLines(f, s, style[3]);
  if (shown(style[5])) drawLabels(f, s, style[5], labelFont);
}

}  // namespace vekmath
