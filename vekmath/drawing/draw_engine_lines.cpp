// DrawLine and DrawLineRECT on the single drawing target.
#include "drawing/draw_target.h"
#include "vekmath.h"

using namespace vekmath;

DLL_EXPORT void WINAPI DrawLine(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2) {
  const DrawTarget& t = drawTarget();
  if (!t.drawable()) return;
  const PlotFrame& f = t.frame;
  GdiObject pen(t.makePen());
  Selection use(f.dc, pen.get());
  MoveToEx(f.dc, f.px(x1), f.py(y1), nullptr);
  LineTo(f.dc, f.px(x2), f.py(y2));
}

DLL_EXPORT void WINAPI DrawLineRECT(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, LONG fill) {
  const DrawTarget& t = drawTarget();
  if (!t.drawable()) return;
  const PlotFrame& f = t.frame;
  const LONG l = f.px(x1), top = f.py(y1), r = f.px(x2), b = f.py(y2);
  GdiObject pen(t.makePen());
  Selection usePen(f.dc, pen.get());
  if (fill == 1) {
    GdiObject brush(CreateSolidBrush(drawnColour(t.penColour)));
    Selection useBrush(f.dc, brush.get());
    Rectangle(f.dc, l, top, r, b);
    return;
  }
  const POINT sides[5] = {{l, top}, {r, top}, {r, b}, {l, b}, {l, top}};
  for (int i = 0; i < 4; ++i) {
    MoveToEx(f.dc, sides[i].x, sides[i].y, nullptr);
    LineTo(f.dc, sides[i + 1].x, sides[i + 1].y);
  }
}
