// The single drawing target's state: target, margins, ranges, scales, pen.
#include "drawing/draw_target.h"

#include "drawing/fonts.h"
#include "vekmath.h"

namespace vekmath {

DrawTarget& drawTarget() {
  static DrawTarget target;
  return target;
}

void DrawTarget::recompute() {
  frame.xMin = xMin;
  frame.yMin = yMin;
  frame.xMax = xMax;
  frame.yMax = yMax;
  const double plotWidth = static_cast<double>(frame.width) - frame.right - frame.left;
  const double plotHeight = static_cast<double>(frame.height) - frame.bottom - frame.top;
  frame.xUnits = (static_cast<double>(xMax) - xMin) / plotWidth;
  frame.yUnits = (static_cast<double>(yMax) - yMin) / plotHeight;
}

}  // namespace vekmath

using vekmath::drawTarget;

DLL_EXPORT void WINAPI SetDrawTarget(HWND window, HDC dc) {
  vekmath::DrawTarget& t = drawTarget();
  t.window = window;
  t.frame.dc = dc;
  RECT r{};
  if (window == nullptr || !GetWindowRect(window, &r)) r = RECT{0, 0, 0, 0};
  t.frame.width = r.right - r.left;
  t.frame.height = r.bottom - r.top;
  t.labelFont = vekmath::labelFont();
  t.textTemplate = vekmath::fontTemplate();
  t.textTemplate.lfHeight = vekmath::kTextFontHeight;
  t.recompute();
}

DLL_EXPORT void WINAPI SetDrawArea(LONG left, LONG right, LONG top, LONG bottom) {
  vekmath::DrawTarget& t = drawTarget();
  t.frame.left = left;
  t.frame.right = right;
  t.frame.top = top;
  t.frame.bottom = bottom;
  t.recompute();
}

DLL_EXPORT void WINAPI SetDrawRange(FLOAT xMin, FLOAT yMin, FLOAT xMax, FLOAT yMax) {
  vekmath::DrawTarget& t = drawTarget();
  t.xMin = xMin;
  t.yMin = yMin;
  t.xMax = xMax;
  t.yMax = yMax;
  t.recompute();
}

DLL_EXPORT void WINAPI SetPen(LONG style, LONG colour) {
  drawTarget().penStyle = style;
  drawTarget().penColour = colour;
}

DLL_EXPORT void WINAPI SetPen2(LONG style, LONG colour, LONG width) {
  SetPen(style, colour);
  drawTarget().penWidth = width;
}
