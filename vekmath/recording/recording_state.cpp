#include "recording/recording_state.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vekmath {
namespace {

int32_t saturated(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

RecordingState& recordingState() {
  static RecordingState state;
  return state;
}

void RecordingState::clearTables() {
  std::memset(positions, 0, sizeof(positions));
  std::memset(times, 0, sizeof(times));
  frameCount = 0;
  lastPosition = 0;
  repeatCount = 0;
}

bool RecordingState::stamp(int32_t position, double time) {
  if (frameCount < 0 || frameCount >= kFrameEntries) return false;
  positions[frameCount] = position;
  times[frameCount] = time;
  if (frameCount == 0) {
    repeatCount = 0;
  } else if (position == lastPosition) {
    ++repeatCount;
  } else if (repeatCount > 0) {
    const int64_t step = (int64_t{position} - lastPosition) / (repeatCount + 1);
    for (int32_t back = 1; back <= repeatCount; ++back) positions[frameCount - back] = saturated(position - back * step);
    repeatCount = 0;
  }
  lastPosition = position;
  ++frameCount;
  return true;
}

void RecordingState::placeBeforeAcquisition(int32_t periodUs) {
  int32_t last = std::min(frameCount, kFrameEntries) - 1;
  while (last >= 0 && positions[last] != 0) --last;
  if (last < 0 || periodUs == 0) return;
  const int64_t step = -((1000000 / periodUs) / 10);
  for (int32_t back = 0; back <= last; ++back) positions[last - back] = saturated(back * step);
}

}  // namespace vekmath
