// DrawAxes and DrawAxes2 on the single drawing target.
#include <algorithm>

#include "drawing/draw_target.h"
#include "vekmath.h"

namespace {

void axes(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset, LONG xLabelYOffset,
          LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle, const LONG* style, bool full) {
  using namespace vekmath;
  if (style == nullptr) return;
  const DrawTarget& t = drawTarget();
  const AxesSpec spec{xStep,         yStep,       xOrigin,     yOrigin,  yLabelXOffset,
                      xLabelYOffset, xLabelEvery, yLabelEvery, gridStyle};
  // The callers' style records hold the six colours and no more.
  LONG colours[kAxesStyleValues];
  std::copy(style, style + kAxesStyleValues, colours);
  drawAxes(t.frame, spec, colours, t.labelFont, full);
}

}  // namespace

DLL_EXPORT void WINAPI DrawAxes(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset,
                                LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle,
                                const LONG* style) {
  axes(xStep, yStep, xOrigin, yOrigin, yLabelXOffset, xLabelYOffset, xLabelEvery, yLabelEvery, gridStyle, style, true);
}

DLL_EXPORT void WINAPI DrawAxes2(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset,
                                 LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle,
                                 const LONG* style) {
  axes(xStep, yStep, xOrigin, yOrigin, yLabelXOffset, xLabelYOffset, xLabelEvery, yLabelEvery, gridStyle, style, false);
}
