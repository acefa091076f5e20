// The single drawing target: one per process, set by SetDrawTarget and
// drawn on by the primitives at once. Everything here runs on the caller's
// window thread.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include "drawing/plot_frame.h"

namespace vekmath {

struct DrawTarget {
  HWND window = nullptr;
  PlotFrame frame;
  float xMin = 0.0f, yMin = 0.0f, xMax = 0.0f, yMax = 0.0f;

  LONG penStyle = PS_SOLID;
  LONG penColour = 0;
  LONG penWidth = 1;

  LOGFONTA labelFont{};     // the axis labels
  LOGFONTA textTemplate{};  // DrawTextAt's fonts and DrawXY2's
  LONG textWidth = 0;
  LONG textHeight = 0;
  float textAngle = 0.0f;

  // The scales from the window size, margins and ranges.
  void recompute();
  HPEN makePen() const { return CreatePen(penStyle, penWidth, drawnColour(penColour)); }
  // A context to draw on and scales that place something on it.
  bool drawable() const { return frame.dc != nullptr && frame.drawable(); }
};

DrawTarget& drawTarget();

// The wave of DrawWave on the current scales (n >= 1).
void drawWave(DrawTarget& t, const float* values, int32_t n, LONG style, double xOffset, double yOffset);
// The marker of an XY style (1 to 4) at pixel (x, y).
void drawMarker(HDC dc, LONG style, LONG x, LONG y, LONG size);

}  // namespace vekmath
