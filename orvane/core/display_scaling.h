// Turns each channel's display limits (physical values) into the gain and
// offset the processing library applies to raw counts, so that a shown
// channel's band spans the limits, and builds the plot's horizontal grid.
#pragma once
#include <vekmath/wave_graph.h>

#include <array>
#include <cstdint>
#include <memory>

#include "board.h"
#include "channel_calibration.h"

namespace orvane::core {

inline constexpr int32_t kScalingChannels = 32;
// One spare record beyond the 128 handed to the library.
inline constexpr int32_t kGridRecords = 129;

// What the scaling reads of a waveform: its display limits.
class WaveformLimits {
 public:
  virtual ~WaveformLimits() = default;
  virtual float UpperLimit() const = 0;
  virtual float LowerLimit() const = 0;
};

class DisplayScaling {
 public:
  DisplayScaling();
  ~DisplayScaling();

  // The board and calibration used; they must outlive this object. Until
  // set, a default object of each is made on first use (board type 0).
  void SetCBoard(const Board& board) { board_ = &board; }
  void SetCalibration(const ChannelCalibration& calibration) { calibration_ = &calibration; }
  const Board& CBoard();
  const ChannelCalibration& Calibration();

  // Channels 0 to 31; another index raises the subscript error.
  float UpperLimit(int32_t ch) const;
  void SetUpperLimit(int32_t ch, float value);
  float LowerLimit(int32_t ch) const;
  void SetLowerLimit(int32_t ch, float value);

  // Equal limits give 0; limits whose counts are equal give gain 1 and
  // offset 0. Counts beyond the 32-bit range raise the overflow error.
  float ChannelGain(int32_t ch);
  float ChannelOffset(int32_t ch);

  // Fills the grid table for `channels` bands (four lines each) and hands
  // its first 128 records to the library. channels < 1 raises the
  // division-by-zero error, with the table cleared and nothing handed over.
  void SetupGridLines(HWND plot, int32_t channels);
  const std::array<GridLine, kGridRecords>& GridLines() const { return grid_; }

  // Keeps the waveform for channel ch and copies its display limits.
  void LoadLimitsFromWave(int32_t ch, const WaveformLimits& waveform);

 private:
  // The counts of a physical value on channel ch, rounded to 32 bits.
  int32_t Counts(int32_t ch, float value);
  int32_t FullScale();

  const Board* board_ = nullptr;
  const ChannelCalibration* calibration_ = nullptr;
  std::unique_ptr<Board> defaultBoard_;
  std::unique_ptr<ChannelCalibration> defaultCalibration_;
  std::array<float, kScalingChannels> upper_{};
  std::array<float, kScalingChannels> lower_{};
  std::array<const WaveformLimits*, kScalingChannels> waves_{};
  std::array<GridLine, kGridRecords> grid_{};
};

}  // namespace orvane::core
