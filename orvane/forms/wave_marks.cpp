// The waveform's marks: lines, cross-hairs, cursors, labels and rectangles
// over the window last drawn.
#include <algorithm>

#include "core/single_text.h"
#include "core/toolkit.h"
#include "wave_display.h"

namespace orvane::core {

using forms::PictureBox;
using namespace forms::wave;

namespace {

// Value distances of a number of pixels over the displayed window.
float PxX(WaveForm& w, PictureBox* picture, int32_t pixels) {
  float a = 0, b = 0;
  return w.PixelToValueX(pixels, picture, a, b);
}
float PxY(WaveForm& w, PictureBox* picture, int32_t pixels) {
  float a = 0, b = 0;
  return w.PixelToValueY(pixels, picture, a, b);
}

// PrepareMarks over the displayed window; the window itself stays. False
// without a picture: there is nothing to mark and no pixel size.
bool Prepare(WaveForm& w, PictureBox* picture, int32_t& hDC) {
  if (!picture && !w.Picture()) return false;
  int32_t start = w.DisplayStart();
  w.PrepareMarks(start, w.DisplayWidth(), picture, hDC);
  return true;
}
bool Prepare(WaveForm& w, PictureBox* picture) {
  int32_t ownDc = kOwnDC;
  return Prepare(w, picture, ownDc);
}

void Line(float x1, float y1, float x2, float y2) { Call(Api().DrawLine, x1, y1, x2, y2); }

}  // namespace

void WaveForm::DrawLevelLine(float level, int32_t& lStart, int32_t lWidth, int32_t colour, int32_t penStyle,
                             int32_t& hDC) {
  if (drawEnabled_ != 1) return;
  if (lStart < 0) lStart = 0;
  if (!Prepare(*this, nullptr, hDC)) return;
  Call(Api().SetPen, penStyle, colour);
  Line(static_cast<float>(lStart), level, static_cast<float>(int64_t{lStart} + lWidth), level);
}

void WaveForm::DrawMarkerLine(float& x, int32_t colour, int32_t penStyle) {
  if (drawEnabled_ != 1) return;
  if (x < 0) x = 0;
  Call(Api().SetPen, penStyle, colour);
  Call(Api().SetDrawRange, 0.0f, 0.0f, static_cast<float>(displayWidth_), 1.0f);
  Line(x, 0, x, 1);
}

void WaveForm::DrawSegmentLine(float X1, float Y1, float X2, float Y2, int32_t colour, int32_t penStyle,
                               PictureBox* pbx, int32_t start, int32_t width, int32_t& hDC) {
  if (drawEnabled_ != 1) return;
  if (start != -1) displayStart_ = start;
  if (width != -1) displayWidth_ = width;
  if (!Prepare(*this, pbx, hDC)) return;
  Call(Api().SetPen, penStyle, colour);
  Line(X1, Y1, X2, Y2);
}

void WaveForm::DrawCrossHair(float x, float y, PictureBox* pbx, bool bU, bool bD, bool bL, bool bR, int32_t& hDC,
                             int32_t& lCol) {
  if (lCol == -1) lCol = kRed;
  if (drawEnabled_ != 1) return;
  if (!Prepare(*this, pbx, hDC)) return;
  Call(Api().SetPen, 0, lCol);
  const float near_x = PxX(*this, pbx, 5), far_x = PxX(*this, pbx, 15);
  const float near_y = PxY(*this, pbx, 5), far_y = PxY(*this, pbx, 15);
  if (bL) Line(x - far_x, y, x - near_x, y);
  if (bR) Line(x + far_x, y, x + near_x, y);
  if (bU) Line(x, y + far_y, x, y + near_y);
  if (bD) Line(x, y - far_y, x, y - near_y);
}

void WaveForm::DrawCursorLines(float x, float y, PictureBox* pbx, bool bV, bool bH) {
  if (drawEnabled_ != 1) return;
  if (!Prepare(*this, pbx)) return;
  if (bV) Line(x, y + PxY(*this, pbx, 8), x, y - PxY(*this, pbx, 8));
  if (bH) Line(x - PxX(*this, pbx, 8), y, x + PxX(*this, pbx, 8), y);
}

void WaveForm::DrawLabel(const std::string& text, float x, float y, PictureBox* pbx, int32_t lPxlx, int32_t lPxly,
                         int32_t& hDC) {
  if (drawEnabled_ != 1) return;
  if (!Prepare(*this, pbx, hDC)) return;
  Call(Api().SetTextSize, kCharWidth, kCharHeight);
  Call(Api().DrawTextAt, x + PxX(*this, pbx, lPxlx), y + PxY(*this, pbx, lPxly), text.c_str());
}

void WaveForm::DrawLevelMark(float x, float y, PictureBox* pbx) {
  if (drawEnabled_ != 1) return;
  if (!Prepare(*this, pbx)) return;
  const float dx = PxX(*this, pbx, 5), dy = PxY(*this, pbx, 5);
  Line(x - dx, y, x + dx, y);
  Line(x, y - dy, x, y + dy);
  Call(Api().SetTextSize, kCharWidth, kCharHeight);
  Call(Api().DrawTextAt, x, y + PxY(*this, pbx, 10), SingleText(y).c_str());
  Call(Api().DrawTextAt, x, y + PxY(*this, pbx, 18), SingleText(x).c_str());
}

void WaveForm::DrawRect(float sngX1, float sngY1, float sngX2, float sngY2, int32_t colour, int32_t penStyle, bool bT,
                        bool bB, bool bL, bool bR, int32_t start, int32_t width, bool bFill) {
  if (drawEnabled_ != 1) return;
  if (start != -1) displayStart_ = start;
  if (width != -1) displayWidth_ = width;
  if (!Prepare(*this, nullptr)) return;
  Call(Api().SetPen, penStyle, colour);
  if (bFill) {
    Call(Api().DrawLineRECT, sngX1, sngY1, sngX2, sngY2, 1);
    return;
  }
  const float left = std::min(sngX1, sngX2), right = std::max(sngX1, sngX2);
  const float top = std::max(sngY1, sngY2), bottom = std::min(sngY1, sngY2);
  if (bT) Line(left, top, right, top);
  if (bB) Line(left, bottom, right, bottom);
  if (bL) Line(left, bottom, left, top);
  if (bR) Line(right, bottom, right, top);
}

void WaveForm::DrawEventMarks(int32_t lPos, const std::vector<float>& sngUP, const std::vector<float>& sngDP,
                              int32_t lUPC, int32_t lDPC) {
  const struct {
    const std::vector<float>& positions;
    int32_t count;
    bool up;
  } kinds[] = {{sngUP, lUPC, true}, {sngDP, lDPC, false}};
  for (const auto& kind : kinds) {
    const int32_t n = std::min<int32_t>(kind.count, static_cast<int32_t>(kind.positions.size()));
    for (int32_t k = 0; k < n; ++k) {
      const float x = kind.positions[k] + static_cast<float>(lPos);
      int32_t ownDc = kOwnDC, colour = kRed;
      DrawCrossHair(x, Sample(CLng(x)), nullptr, kind.up, !kind.up, false, false, ownDc, colour);
    }
  }
}

}  // namespace orvane::core
