// The waveform's marks that measure a segment first: mean, extremes,
// detections, and the block ring bar.
#include <algorithm>
#include <cmath>

#include "core/single_text.h"
#include "core/toolkit.h"
#include "core/waveform/wave_bounds.h"
#include "wave_display.h"

namespace orvane::core {

using forms::PictureBox;
using namespace forms::wave;

namespace {

inline constexpr int32_t kMostDetections = kDetectionSlots - 1;

float PxY(WaveForm& w, PictureBox* picture, int32_t pixels) {
  float a = 0, b = 0;
  return w.PixelToValueY(pixels, picture, a, b);
}
float PxX(WaveForm& w, PictureBox* picture, int32_t pixels) {
  float a = 0, b = 0;
  return w.PixelToValueX(pixels, picture, a, b);
}

// PrepareMarks on the default picture; false without one.
bool Prepare(WaveForm& w, int32_t start) {
  if (!w.Picture()) return false;
  int32_t ownDc = kOwnDC;
  w.PrepareMarks(start, w.DisplayWidth(), nullptr, ownDc);
  return true;
}

void Line(float x1, float y1, float x2, float y2) { Call(Api().DrawLine, x1, y1, x2, y2); }
void Text(float x, float y, const std::string& text) { Call(Api().DrawTextAt, x, y, text.c_str()); }

// The segment's first sample; the segment must lie in the buffer.
const float* SegmentAt(const WaveForm& w, int32_t start, int32_t width) {
  wave::CheckSegment(start, width, w.Capacity());
  return w.Samples().data() + start;
}

struct Extreme {
  float value = 0;
  LONG index = 0;
};
Extreme Max(const WaveForm& w, int32_t start, int32_t width) {
  Extreme e;
  Call(Api().ArrayMaxIndex, &e.value, &e.index, SegmentAt(w, start, width), width);
  return e;
}
Extreme Min(const WaveForm& w, int32_t start, int32_t width) {
  Extreme e;
  Call(Api().ArrayMinIndex, &e.value, &e.index, SegmentAt(w, start, width), width);
  return e;
}

}  // namespace

std::string WaveForm::DrawMean(int32_t lStart, int32_t& lWidth, bool label, bool) {
  const std::string text = Mean(lStart, lWidth);
  if (drawEnabled_ != 1 || lWidth <= 0) return text;
  float mean = 0;
  Call(Api().ArrayMean, &mean, SegmentAt(*this, lStart, lWidth), lWidth);
  if (!Prepare(*this, displayStart_)) return text;
  Call(Api().SetPen, 0, kGreen);
  Line(static_cast<float>(lStart), mean, static_cast<float>(int64_t{lStart} + lWidth), mean);
  if (label) {
    Call(Api().SetTextSize, kCharWidth, kCharHeight);
    Text(static_cast<float>(lStart), mean + PxY(*this, nullptr, 5), text);
  }
  return text;
}

std::string WaveForm::DrawMaxMin(int32_t lStart, int32_t& lWidth, bool label, bool) {
  const std::string text = MaxMinText(lStart, lWidth);
  if (drawEnabled_ != 1 || lWidth <= 0) return text;
  const Extreme hi = Max(*this, lStart, lWidth), lo = Min(*this, lStart, lWidth);
  const auto x1 = static_cast<float>(int64_t{lStart} + hi.index), x2 = static_cast<float>(int64_t{lStart} + lo.index);
  const float xL = std::min(x1, x2), xR = std::max(x1, x2);
  if (!Prepare(*this, displayStart_)) return text;
  Call(Api().SetPen, kDotted, kBlue);
  Line(xL, hi.value, xR, hi.value);
  Line(xL, lo.value, xR, lo.value);
  Line(xL, lo.value, xL, hi.value);
  Line(xR, lo.value, xR, hi.value);
  if (label) {
    Call(Api().SetTextSize, kCharWidth, kCharHeight);
    Text(xR, (hi.value + lo.value) / 2, SingleText(hi.value - lo.value));
  }
  return text;
}

namespace {

// A ±5-pixel cross at the extreme with its value and position texts at
// the given pixel heights (negative: below).
void MarkExtreme(WaveForm& w, const Extreme& e, int32_t start, LONG colour, bool valueLabel, bool indexLabel,
                 int32_t valuePx, int32_t indexPx) {
  const int64_t x = int64_t{start} + e.index;
  const auto fx = static_cast<float>(x);
  if (!Prepare(w, w.DisplayStart())) return;
  Call(Api().SetPen, 0, colour);
  const float dx = PxX(w, nullptr, 5), dy = PxY(w, nullptr, 5);
  Line(fx, e.value - dy, fx, e.value + dy);
  Line(fx - dx, e.value, fx + dx, e.value);
  Call(Api().SetTextSize, kCharWidth, kCharHeight);
  if (valueLabel) Text(fx, e.value + PxY(w, nullptr, valuePx), SingleText(e.value));
  if (indexLabel) Text(fx, e.value + PxY(w, nullptr, indexPx), std::to_string(x));
}

}  // namespace

std::string WaveForm::DrawMax(int32_t lStart, int32_t& lWidth, bool valueLabel, bool indexLabel) {
  const std::string text = MaxText(lStart, lWidth);
  if (drawEnabled_ == 1 && lWidth > 0)
    MarkExtreme(*this, Max(*this, lStart, lWidth), lStart, kRed, valueLabel, indexLabel, 15, 23);
  return text;
}

std::string WaveForm::DrawMin(int32_t lStart, int32_t& lWidth, bool valueLabel, bool indexLabel) {
  const std::string text = MinText(lStart, lWidth);
  if (drawEnabled_ == 1 && lWidth > 0)
    MarkExtreme(*this, Min(*this, lStart, lWidth), lStart, kBlue, valueLabel, indexLabel, -5, -14);
  return text;
}

void WaveForm::DrawSegment(int32_t lStart, int32_t lWidth, int32_t lStyle, int32_t colour) {
  if (drawEnabled_ != 1) return;
  const float* first = SegmentAt(*this, lStart, lWidth);
  if (!Prepare(*this, displayStart_)) return;
  Call(Api().SetPen, 0, colour);
  Call(Api().DrawWave, first, lWidth, lStyle, static_cast<float>(lStart), offsetY_);
}

std::string WaveForm::DrawDetections(int32_t& lStart, int32_t& lWidth, float sngHist, PictureBox* pbxWave,
                                     bool valueLabel, bool valueLabel2, bool peaks, bool valleys, bool periods) {
  if (ChecksOn()) CheckInvalidNumbers();
  if (lStart < 0) lStart = 0;
  if (lWidth > count_) lWidth = count_;
  if (int64_t{lStart} + lWidth > count_ || drawEnabled_ != 1 || lWidth <= 0) return "";
  if (!pbxWave && !picture_) return "";
  const float* first = SegmentAt(*this, lStart, lWidth);
  Call(Api().SetPen, 0, kGreen);
  int32_t ownDc = kOwnDC;
  PrepareMarks(lStart, lWidth, pbxWave, ownDc);
  // The detection may find as many positions as the segment is long: it
  // writes into arrays of that length, and only then is the count checked.
  std::vector<float> peakAt(static_cast<size_t>(lWidth)), valleyAt(static_cast<size_t>(lWidth));
  LONG nPeaks = 0, nValleys = 0;
  Call(Api().DetectPeaks, &nPeaks, peakAt.data(), &nValleys, valleyAt.data(), first, lWidth, sngHist);
  peakCount_ = nPeaks;
  valleyCount_ = nValleys;
  std::copy_n(peakAt.begin(), std::min<LONG>(nPeaks, kDetectionSlots), peakPositions_.begin());
  std::copy_n(valleyAt.begin(), std::min<LONG>(nValleys, kDetectionSlots), valleyPositions_.begin());

  const struct {
    bool wanted;
    LONG count;
    const std::vector<float>& at;
    float edge;
    int32_t valuePx, positionPx;
    bool periods;
    const char* what;
  } kinds[] = {
      {peaks, nPeaks, peakAt, rangeUpper_, -4, -15, periods, "peak"},
      {valleys, nValleys, valleyAt, rangeLower_, 12, 23, false, "valley"},
  };
  for (const auto& kind : kinds) {
    if (!kind.wanted || kind.count < 1) continue;
    if (kind.count > kMostDetections)
      throw WaveCheckError(std::string("the ") + kind.what + " detection found " + std::to_string(kind.count) +
                           " positions, more than 10000; only 10000 can be handled");
    if (valueLabel) Call(Api().SetTextSize, kCharWidth, kCharHeight);
    for (LONG k = 0; k < kind.count; ++k) {
      const float x = kind.at[k] + static_cast<float>(lStart);
      const float v = Sample(CLng(x));
      Line(x, v, x, kind.edge);
      if (valueLabel2) Text(x, kind.edge + PxY(*this, pbxWave, kind.valuePx), SingleText(v));
      if (valueLabel) Text(x, kind.edge + PxY(*this, pbxWave, kind.positionPx), SingleText(x));
      if (kind.periods && k >= 1)
        Text(x, kind.edge + PxY(*this, pbxWave, -26), SingleText(kind.at[k] - kind.at[k - 1]));
    }
  }
  return "0";
}

void WaveForm::DrawBlockBar(const std::vector<float>& sngWave, int32_t lBlockNo, int32_t lBlocks, int32_t lAddNum,
                            PictureBox* pbx, bool bar) {
  if (lBlocks == 0) throw ToolkitError(kErrDivisionByZero, "Division by zero");
  const int32_t m = lBlockNo % lBlocks * lAddNum;
  if (lBlockNo == 0) blockTrace_.assign(static_cast<size_t>(std::max(lAddNum, 0)), sngWave.empty() ? 0.0f : sngWave[0]);
  std::vector<float> joined;
  Concatenate(sngWave, blockTrace_, joined);
  const auto from = static_cast<float>(m - lAddNum), to = static_cast<float>(m + 2 * lAddNum);
  const std::array<LONG, 6>& colours = ColourRecord();
  int32_t ownDc = kOwnDC;
  DrawSegmentLine(from, rangeUpper_, to, rangeUpper_, kGreen, 0, nullptr, -1, -1, ownDc);
  if (bar) {
    Call(Api().SetDrawRange, 0.0f, 0.0f, static_cast<float>(lAddNum) * lBlocks, 1.0f);
    Call(Api().SetPen, 0, colours[1]);
    Call(Api().DrawLineRECT, static_cast<float>(m), 0.0f, static_cast<float>(m + lAddNum), 1.0f, 1);
    Call(Api().SetPen, 0, colours[2]);
    Line(static_cast<float>(m + lAddNum), 0, static_cast<float>(m + lAddNum), 1);
  }
  const float mid = (rangeUpper_ + rangeLower_) / 2;
  DrawSegmentLine(from, mid, to, mid, colours[2], 0, nullptr, -1, -1, ownDc);
  DrawSegmentLine(from, rangeLower_, to, rangeLower_, kGreen, 0, nullptr, -1, -1, ownDc);
  // A dotted mark at every tenth of the ring.
  const double tenth = lBlocks / 10.0;
  const auto x = static_cast<float>(std::trunc(lBlockNo / tenth) * tenth * lAddNum);
  DrawSegmentLine(x, rangeUpper_, x, rangeLower_, colours[2], kDotted, nullptr, -1, -1, ownDc);
  int32_t count = 2 * lAddNum;
  Draw(joined, m - lAddNum, count, lAddNum * lBlocks, pbx ? pbx : picture_, 0, 0, 0, 0, false, false, 0, ownDc);
  blockTrace_ = sngWave;
}

}  // namespace orvane::core
