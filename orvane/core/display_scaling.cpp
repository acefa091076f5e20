#include "display_scaling.h"

#include <cmath>

#include "toolkit.h"
#include "vekmath_calls.h"

namespace orvane::core {
namespace {

constexpr DWORD Rgb(int r, int g, int b) {
  return static_cast<DWORD>(r) | (static_cast<DWORD>(g) << 8) | (static_cast<DWORD>(b) << 16);
}

constexpr DWORD kBandBorderColour = Rgb(255, 0, 255);
constexpr DWORD kQuarterColour = Rgb(192, 192, 192);
constexpr DWORD kBandMiddleColour = Rgb(192, 192, 255);
constexpr int32_t kLinesPerBand = 4;

}  // namespace

DisplayScaling::DisplayScaling() = default;
DisplayScaling::~DisplayScaling() = default;

const Board& DisplayScaling::CBoard() {
  if (board_ == nullptr) {
    defaultBoard_ = std::make_unique<Board>();
    board_ = defaultBoard_.get();
  }
  return *board_;
}

const ChannelCalibration& DisplayScaling::Calibration() {
  if (calibration_ == nullptr) {
    defaultCalibration_ = std::make_unique<ChannelCalibration>();
    calibration_ = defaultCalibration_.get();
  }
  return *calibration_;
}

float DisplayScaling::UpperLimit(int32_t ch) const {
  CheckSubscript(ch, 0, kScalingChannels - 1);
  return upper_[static_cast<size_t>(ch)];
}

void DisplayScaling::SetUpperLimit(int32_t ch, float value) {
  CheckSubscript(ch, 0, kScalingChannels - 1);
  upper_[static_cast<size_t>(ch)] = value;
}

float DisplayScaling::LowerLimit(int32_t ch) const {
  CheckSubscript(ch, 0, kScalingChannels - 1);
  return lower_[static_cast<size_t>(ch)];
}

void DisplayScaling::SetLowerLimit(int32_t ch, float value) {
  CheckSubscript(ch, 0, kScalingChannels - 1);
  lower_[static_cast<size_t>(ch)] = value;
}

int32_t DisplayScaling::Counts(int32_t ch, float value) {
  const ChannelCalibration& cal = Calibration();
  const float calAD = CSng(Val(cal.CalAD(ch)));
  const float baseAD = CSng(Val(cal.BaseAD(ch)));
  const float calValue = CSng(Val(cal.CalValue(ch)));
  const float baseValue = CSng(Val(cal.BaseValue(ch)));
  return CLng(ChannelCalibration::ValueToCounts(calAD + baseAD, baseAD, calValue, baseValue, value));
}

int32_t DisplayScaling::FullScale() {
  const Board& board = CBoard();
  return CLng(std::pow(2.0, board.ResolutionBits(board.BoardTypeIndex())));
}

float DisplayScaling::ChannelGain(int32_t ch) {
  if (UpperLimit(ch) == LowerLimit(ch)) return 0.0f;
  const int64_t cu = Counts(ch, UpperLimit(ch));
  const int64_t cl = Counts(ch, LowerLimit(ch));
  const int32_t full = FullScale();
  if (cu == cl) return 1.0f;
  return static_cast<float>(static_cast<double>(full) / static_cast<double>(cu - cl));
}

float DisplayScaling::ChannelOffset(int32_t ch) {
  if (UpperLimit(ch) == LowerLimit(ch)) return 0.0f;
  const int64_t cu = Counts(ch, UpperLimit(ch));
  const int64_t cl = Counts(ch, LowerLimit(ch));
  const int32_t full = FullScale();
  if (cu == cl) return 0.0f;
  return static_cast<float>(-static_cast<double>(cu + cl) / 2.0 * full / static_cast<double>(cu - cl));
}

void DisplayScaling::SetupGridLines(HWND plot, int32_t channels) {
  grid_.fill(GridLine{});
  if (channels < 1) throw ToolkitError(kErrDivisionByZero, "Division by zero");
  const double step = 100.0 / (static_cast<double>(kLinesPerBand) * channels);
  for (int32_t i = 0; i < WAVE_GRAPH_GRID_LINES; ++i) {
    GridLine& line = grid_[static_cast<size_t>(i)];
    line.drawn = -1;
    line.style = 0;
    line.position = static_cast<FLOAT>(100.0 - step * i);
    line.colour = i % kLinesPerBand == 0 ? kBandBorderColour : (i % 2 == 1 ? kQuarterColour : kBandMiddleColour);
  }
  const VekmathCalls& vk = VekmathInUse();
  if (vk.SetupWaveGraph_XLINE != nullptr) vk.SetupWaveGraph_XLINE(plot, grid_.data());
}

void DisplayScaling::LoadLimitsFromWave(int32_t ch, const WaveformLimits& waveform) {
  CheckSubscript(ch, 0, kScalingChannels - 1);
  waves_[static_cast<size_t>(ch)] = &waveform;
  upper_[static_cast<size_t>(ch)] = waveform.UpperLimit();
  lower_[static_cast<size_t>(ch)] = waveform.LowerLimit();
}

}  // namespace orvane::core
