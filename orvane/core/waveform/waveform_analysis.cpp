// Arithmetic, statistics and detections on segments of the buffer, through
// the processing library's array routines. Every segment is checked against
// the buffer before its address reaches the library.
#include <bit>
#include <cmath>
#include <type_traits>

#include "core/vekmath_calls.h"
#include "core/waveform/wave_bounds.h"
#include "core/waveform/wave_text.h"
#include "core/waveform/waveform.h"

namespace orvane::core {

using wave::CheckedSum;
using wave::Joined;
using wave::Need;

namespace {

const VekmathCalls& Lib() { return VekmathInUse(); }

// The NaN a failed operation leaves (sign set, quiet, no payload).
constexpr uint32_t kIndefiniteNaN = 0xFFC00000u;
constexpr const char* kIndefiniteFound = "データ中に-1.#INDが含まれています。原因を調べてください。";
constexpr const char* kNaNFound = "データ中に-1.#QNANが含まれています。原因を調べてください。";

// The toolkit's product of a single and a factor: a 16-bit integer or a
// single factor gives a single, a 32-bit integer or a double a double.
template <class T>
auto Scaled(float value, T factor) {
  if constexpr (std::is_same_v<T, int16_t> || std::is_same_v<T, float>)
    return static_cast<float>(value * static_cast<float>(factor));
  else
    return static_cast<double>(value) * static_cast<double>(factor);
}

template <class T>
std::string BySignText(float above, float others, T factor) {
  return Joined(Scaled(above, factor), Scaled(others, factor),
                Scaled(std::fabs(above) + std::fabs(others), factor), Scaled(above + others, factor));
}

}  // namespace

const float* WaveForm::Segment(int32_t start, int32_t width) const {
  (void)CheckedSum(start, width);
  wave::CheckSegment(start, width, Capacity());
  return samples_.data() + start;
}

float* WaveForm::Segment(int32_t start, int32_t width) {
  return const_cast<float*>(static_cast<const WaveForm*>(this)->Segment(start, width));
}

const float* WaveForm::StatisticSegment(int32_t start, int32_t& width, bool minusOneIsCount) const {
  if ((minusOneIsCount && width == -1) || width > count_) width = count_;
  return Segment(start, width);
}

// ---- arithmetic --------------------------------------------------------

void WaveForm::MulConst(float sngMul, int32_t lStart, int32_t lWidth) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().ArrayMulC, "ArrayMulC")(p, p, sngMul, lWidth);
}

void WaveForm::DivConst(float sngDiv, int32_t lStart, int32_t lWidth) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().ArrayDivC, "ArrayDivC")(p, p, sngDiv, lWidth);
}

void WaveForm::SubConst(float sngSub, int32_t lStart, int32_t lWidth) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().ArraySubC, "ArraySubC")(p, p, sngSub, lWidth);
}

void WaveForm::AddConst(float sngAdd, int32_t lStart, int32_t lWidth) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().ArrayAddC, "ArrayAddC")(p, p, sngAdd, lWidth);
}

void WaveForm::ShiftLevel(float sngShift, int32_t lStart, int32_t lWidth) { AddConst(sngShift, lStart, lWidth); }

void WaveForm::FillValue(float sngFillValue, int32_t lStart, int32_t lWidth) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().ArrayFill, "ArrayFill")(p, std::bit_cast<DWORD>(sngFillValue), lWidth);
}

void WaveForm::FillSine(int32_t lStart, int32_t lWidth, int32_t lCycle) {
  float* p = Segment(lStart, lWidth);
  Need(Lib().GenerateSine, "GenerateSine")(p, lCycle, lWidth);
}

void WaveForm::AbsAll() {
  if (count_ == 0) return;
  float* p = Segment(0, count_);
  Need(Lib().ArrayAbs, "ArrayAbs")(p, p, count_);
}

// The other wave's window, as much of it as its buffer holds, added onto
// as many samples of this one.
void WaveForm::AddWave(const WaveForm& w) {
  const int32_t width = w.DisplayWidth();
  if (width <= 0) return;
  float* p = Segment(0, width);
  std::vector<float> other(static_cast<size_t>(width), 0.0f);
  int32_t n = width;
  w.GetSamples(other, 0, n);
  Need(Lib().ArrayAdd, "ArrayAdd")(p, p, other.data(), width);
}

// ---- statistics --------------------------------------------------------

namespace {

struct Extreme {
  float value = 0.0f;
  LONG index = 0;  // left alone by the library when element 0 is the extreme
};

Extreme MaxOf(const float* p, int32_t n) {
  Extreme e;
  Need(Lib().ArrayMaxIndex, "ArrayMaxIndex")(&e.value, &e.index, p, n);
  return e;
}

Extreme MinOf(const float* p, int32_t n) {
  Extreme e;
  Need(Lib().ArrayMinIndex, "ArrayMinIndex")(&e.value, &e.index, p, n);
  return e;
}

}  // namespace

std::string WaveForm::MaxText(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, true);
  const Extreme e = MaxOf(p, lWidth);
  return Joined(e.value, static_cast<int32_t>(e.index));
}

float WaveForm::MaxValue(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, true);
  return MaxOf(p, lWidth).value;
}

std::string WaveForm::MinText(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, true);
  const Extreme e = MinOf(p, lWidth);
  return Joined(e.value, static_cast<int32_t>(e.index));
}

float WaveForm::MinValue(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, true);
  return MinOf(p, lWidth).value;
}

std::string WaveForm::MaxMinText(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, false);
  const Extreme max = MaxOf(p, lWidth);
  const Extreme min = MinOf(p, lWidth);
  return Joined(max.value, static_cast<int32_t>(max.index), min.value, static_cast<int32_t>(min.index));
}

std::string WaveForm::Mean(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, false);
  float mean = 0.0f;
  Need(Lib().ArrayMean, "ArrayMean")(&mean, p, lWidth);
  return Joined(mean);
}

float WaveForm::SegmentSum(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, false);
  float sum = 0.0f;
  Need(Lib().ArraySum, "ArraySum")(&sum, p, lWidth);
  return sum;
}

std::string WaveForm::Sum(int32_t lStart, int32_t& lWidth) const { return Joined(SegmentSum(lStart, lWidth)); }

std::string WaveForm::SumScaled(int32_t lStart, int32_t& lWidth, int16_t factor) const {
  return Joined(Scaled(SegmentSum(lStart, lWidth), factor));
}
std::string WaveForm::SumScaled(int32_t lStart, int32_t& lWidth, int32_t factor) const {
  return Joined(Scaled(SegmentSum(lStart, lWidth), factor));
}
std::string WaveForm::SumScaled(int32_t lStart, int32_t& lWidth, float factor) const {
  return Joined(Scaled(SegmentSum(lStart, lWidth), factor));
}
std::string WaveForm::SumScaled(int32_t lStart, int32_t& lWidth, double factor) const {
  return Joined(Scaled(SegmentSum(lStart, lWidth), factor));
}

void WaveForm::SignSums(int32_t lStart, int32_t& lWidth, float& above, float& others) const {
  const float* p = StatisticSegment(lStart, lWidth, false);
  above = others = 0.0f;
  for (int32_t i = 0; i < lWidth; ++i) (p[i] > 0.0f ? above : others) += p[i];
}

std::string WaveForm::SumBySign(int32_t lStart, int32_t& lWidth, int16_t factor) const {
  float above, others;
  SignSums(lStart, lWidth, above, others);
  return BySignText(above, others, factor);
}
std::string WaveForm::SumBySign(int32_t lStart, int32_t& lWidth, int32_t factor) const {
  float above, others;
  SignSums(lStart, lWidth, above, others);
  return BySignText(above, others, factor);
}
std::string WaveForm::SumBySign(int32_t lStart, int32_t& lWidth, float factor) const {
  float above, others;
  SignSums(lStart, lWidth, above, others);
  return BySignText(above, others, factor);
}
std::string WaveForm::SumBySign(int32_t lStart, int32_t& lWidth, double factor) const {
  float above, others;
  SignSums(lStart, lWidth, above, others);
  return BySignText(above, others, factor);
}

// The squares add up in a single, as the monitor has always summed them.
std::string WaveForm::Rms(int32_t lStart, int32_t& lWidth) const {
  const float* p = StatisticSegment(lStart, lWidth, false);
  if (lWidth == 0) return "0";
  float squares = 0.0f;
  for (int32_t i = 0; i < lWidth; ++i) squares += p[i] * p[i];
  return Joined(static_cast<float>(std::sqrt(static_cast<double>(squares) / lWidth)));
}

void WaveForm::MaxAll(float& sngMax, int32_t& index) const {
  const Extreme e = MaxOf(Segment(0, count_), count_);
  sngMax = e.value;
  index = e.index;
}

void WaveForm::MinAll(float& sngMin, int32_t& index) const {
  const Extreme e = MinOf(Segment(0, count_), count_);
  sngMin = e.value;
  index = e.index;
}

// ---- detections --------------------------------------------------------

std::string WaveForm::FindPeaks(int32_t lStart, int32_t& lWidth, float sngH, std::vector<int32_t>& lUP,
                                std::vector<int32_t>& lDP, std::vector<float>& sngUP,
                                std::vector<float>& sngDP) const {
  if (lWidth > count_) lWidth = count_;
  const float* p = Segment(lStart, lWidth);
  const size_t n = static_cast<size_t>(lWidth);
  // The counts go to element 0, which an empty segment must still have.
  lUP.assign(std::max<size_t>(n, 1), 0);
  lDP.assign(std::max<size_t>(n, 1), 0);
  sngUP.assign(n, 0.0f);
  sngDP.assign(n, 0.0f);
  LONG up = 0, down = 0;
  Need(Lib().DetectPeaks, "DetectPeaks")(&up, sngUP.data(), &down, sngDP.data(), p, lWidth, sngH);
  lUP[0] = up;
  lDP[0] = down;
  return "";
}

std::string WaveForm::FindPeaks2(int32_t lStart, int32_t& lWidth, float sngH, int32_t& lUPC, int32_t& lDPC,
                                 std::vector<float>& sngUP, std::vector<float>& sngDP) const {
  if (lWidth > count_) lWidth = count_;
  const float* p = Segment(lStart, lWidth);
  sngUP.assign(static_cast<size_t>(lWidth), 0.0f);
  sngDP.assign(static_cast<size_t>(lWidth), 0.0f);
  LONG up = 0, down = 0;
  Need(Lib().DetectPeaks, "DetectPeaks")(&up, sngUP.data(), &down, sngDP.data(), p, lWidth, sngH);
  lUPC = up;
  lDPC = down;
  return "";
}

std::string WaveForm::FindLevelEvents(int32_t lStart, int32_t& lWidth, float sngS, float sngH, float sngWU,
                                      float sngWd, int32_t& lUPC, int32_t& lDPC, std::vector<float>& sngUP,
                                      std::vector<float>& sngDP) const {
  if (lWidth > count_) lWidth = count_;
  const float* p = Segment(lStart, lWidth);
  sngUP.assign(static_cast<size_t>(lWidth), 0.0f);
  sngDP.assign(static_cast<size_t>(lWidth), 0.0f);
  LONG up = 0, down = 0;
  Need(Lib().DetectLevelEvents, "DetectLevelEvents")(&up, sngUP.data(), &down, sngDP.data(), p, lWidth, sngS, sngH,
                                                     sngWU, sngWd);
  lUPC = up;
  lDPC = down;
  return "";
}

// Repairs the segment instead of refusing it: a negative start becomes 0
// and a width above Count becomes Count; a segment that still does not fit
// detects nothing.
std::string WaveForm::FindLevelEventsChecked(int32_t& lStart, int32_t& lWidth, float level, float sngHist,
                                             float sngW1, float sngW2, int32_t& lUPC, std::vector<float>& sUP,
                                             int32_t& lDPC, std::vector<float>& sDP) const {
  if (ChecksOn()) CheckInvalidNumbers();
  if (CheckedSum(lStart, lWidth) <= 0) return "";
  if (lStart < 0) lStart = 0;
  if (count_ < lStart || count_ == 0) return "";
  if (count_ < lWidth) lWidth = count_;
  if (lWidth < 0) wave::SubscriptError();
  std::vector<float> up(static_cast<size_t>(lWidth), 0.0f), down(static_cast<size_t>(lWidth), 0.0f);
  LONG ups = 0, downs = 0;
  if (count_ >= lStart + lWidth) {
    const float* p = Segment(lStart, lWidth);
    Need(Lib().DetectLevelEvents, "DetectLevelEvents")(&ups, up.data(), &downs, down.data(), p, lWidth, level,
                                                       sngHist, sngW1, sngW2);
  }
  if (ups > 0) up.resize(static_cast<size_t>(ups));
  if (downs > 0) down.resize(static_cast<size_t>(downs));
  lUPC = ups;
  lDPC = downs;
  sUP = std::move(up);
  sDP = std::move(down);
  return "";
}

// Every NaN is refused, whatever its sign: a positive one is as much a sign
// of a failed computation as the negative ones. Infinities pass.
bool WaveForm::CheckInvalidNumbers() const {
  for (const float v : samples_) {
    if (!std::isnan(v)) continue;
    throw WaveCheckError(std::bit_cast<uint32_t>(v) == kIndefiniteNaN ? kIndefiniteFound : kNaNFound);
  }
  return true;
}

}  // namespace orvane::core
