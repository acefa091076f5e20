// DrawTextAt and its size and angle.
#include <cstring>

#include "drawing/draw_target.h"
#include "drawing/fonts.h"
#include "vekmath.h"

using namespace vekmath;

DLL_EXPORT void WINAPI DrawTextAt(FLOAT x, FLOAT y, const char* text) {
  const DrawTarget& t = drawTarget();
  if (text == nullptr || !t.drawable()) return;
  const PlotFrame& f = t.frame;
  LOGFONTA lf = t.textTemplate;
  setGothicFace(lf);
  lf.lfEscapement = static_cast<LONG>(t.textAngle * 10.0f);
  if (t.textWidth != 0) {
    lf.lfWidth = t.textWidth;
    if (t.textHeight != 0) lf.lfHeight = t.textHeight;
  } else {
    lf.lfHeight = t.textHeight;
  }
  GdiObject pen(t.makePen());
  GdiObject font(CreateFontIndirectA(&lf));
  Selection usePen(f.dc, pen.get());
  Selection useFont(f.dc, font.get());
  // Text is drawn in the context's text colour, not the pen's: the pen's
  // colour is lent to it for this call, so that labels come out in the
  // colour the caller chose with SetPen.
  const COLORREF previous = SetTextColor(f.dc, drawnColour(t.penColour));
  TextOutA(f.dc, f.px(x), f.py(y), text, static_cast<int>(std::strlen(text)));
  SetTextColor(f.dc, previous);
}

DLL_EXPORT void WINAPI SetTextSize(LONG width, LONG height) {
  drawTarget().textWidth = width;
  drawTarget().textHeight = height;
}

DLL_EXPORT void WINAPI SetTextAngle(FLOAT degrees) { drawTarget().textAngle = degrees; }
