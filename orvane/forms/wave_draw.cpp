// The waveform's full draws, its paging and the y ranges they use.
#include <algorithm>
#include <string>

#include "core/toolkit.h"
#include "wave_display.h"

namespace orvane::core {

using forms::PictureBox;
using namespace forms::wave;

namespace {

// Sets the target, margins and pens of a full draw; false when nothing may
// be drawn (no picture, no buffer, drawing turned off).
bool BeginFullDraw(const WaveForm& w, PictureBox* picture, int32_t& hDC, int32_t l, int32_t r, int32_t t,
                   int32_t b) {
  if (picture == nullptr || !w.IsAllocated()) return false;
  const VekmathCalls& api = Api();
  Call(api.SetDrawTarget, picture->hWnd(), ResolveDc(*picture, hDC));
  Call(api.SetDrawArea, l, r, t, b);
  Call(api.SetPen, 0, 0);
  if (w.DrawEnabled() != 1) return false;
  Call(api.SetPen, w.PenStyle(), w.PenColour());
  return true;
}

void SetRange(float x0, float x1, YRange y) { Call(Api().SetDrawRange, x0, y.bottom, x1, y.top); }

// Count samples of the buffer from first, drawn at x offset xOffset.
void DrawBuffer(const WaveForm& w, int32_t first, int32_t count, int32_t style, float xOffset, bool decimated) {
  if (count <= 0) return;
  auto* draw = decimated ? Api().DrawWave2 : Api().DrawWave;
  Call(draw, w.Samples().data() + first, count, style, xOffset, w.OffsetY());
}

// The class's wording for a buffer smaller than a request.
std::string BufferShort(const char* size) {
  return std::string("samplesのサイズが、") + size + "で指定されたサイズを下回るサイズしか確保されていません。";
}

// A page move's redraw: the window as it now stands, on the picture's own
// context.
void Redraw(WaveForm& w, bool bACQ, PictureBox* picture, int32_t l, int32_t r, int32_t t, int32_t b) {
  int32_t ownDc = kOwnDC;
  w.DrawDuringAcquisition(w.DisplayStart(), w.DisplayWidth(), bACQ, picture, l, r, t, b, false, 0, ownDc);
}

}  // namespace

float WaveForm::MapFraction(float u, float l, float ft, float fb, float f) { return (f - fb) * (u - l) / (ft - fb) + l; }

float WaveForm::DisplayTop() const {
  const float span = rangeUpper_ - rangeLower_;
  if (singleLane_ != 0) return rangeUpper_;
  if (rangeMode_ == 1) return MapFraction(rangeUpper_, rangeLower_, laneTop_, laneBottom_, 1);
  return rangeUpper_ + span * laneIndex_;
}

float WaveForm::DisplayBottom() const {
  const float span = rangeUpper_ - rangeLower_;
  if (singleLane_ != 0) return rangeLower_;
  if (rangeMode_ == 1) return MapFraction(rangeUpper_, rangeLower_, laneTop_, laneBottom_, 0);
  return rangeLower_ - span * (laneCount_ - laneIndex_ - 1);
}

void WaveForm::Draw(const std::vector<float>& sngWave, int32_t lStart, int32_t& lCount, int32_t lWidthPoint,
                    PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB, bool, bool,
                    int32_t lStyle, int32_t& hDC, bool, bool) {
  if (pbxWave == nullptr || !IsAllocated()) return;
  mgL_ = lMgL, mgR_ = lMgR, mgT_ = lMgT, mgB_ = lMgB;
  if (!BeginFullDraw(*this, pbxWave, hDC, lMgL, lMgR, lMgT, lMgB)) return;
  const int64_t upper = Capacity() - 1;
  if (ChecksOn()) {
    if (lStart < 0 && upper < int64_t{lCount} - 1)
      throw WaveCheckError(BufferShort("lCount"));
    if (lStart >= 0 && upper < int64_t{lStart} + lCount - 1)
      throw WaveCheckError(BufferShort("lStart + lCount"));
  }
  lCount = static_cast<int32_t>(std::clamp<int64_t>(lCount, 0, std::max<int64_t>(upper - lStart + 1, 0)));
  // The caller's block holds what it holds; never read past it.
  const int32_t drawn = std::min<int32_t>(lCount, static_cast<int32_t>(sngWave.size()));
  const bool own = singleLane_ != 0;
  const float xMax = lStart < 0 && own ? static_cast<float>(displayWidth_) : static_cast<float>(lWidthPoint);
  SetRange(0, xMax, FullRange(*this));
  if (drawn > 0) Call(Api().DrawWave, sngWave.data(), drawn, lStyle, static_cast<float>(lStart), offsetY_);
  if (lStart < 0 || own) return;
  // The window shows the new block and up to three blocks before it.
  const int32_t end = lStart + lCount;
  const int32_t from = std::max<int32_t>(end - 4 * lCount, 0);
  DrawBuffer(*this, from, end - from, lStyle, static_cast<float>(from), false);
}

void WaveForm::DrawDuringAcquisition(int32_t lStart, int32_t lWidthPoint, bool, PictureBox* pbxWave, int32_t lMgL,
                                     int32_t lMgR, int32_t lMgT, int32_t lMgB, bool keepWindow, int32_t lStyle,
                                     int32_t& hDC) {
  if (pbxWave == nullptr || !IsAllocated()) return;
  mgL_ = lMgL, mgR_ = lMgR, mgT_ = lMgT, mgB_ = lMgB;
  if (!BeginFullDraw(*this, pbxWave, hDC, lMgL, lMgR, lMgT, lMgB)) return;
  const int64_t upper = Capacity() - 1;
  if (ChecksOn()) {
    if (lStart < 0 && upper < int64_t{lWidthPoint} - 1)
      throw WaveCheckError(BufferShort("lWidthPoint"));
    if (lStart >= 0 && upper < int64_t{lStart} + lWidthPoint - 1)
      throw WaveCheckError(BufferShort("lStart + lWidthPoint"));
  }
  const int32_t first = std::max(lStart, 0);
  const auto count = static_cast<int32_t>(std::clamp<int64_t>(lWidthPoint, 0, std::max<int64_t>(upper + 1 - first, 0)));
  if (lStart < 0) {
    SetRange(0, static_cast<float>(lWidthPoint), FullRange(*this));
    DrawBuffer(*this, 0, count, lStyle, 0, false);
    displayStart_ = 0;
    displayEnd_ = displayWidth_;
    return;
  }
  SetRange(static_cast<float>(lStart), static_cast<float>(int64_t{lStart} + lWidthPoint), FullRange(*this));
  DrawBuffer(*this, lStart, count, lStyle, static_cast<float>(lStart), false);
  if (keepWindow) return;
  displayStart_ = lStart;
  displayEnd_ = lStart + displayWidth_;
}

void WaveForm::DrawDecimated(int32_t lStart, bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR,
                             int32_t lMgT, int32_t lMgB) {
  if (bACQ || lStart >= count_) return;
  int32_t hDC = kOwnDC;
  if (pbxWave == nullptr || !IsAllocated()) return;
  mgL_ = lMgL, mgR_ = lMgR, mgT_ = lMgT, mgB_ = lMgB;
  if (!BeginFullDraw(*this, pbxWave, hDC, lMgL, lMgR, lMgT, lMgB)) return;
  const int32_t first = std::max(lStart, 0);
  const auto count = static_cast<int32_t>(std::clamp<int64_t>(displayWidth_, 0, std::max(Capacity() - first, 0)));
  const int32_t shownFrom = lStart < 0 ? 0 : lStart;
  SetRange(static_cast<float>(shownFrom), static_cast<float>(int64_t{shownFrom} + displayWidth_), FullRange(*this));
  DrawBuffer(*this, first, count, 0, static_cast<float>(shownFrom), true);
  displayStart_ = shownFrom;
  displayEnd_ = shownFrom + displayWidth_;
}

void WaveForm::PrepareMarks(int32_t& lStart, int32_t, PictureBox* pbxWave, int32_t& hDC) {
  if (lStart < 0) lStart = 0;
  PictureBox* picture = pbxWave ? pbxWave : picture_;
  if (picture == nullptr) return;
  HDC dc = ResolveDc(*picture, hDC);
  if (drawEnabled_ != 1) return;
  Call(Api().SetDrawTarget, picture->hWnd(), dc);
  Call(Api().SetPen, 0, kRed);
  // The same band as the full draws, top margin included, so that marks
  // land on the trace they mark.
  SetRange(static_cast<float>(lStart), static_cast<float>(int64_t{lStart} + displayWidth_), FullRange(*this));
}

// ---- paging ---------------------------------------------------------------

void WaveForm::ClampDisplayEnd() {
  if (int64_t{displayStart_} + displayWidth_ >= count_) displayStart_ = count_ - displayWidth_;
}

void WaveForm::ClampDisplayStart() {
  if (displayStart_ < 0) displayStart_ = 0;
}

void WaveForm::PageForward(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB) {
  displayStart_ += displayWidth_;
  ClampDisplayEnd();
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

void WaveForm::PageBack(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB) {
  displayStart_ -= displayWidth_;
  ClampDisplayStart();
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

void WaveForm::HalfPageForward(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT,
                               int32_t lMgB) {
  displayStart_ = CLng(displayWidth_ / 2.0 + displayStart_);
  ClampDisplayEnd();
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

void WaveForm::HalfPageBack(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB) {
  displayStart_ = CLng(displayStart_ - displayWidth_ / 2.0);
  ClampDisplayStart();
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

void WaveForm::PageHome(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB) {
  displayStart_ = 0;
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

void WaveForm::PageEnd(bool bACQ, PictureBox* pbxWave, int32_t lMgL, int32_t lMgR, int32_t lMgT, int32_t lMgB) {
  displayStart_ = count_ - displayWidth_;
  Redraw(*this, bACQ, pbxWave, lMgL, lMgR, lMgT, lMgB);
}

}  // namespace orvane::core
