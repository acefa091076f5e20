// The filters over the valid samples: mean removal, shifting, smoothing,
// high-pass, differences and the min/max envelope.
#include <algorithm>
#include <span>
#include <string>

#include "core/toolkit.h"
#include "core/utility.h"
#include "core/vekmath_calls.h"
#include "core/waveform/wave_bounds.h"
#include "core/waveform/waveform.h"

namespace orvane::core {

using wave::CheckedSum;
using wave::Need;

namespace {

const VekmathCalls& Lib() { return VekmathInUse(); }

// An array handed to a filter must hold the n samples worked on.
void CheckHolds(const std::vector<float>& x, int32_t n) {
  if (n < 0 || x.size() < static_cast<size_t>(n)) wave::SubscriptError();
}

// dst := the library's centred moving average of src over n samples.
void Smooth(std::vector<float>& dst, const std::vector<float>& src, int32_t window, int32_t n) {
  Need(Lib().ArrayMovingAverage, "ArrayMovingAverage")(dst.data(), src.data(), window, n);
}

// d(i) = x(i + 1) - x(i) for i up to n - 2; the last stays 0.
std::vector<float> Differences(const std::vector<float>& x, int32_t n) {
  CheckHolds(x, n);
  std::vector<float> d(static_cast<size_t>(std::max(n, 0)), 0.0f);
  if (n > 1) Need(Lib().ArraySub, "ArraySub")(d.data(), x.data() + 1, x.data(), n - 1);
  return d;
}

}  // namespace

void WaveForm::RemoveMean(int32_t lStart, int32_t lWidth) {
  const std::string mean = Mean(lStart, lWidth);
  // A decimal comma would split the number itself: then its third field
  // is taken, as the monitor always has. The monitor's own form never
  // writes one.
  const size_t first = mean.find(',');
  std::string field = mean.substr(0, first);
  if (first != std::string::npos) field = PickFields(mean, 3, 0, ",");
  ShiftLevel(static_cast<float>(-Val(field)), 0, count_);
}

void WaveForm::ShiftSamples(int32_t shift, bool fill) {
  if (count_ == 0) return;
  const int32_t size = Capacity();
  float edge = 0.0f;
  if (fill) edge = shift < 0 ? Sample(count_ - 1) : Sample(0);
  if (shift == 0) return;
  // How far the data moves, limited to the buffer: a longer move leaves
  // nothing of it.
  const int32_t away = static_cast<int32_t>(std::min<int64_t>(size, shift < 0 ? -int64_t{shift} : shift));
  if (away < size) {
    Need(Lib().ArrayShift, "ArrayShift")(samples_.data(), shift < 0 ? away : 0, size - away,
                                         shift < 0 ? -away : away, size);
  } else {
    std::fill(samples_.begin(), samples_.end(), 0.0f);
  }
  if (shift > 0 || !fill) count_ = CheckedSum(count_, shift);
  count_ = std::clamp(count_, 0, size);
  if (!fill) return;
  if (shift > 0)
    std::fill_n(samples_.begin(), away, edge);
  else
    std::fill(samples_.begin() + std::max(0, count_ - away), samples_.begin() + count_, edge);
}

void WaveForm::MovingAverage(int32_t lP, int32_t lN) {
  if (!IsAllocated()) return;
  (void)Segment(0, count_);
  scratch_.assign(samples_.size(), 0.0f);
  for (int32_t k = 0; k < lN; ++k) {
    Smooth(scratch_, samples_, lP, count_);
    samples_ = scratch_;
  }
}

void WaveForm::HighPass(int32_t lP, int32_t lN, std::vector<float>& smoothed) {
  float* p = Segment(0, count_);
  std::vector<float> a = samples_, b = samples_;
  for (int32_t k = 0; k < lN; ++k) {
    Smooth(b, a, lP, count_);
    a = b;
  }
  Need(Lib().ArraySub, "ArraySub")(p, p, a.data(), count_);
  smoothed = std::move(b);
}

void WaveForm::HighPass1023(std::vector<float>& x) const {
  CheckHolds(x, count_);
  std::vector<float> low(static_cast<size_t>(count_), 0.0f);
  Smooth(low, x, 1023, count_);
  Need(Lib().ArraySub, "ArraySub")(x.data(), x.data(), low.data(), count_);
}

void WaveForm::Difference(std::vector<float>& x) const { x = Differences(x, count_); }

void WaveForm::DifferenceCopy(std::vector<float>& out) const {
  out = samples_;
  Difference(out);
}

void WaveForm::SmoothedDifference(std::vector<float>& x, int32_t lP, int32_t lN) const {
  std::vector<float> d = Differences(x, count_);
  x.assign(d.size(), 0.0f);
  for (int32_t k = 0; k < lN; ++k) {
    Smooth(x, d, lP, count_);
    d = x;
  }
  x = std::move(d);
}

// The buffer keeps its size: the valid samples are replaced, the rest kept.
void WaveForm::SmoothedDifferenceInPlace(int32_t lP, int32_t lN) {
  (void)Segment(0, count_);
  std::vector<float> x(samples_.begin(), samples_.begin() + count_);
  SmoothedDifference(x, lP, lN);
  std::copy(x.begin(), x.end(), samples_.begin());
}

void WaveForm::SmoothedDifferenceCopy(std::vector<float>& out, int32_t lP, int32_t lN) const {
  out = samples_;
  SmoothedDifference(out, lP, lN);
}

// Differences per interval p (in millionths), then three centred moving
// averages of width 15 over the series, the ends repeated.
void WaveForm::DifferenceScaled(std::vector<float>& x, int32_t interval) const {
  if (count_ < 2) wave::SubscriptError();
  std::vector<float> t = Differences(x, count_);
  const float perSecond = static_cast<float>(interval / 1000000.0);
  Need(Lib().ArrayDivC, "ArrayDivC")(t.data(), t.data(), perSecond, count_ - 1);
  t[static_cast<size_t>(count_ - 1)] = t[static_cast<size_t>(count_ - 2)];
  try {
    for (int pass = 0; pass < 3; ++pass) core::MovingAverage(std::span<float>(t), 15, count_);
  } catch (const ToolkitError& e) {
    if (e.Number() == kErrSubscriptOutOfRange) wave::SubscriptError();
    throw;
  }
  x = std::move(t);
}

void WaveForm::Envelope(int32_t& n, std::vector<float>& out) const {
  if (n > count_) n = count_;
  if (n < 0) wave::SubscriptError();
  const float* p = Segment(0, count_);
  out.assign(static_cast<size_t>(n), 0.0f);
  Need(Lib().DecimateMinMax, "DecimateMinMax")(out.data(), p, 0, count_, n);
}

}  // namespace orvane::core
