// The start and stop level triggers of the bus-master and memory records:
// their codes for the request, what an accepted record leaves the slot to
// remember, and the levels read back.
#pragma once
#include <cstdint>

#include <skorra.h>

#include "library.h"

namespace skorra {

struct LevelCodes {
  uint32_t level = 0, hysteresis = 0;
};

struct TriggerLevel {
  float level = 0.0f, hysteresis = 0.0f;
};

// The converter's view of a record's levels: the mode and resolution the
// codes are made with, and the top of its scale.
struct LevelScale {
  uint32_t mode;
  uint32_t bits;
  int64_t top;
};

// A level trigger on one of the record's channels: the channel in the
// list, level and hysteresis within the range's bounds, and the band
// around the level inside 0..scale.top.
bool levelTriggerCodes(const SkChannelEntry* channels, uint32_t count, uint32_t channel, TriggerLevel wanted,
                       LevelScale scale, uint32_t model, LevelCodes& out);

// One level read back: converted from the driver's codes where the trigger
// channel is in the list, else the one remembered.
TriggerLevel readBackLevel(const SkChannelEntry* channels, uint32_t count, uint32_t channel, LevelCodes codes,
                           uint32_t bits, uint32_t mode, TriggerLevel remembered);

// An accepted record's levels, for the read-backs that cannot convert them.
template <class Config>
void rememberLevels(DeviceSlot& s, const Config& c) {
  s.lastLevel1 = c.startLevel;
  s.lastLevel2 = c.stopLevel;
  s.lastStartHysteresis = c.startHysteresis;
  s.lastStopHysteresis = c.stopHysteresis;
}

// Both levels of a record read back, into `out` whose channel list is
// already filled. Called under the library lock.
template <class Request, class Config>
void readBackLevels(const Request& r, const DeviceSlot& s, uint32_t bits, uint32_t mode, Config& out) {
  const TriggerLevel start = readBackLevel(out.channels, out.channelCount, r.startTriggerChannel,
                                           {r.startLevelCode, r.startHysteresisCode}, bits, mode,
                                           {s.lastLevel1, s.lastStartHysteresis});
  out.startLevel = start.level;
  out.startHysteresis = start.hysteresis;
  const TriggerLevel stop = readBackLevel(out.channels, out.channelCount, r.stopTriggerChannel,
                                          {r.stopLevelCode, r.stopHysteresisCode}, bits, mode,
                                          {s.lastLevel2, s.lastStopHysteresis});
  out.stopLevel = stop.level;
  out.stopHysteresis = stop.hysteresis;
}

}  // namespace skorra
