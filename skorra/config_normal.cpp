// The normal sampling configuration: SkSetSamplingConfig and its read-back.
#include <iterator>

#include <skorradev.h>

#include "codes.h"
#include "config_clock.h"
#include "config_rules.h"
#include "convert.h"
#include "request.h"

namespace skorra {
namespace {

constexpr uint32_t kNormalRanges[] = {
    1,        2,        4,        8,         16,        32,        64,        128,       256,
    512,      0x1000,   0x2000,   0x10000,   0x20000,   0x40000,   0x80000,   0x100000,  0x200000,
    0x400000, 0x800000, 0x1000000, 0x2000000, 0x4000000, 0x8000000, 0x10000000, 0x80000000u};

constexpr uint32_t kBad = SK_E_INVALID_CONFIG;

bool triggerModeAllowed(uint32_t mode, uint32_t tm) {
  if (tm == 0x2000000) return true;
  switch (mode) {
    case 1: return tm >= 1 && tm <= 9;
    case 2:
    case 8: return tm >= 1 && tm <= 0x1FFF0;
    case 4: return tm == 1 || tm == 2 || tm == 9;
    default: return false;
  }
}

int64_t ceilDiv1024(int64_t v) { return (v + 1023) / 1024; }

// Memory-mode delay rules, with J = sample count / divisor and K = delay /
// divisor; `zeroDelay` is set when the delay is to be written back as 0.
bool memoryDelayOk(const SkSamplingConfig& c, bool& zeroDelay) {
  if (c.memoryDivisor == 0) return false;
  int64_t J = c.sampleCount / c.memoryDivisor;
  int64_t K = static_cast<int64_t>(c.delay) / static_cast<int64_t>(c.memoryDivisor);
  if (c.memoryDivisor > 0x7FFFFFFFu) K = 0;
  if (J > 0x80000) return false;
  if (c.triggerPoint == 1) {
    if (K < -0x7FC00 || K > 0x7FFFF) return false;
    if (K < 0) {
      if (J < -K || J + K < 1 || J + K > 0x40000) return false;
      if (J > 0x7FC00 && -K > 0x80000 - 1024 * ceilDiv1024(J + K)) return false;
    } else if (K > 0) {
      if (J > 0x80000 - K) return false;
    }
  } else if (c.triggerPoint == 2) {
    if (K < 0 || K > 0x40000) return false;
    if (K > 0) {
      if (J <= K || J - K < 1 || J - K > 0x7FC00) return false;
      if (J > 0x7FC00 && J - K > 0x80000 - 1024 * ceilDiv1024(K)) return false;
    } else {
      if (c.sampleCount > 0x80000) return false;
      zeroDelay = true;
    }
  }
  return true;
}

}  // namespace

// Checks a normal record against the board and builds its request. The
// over-limit flags are computed here but only committed by the caller.
uint32_t buildNormalRequest(const SkSamplingConfig& c, const SkDeviceInfo& info, int n,
                            SkorradevSamplingRequest& req, uint32_t& overLimit, uint32_t& overLimitNoChannels,
                            bool& zeroDelay) {
  const uint32_t model = info.dw[SK_INFO_MODEL];
  const uint32_t clockType = info.dw[SK_INFO_CLOCK_TYPE];
  const uint32_t res = info.dw[SK_INFO_RESOLUTION];
  uint32_t max = channelMaximum(info, c.inputType);
  if (max == 0) return kBad;
  if (c.channelCount < 1 || c.channelCount > max || c.channelCount > SK_MAX_CHANNELS) return kBad;
  if ((c.mode & info.dw[SK_INFO_MODE_MASK]) == 0 || !(c.mode == 1 || c.mode == 2 || c.mode == 4 || c.mode == 8))
    return kBad;
  if (c.sampleCount < 1 || c.sampleCount > 0x40000000u || c.eventCount > c.sampleCount) return kBad;
  if (c.mode == 8 && c.eventCount != 0 &&
      !isModel(model, {4564, 4587, 4597, 4636, 4637, 5048, 5049, 5063, 5064}) &&
      !isPowerOfTwoUpTo32768(c.eventCount))
    return kBad;
  const float f = c.frequency;
  if (!(f >= 0.01f || f == 0.0f || f == -1.0f)) return kBad;

  const uint32_t* periods = &info.dw[SK_INFO_PERIOD_ONE];
  overLimit = checkMaxFrequency(f, c.mode, clockType, c.channelCount, periods) != 0 ? 1 : 0;
  if (c.mode == 1 && (clockType == 2 || clockType == 3))
    overLimitNoChannels = checkMaxFrequency(f, c.mode, clockType, 0, periods) != 0 ? 1 : 0;
  else
    overLimitNoChannels = overLimit;

  if (!checkChannelList(c.channels, c.channelCount, max, info, kNormalRanges, std::size(kNormalRanges), false))
    return kBad;
  const uint32_t tm = c.triggerMode;
  if (!triggerModeAllowed(c.mode, tm)) return kBad;
  if (tm == 9 && c.mode == 2 && !isModel(model, {4504, 4529, 4533, 4591, 4594, 4638, 4639, 5065, 5066}) &&
      static_cast<uint64_t>(c.channelCount) * c.sampleCount < 0x8000)
    return kBad;
  if (!(c.level1 >= -10.0f && c.level1 <= 10.0f)) return kBad;

  uint32_t code1 = 0, code2 = 0;
  if (model == 4518 || model == 4520) code1 = voltToCode(c.level1, 0, 2, res, model);
  if (tm != 1 && tm != 9) {
    if (c.triggerPoint < 1 || c.triggerPoint > 3) return kBad;
    if (c.triggerPoint == 3 && tm > 3 && tm != 0x2000000) {
      if (c.mode == 2 ? (tm < 16 || tm > 0x1FFF0) : tm != 8) return kBad;
    }
    uint32_t triggerRange = c.channels[0].range;
    if (tm > 3) {
      int i = findChannel(c.channels, c.channelCount, c.triggerChannel);
      if (i < 0) return kBad;
      triggerRange = c.channels[i].range;
    }
    if (c.mode == 4) {
      if (!memoryDelayOk(c, zeroDelay)) return kBad;
    } else {
      int64_t d = c.delay, s = c.sampleCount;
      if (d < -s || d > s) return kBad;
    }
    if (tm >= 4 && tm <= 8) {
      if (checkTriggerLevel(triggerRange, c.level1) != 0) return kBad;
      if ((tm == 7 || tm == 8) && (checkTriggerLevel(triggerRange, c.level2) != 0 || c.level1 > c.level2))
        return kBad;
    }
    code1 = voltToCode(c.level1, triggerRange, c.mode, res, model);
    code2 = voltToCode(c.level2, triggerRange, c.mode, res, model);
  }
  if (f == 0.0f) {
    if (c.externalClock != 1 && c.externalClock != 2) return kBad;
    if (c.mode == 1 && (tm == 2 || tm == 3) && clockType != 1) return kBad;
  }
  const uint32_t inputs = info.dw[SK_INFO_TRIGGER_INPUTS];
  if (tm == 3 && c.mode == 1 && inputs != 0) {
    uint64_t limit = inputs - 1 >= 32 ? UINT64_MAX : (1ull << (inputs - 1));
    if (c.triggerInputCount < 1 || c.triggerInputCount > limit) return kBad;
  }
  if ((tm == 2 || tm == 3) && c.triggerEdge != 1 && c.triggerEdge != 2) return kBad;
  uint32_t clock;
  if (!clockCodeOf(f, info.dw[SK_INFO_CLOCK_KIND], clock)) return kBad;

  req = SkorradevSamplingRequest{};
  req.head = static_cast<uint32_t>(n);
  req.channelCount = c.channelCount;
  for (uint32_t i = 0; i < c.channelCount; ++i) req.channels[i] = {c.channels[i].channel, c.channels[i].range};
  req.mode = c.mode;
  req.inputType = c.inputType;
  req.sampleCount = c.sampleCount;
  req.eventCount = c.eventCount;
  req.clockCode = clock;
  req.triggerPoint = c.triggerPoint;
  req.triggerMode = tm;
  req.delay = zeroDelay ? 0 : c.delay;
  req.triggerChannel = c.triggerChannel;
  req.levelCode1 = code1;
  req.levelCode2 = code2;
  req.externalClock = c.externalClock;
  req.unchecked = c.reserved2100;
  req.edgeSelection = c.triggerEdge;
  req.triggerInputs = c.triggerInputCount;
  req.memoryDivisor = c.memoryDivisor;
  return 0;
}

uint32_t readNormalConfig(const Device& d, SkorradevSamplingRequest& out) {
  SkorradevSamplingRequest in{};
  in.head = static_cast<uint32_t>(d.n);
  return transactLocked(d.driver, SKDF_GET_CONFIG, &in, sizeof in, &out, sizeof out);
}

}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkSetSamplingConfig(HANDLE h, SkSamplingConfig* cfg) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (cfg == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevSamplingRequest req;
  uint32_t over = 0, overNoCh = 0;
  bool zeroDelay = false;
  status = buildNormalRequest(*cfg, info, d.n, req, over, overNoCh, zeroDelay);
  if (status != 0) return status;
  SkorradevSamplingRequest reply;
  LockGuard guard;
  status = transact(d.driver, SKDF_SET_CONFIG, &req, sizeof req, &reply, sizeof reply);
  if (status != 0) return status;
  // Only an accepted configuration changes what the slot remembers.
  DeviceSlot& s = *d.slot;
  s.overLimit = over;
  s.overLimitNoChannels = overNoCh;
  s.lastLevel1 = cfg->level1;
  s.lastLevel2 = cfg->level2;
  s.lastFrequency = cfg->frequency;
  if (zeroDelay) cfg->delay = 0;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetSamplingConfig(HANDLE h, SkSamplingConfig* out) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevSamplingRequest r;
  status = readNormalConfig(d, r);
  if (status != 0) return status;
  out->channelCount = r.channelCount;
  for (int i = 0; i < SK_MAX_CHANNELS; ++i) out->channels[i] = {r.channels[i].channel, r.channels[i].range};
  out->mode = r.mode;
  out->inputType = r.inputType;
  out->sampleCount = r.sampleCount;
  out->eventCount = r.eventCount;
  out->triggerPoint = r.triggerPoint;
  out->triggerMode = r.triggerMode;
  out->delay = r.delay;
  out->triggerChannel = r.triggerChannel;
  out->externalClock = r.externalClock;
  out->reserved2100 = r.unchecked;
  out->triggerEdge = r.edgeSelection;
  out->triggerInputCount = r.triggerInputs;
  out->memoryDivisor = r.memoryDivisor;
  LockGuard guard;
  DeviceSlot& s = *d.slot;
  out->frequency = readBackClockFrequency(s, r.clockCode, info.dw[SK_INFO_CLOCK_KIND]);
  out->level1 = s.lastLevel1;
  out->level2 = s.lastLevel2;
  return SK_SUCCESS;
}
