// Level crossings through a hysteresis band. An event is recorded when the
// trace reaches the far side of the band, at the first sample past the
// level; a swing out of the allowed range cancels what it ended and, as the
// flags saved at the last events decide, what began it.
#include "arrays/detection.h"
#include "arrays/level_bands.h"
#include "vekmath.h"

namespace vekmath {

namespace {

enum class Zone { None, Upper, Lower };

bool aboveLevel(int band) { return band <= 3; }

struct LevelState {
  Zone zone = Zone::None;
  int32_t crossing = 0;
  bool upArmed = false, downArmed = false;
  bool aboveUpper = false, belowLower = false;
  bool cancelUp = false, cancelDown = false;
  bool aboveUpperAtLastUp = false, belowLowerAtLastDown = false;

  explicit LevelState(int band) {
    if (band <= 2) zone = Zone::Upper;
    if (band >= 5) zone = Zone::Lower;
    if (band == 1) upArmed = aboveUpper = cancelDown = true;
    if (band == 6) downArmed = belowLower = cancelUp = true;
  }

  void step(int32_t i, int previous, int band, PositionList& ups, PositionList& downs) {
    if (aboveLevel(previous) != aboveLevel(band)) crossing = i;
    if (band >= 5) {
      if (zone == Zone::Upper) {
        downs.append(crossing);
        belowLowerAtLastDown = belowLower;
        downArmed = true;
        upArmed = belowLower = false;
        crossing = 0;
      }
      zone = Zone::Lower;
    }
    if (band <= 2) {
      if (zone == Zone::Lower) {
        ups.append(crossing);
        aboveUpperAtLastUp = aboveUpper;
        upArmed = true;
        downArmed = aboveUpper = false;
        crossing = 0;
      }
      zone = Zone::Upper;
      if (band == 1) aboveUpper = upArmed = true;
    }
    if (band == 6) belowLower = downArmed = true;
    if (upArmed && cancelUp) {
      ups.removeLast();
      if (!aboveUpperAtLastUp) downs.removeLast();
      cancelUp = false;
    }
    if (downArmed && cancelDown) {
      downs.removeLast();
      if (!belowLowerAtLastDown) ups.removeLast();
      cancelDown = false;
    }
    if (upArmed && aboveUpper) cancelDown = true;
    if (downArmed && belowLower) cancelUp = true;
  }
};

}  // namespace

void detectLevelEvents(PositionList& ups, PositionList& downs, const float* data, int32_t n, const LevelBand& band) {
  ups.count = downs.count = 0;
  if (data == nullptr || n < 2) return;
  const bands::Bounds bounds = bands::boundsFor(band);
  int previous = bands::firstBand(data[0], bounds);
  int twoBefore = previous;
  LevelState state(previous);
  for (int32_t i = 1; i < n; ++i) {
    const int current = bands::nextBand(data[i], twoBefore, previous, bounds);
    if (current != previous) state.step(i, previous, current, ups, downs);
    twoBefore = previous;
    previous = current;
  }
}

}  // namespace vekmath

DLL_EXPORT void WINAPI DetectLevelEvents(LONG* outUpCount, FLOAT* outUpPos, LONG* outDownCount, FLOAT* outDownPos,
                                         const FLOAT* data, LONG n, FLOAT level, FLOAT width, FLOAT upper,
                                         FLOAT lower) {
  if (outUpCount == nullptr || outUpPos == nullptr || outDownCount == nullptr || outDownPos == nullptr) return;
  vekmath::PositionList ups{outUpPos, n};
  vekmath::PositionList downs{outDownPos, n};
  vekmath::detectLevelEvents(ups, downs, data, n, {level, width, upper, lower});
  *outUpCount = ups.stored();
  *outDownCount = downs.stored();
}
