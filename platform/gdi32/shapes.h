// Lines and shapes drawn with a context's pen, brush and mix mode.
#pragma once
#include "gdi32/canvas.h"

namespace plat::gdi {

// The selected pen made ready for drawing.
struct Stroke {
  bool visible = false;
  LONG width = 1;
  Mix ink;
  Mix gap;
  bool opaque = false;
  Dashes dashes;
};
Stroke strokeOf(const Dc& dc);

// One segment with the stroke, end point left out; continues the context's
// dash pattern.
void penLine(Canvas& c, const Stroke& s, LONG x0, LONG y0, LONG x1, LONG y1);
void penLine(Canvas& c, LONG x0, LONG y0, LONG x1, LONG y1);
void polyline(Canvas& c, const POINT* points, int count);
void rectangle(Canvas& c, LONG left, LONG top, LONG right, LONG bottom);
void ellipse(Canvas& c, LONG left, LONG top, LONG right, LONG bottom);
void polygon(Canvas& c, const POINT* points, int count);

}  // namespace plat::gdi
