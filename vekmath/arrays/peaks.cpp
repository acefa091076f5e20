// Peaks and valleys with a hysteresis: a swing counts once the trace has
// moved at least H from the opposite candidate, and a candidate is recorded
// only when the next swing in the other direction begins.
#include <cmath>

#include "arrays/detection.h"
#include "vekmath.h"

namespace vekmath {

namespace {

struct Candidate {
  float value;
  int32_t index;
};

}  // namespace

void detectPeaks(PositionList& peaks, PositionList& valleys, const float* data, int32_t n, float h) {
  peaks.count = valleys.count = 0;
  if (data == nullptr || n < 1) return;
  const double hysteresis = std::sqrt(static_cast<double>(h) * h);
  Candidate peak{data[0], 0};
  Candidate valley{data[0], 0};
  bool rising = false;
  bool falling = false;
  bool started = false;

  for (int32_t i = 0; i + 1 < n; ++i) {
    const float prev = data[i == 0 ? 0 : i - 1];
    const float cur = data[i];
    const float next = data[i + 1];
    if (prev < cur && next <= cur) {
      if (cur > peak.value) peak = {cur, i};
      if (static_cast<double>(cur) - valley.value >= hysteresis && !rising) {
        if (started) valleys.append(valley.index);
        started = true;
        rising = true;
        falling = false;
        peak = {cur, i};
      }
    } else if (prev > cur && next >= cur) {
      if (cur < valley.value) valley = {cur, i};
      if (static_cast<double>(peak.value) - cur >= hysteresis && !falling) {
        if (started) peaks.append(peak.index);
        started = true;
        falling = true;
        rising = false;
        valley = {cur, i};
      }
    }
  }

  // Before the first swing both candidates are still sample 0: a trace that
  // only falls would otherwise report its first sample as a peak.
  if (!started) return;
  const double last = data[n - 1];
  if (valley.index > peak.index) {
    if (last > valley.value + hysteresis) valleys.append(valley.index);
  } else if (last < peak.value - hysteresis) {
    peaks.append(peak.index);
  }
}

}  // namespace vekmath

DLL_EXPORT void WINAPI DetectPeaks(LONG* outPeakCount, FLOAT* outPeakPos, LONG* outValleyCount, FLOAT* outValleyPos,
                                   const FLOAT* data, LONG n, FLOAT h) {
  if (outPeakCount == nullptr || outPeakPos == nullptr || outValleyCount == nullptr || outValleyPos == nullptr) return;
  vekmath::PositionList peaks{outPeakPos, n};
  vekmath::PositionList valleys{outValleyPos, n};
  vekmath::detectPeaks(peaks, valleys, data, n, h);
  *outPeakCount = peaks.stored();
  *outValleyCount = valleys.stored();
}
