// The waveform's picture context, lane ranges and pixel-to-value
// conversions.
#include "core/toolkit.h"
#include "wave_display.h"

namespace orvane::forms::wave {

HDC ResolveDc(PictureBox& picture, int32_t& hDC) {
  if (hDC == core::kOwnDC) hDC = static_cast<int32_t>(reinterpret_cast<intptr_t>(picture.hDC()));
  return ToHdc(hDC);
}

YRange FullRange(const core::WaveForm& w) {
  const float span = w.RangeUpper() - w.RangeLower();
  const auto n = static_cast<float>(w.LaneCount()), i = static_cast<float>(w.LaneIndex());
  if (w.SingleLane() != 0) return {w.RangeUpper(), w.RangeLower()};
  if (w.RangeMode() == 1) return {w.DisplayTop(), w.DisplayBottom()};
  return {w.RangeUpper() + span * i + span * w.MarginAbove(), w.RangeLower() - span * (n - i - 1) - span * w.MarginBelow()};
}

void CheckWindowSize(int size) {
  if (size <= 0) throw core::ToolkitError(core::kErrDivisionByZero, "Division by zero");
}

const std::array<LONG, 6>& ColourRecord() {
  static const std::array<LONG, 6> record{-1, RGB(224, 255, 224), RGB(255, 192, 192), RGB(0, 0, 127), -1, 0};
  return record;
}

}  // namespace orvane::forms::wave

namespace orvane::core {

using namespace forms::wave;

float WaveForm::PixelToValueX(int32_t lPixcel, forms::PictureBox* pbx, float& a, float& b) {
  if (a == b) {
    a = 0;
    b = static_cast<float>(displayWidth_);
  }
  forms::PictureBox* picture = pbx ? pbx : picture_;
  const int width = picture ? picture->frameGeometry().width() : 0;
  CheckWindowSize(width);
  return (b - a) / static_cast<float>(width) * static_cast<float>(lPixcel);
}

float WaveForm::PixelToValueY(int32_t lPixcel, forms::PictureBox* pbx, float& y1, float& y2) {
  if (y1 == y2) {
    y1 = DisplayBottom();
    y2 = DisplayTop();
  }
  forms::PictureBox* picture = pbx ? pbx : picture_;
  const int height = picture ? picture->frameGeometry().height() : 0;
  CheckWindowSize(height);
  return (y2 - y1) / static_cast<float>(height) * static_cast<float>(lPixcel);
}

}  // namespace orvane::core
