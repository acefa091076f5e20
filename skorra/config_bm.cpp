// The bus-master sampling configuration and its read-back.
#include <iterator>

#include <skorradev.h>

#include "codes.h"
#include "config_clock.h"
#include "config_levels.h"
#include "config_rules.h"
#include "convert.h"
#include "request.h"

namespace skorra {
namespace {

constexpr uint32_t kBad = SK_E_INVALID_CONFIG;

constexpr uint32_t kStartConditions[] = {1,   2,   3,   11,  12,  13,  14,  15,      16,       32,      64,
                                         128, 144, 160, 192, 256, 272, 288, 320,     512,      528,     544,
                                         576, 0x20000, 0x400000, 0x1000000};
constexpr uint32_t kStopConditions[] = {1,      2,      3,      9,      10,     12,     13,      14,
                                        15,     1024,   2048,   4096,   8192,   9216,   10240,   0x3000,
                                        0x4000, 0x4400, 0x4800, 0x5000, 0x8000, 0x8400, 0x8800,  0x9000,
                                        0x40000, 0x200000, 0x800000};

// Bus-master levels are made in mode 8 at the board's resolution; the
// 24-bit board has the wider scale.
constexpr uint32_t kBmLevelMode = 8;
LevelScale levelScale(const SkDeviceInfo& info) {
  return {kBmLevelMode, info.dw[SK_INFO_RESOLUTION], info.dw[SK_INFO_MODEL] == 4611 ? 0x1000000 : 4096};
}

// The second clock's divider on the kinds that have one: from the 8 MHz
// stage, or on kind 5 from the stage the first clock's code chose.
uint32_t secondClockCode(float f, uint32_t kind, uint32_t code1) {
  if (kind >= 2 && kind <= 4) return frequencyToDivider(f, 1);
  if (kind == 5) return frequencyToDivider(f, code1 == 0xFFFFFFFFu ? 3 : (code1 & 0x1000000u) ? 7 : 1);
  return 0;
}

bool stopRemainderOk(const SkBmSamplingConfig& c, uint32_t model) {
  int64_t remaining = static_cast<int64_t>(c.sampleCount) - c.stopDelay;
  if (c.startCondition != 1) remaining -= c.startDelay;
  if (isModel(model, {4542, 4543, 4544, 4559}))
    return remaining >= 1024 && remaining <= 0x4000000 && remaining % 1024 == 0;
  if (isModel(model, {4504, 4529, 4533, 4564, 4587, 4591, 4594, 4636, 4637, 4638, 4639, 5048, 5049, 5063, 5064,
                      5065, 5066}))
    return remaining != 0;
  if (isModel(model, {4611, 4619, 4809})) return remaining >= 1 && remaining <= 0x1000000;
  return true;
}

}  // namespace

uint32_t buildBmRequest(const SkBmSamplingConfig& c, const SkDeviceInfo& info, int n, SkorradevBmSamplingRequest& req) {
  const uint32_t model = info.dw[SK_INFO_MODEL];
  uint32_t max = channelMaximum(info, c.inputType);
  if (max == 0 || c.channelCount < 1 || c.channelCount > max || c.channelCount > SK_MAX_CHANNELS) return kBad;
  if (c.sampleCount < 1 || c.sampleCount > 0x40000000u || c.eventCount > c.sampleCount) return kBad;
  if (c.eventCount != 0 &&
      !isModel(model, {4504, 4529, 4533, 4564, 4587, 4591, 4594, 4597, 4636, 4637, 4638, 4639, 5048, 5049, 5063,
                       5064, 5065, 5066}) &&
      !isPowerOfTwoUpTo32768(c.eventCount))
    return kBad;
  if (c.repeatCount >= 0x10000) return kBad;
  if (c.repeatCount != 1 && (c.startCondition == 1 || c.stopCondition == 1 || c.stopCondition == 9)) return kBad;
  if (c.startCondition == 1 && c.startDelay != 0) return kBad;
  if (!checkChannelList(c.channels, c.channelCount, max, info, kBmRanges, std::size(kBmRanges), false)) return kBad;
  if (!inList(c.startCondition, kStartConditions) || !inList(c.stopCondition, kStopConditions)) return kBad;
  if ((c.startCondition == 2 && c.stopCondition == 3) || (c.startCondition == 3 && c.stopCondition == 2))
    return kBad;
  if (c.stopCondition == 10 && !stopRemainderOk(c, model)) return kBad;
  if (!inList(c.clockOutputSelection, kClockOutputSelections)) return kBad;
  bool plain = c.startCondition == 1 && (c.stopCondition == 1 || c.stopCondition == 9 || c.stopCondition == 10) &&
               c.clockOutputSelection == 0x80000000u;
  if (!plain) {
    uint64_t need = 0;
    if (c.startCondition != 1) need += c.startDelay;
    if (c.stopCondition != 1 && c.stopCondition != 9) need += c.stopDelay;
    if (c.sampleCount < need) return kBad;
  }
  LevelCodes start, stop;
  const uint32_t sel = c.clockOutputSelection & 0x7FFFFFFFu;
  if ((c.startCondition & 0x70) || (c.stopCondition & 0x1C00) || (sel & 0x70)) {
    if (!levelTriggerCodes(c.channels, c.channelCount, c.startTriggerChannel, {c.startLevel, c.startHysteresis},
                           levelScale(info), model, start))
      return kBad;
  }
  if ((c.startCondition & 0x380) || (c.stopCondition & 0xE000) || (sel & 0x380)) {
    if (!levelTriggerCodes(c.channels, c.channelCount, c.stopTriggerChannel, {c.stopLevel, c.stopHysteresis},
                           levelScale(info), model, stop))
      return kBad;
  }
  if (c.clock == 0.0f && c.clockSelection != 1 && c.clockSelection != 2) return kBad;
  if (c.startCondition == 3 || c.stopCondition == 3) {
    uint32_t inputs = info.dw[SK_INFO_TRIGGER_INPUTS];
    if (inputs == 0 || inputs < c.triggerInputCount) return kBad;
  }
  if (c.startCondition == 2 || c.startCondition == 3 || c.stopCondition == 2 || c.stopCondition == 3) {
    if ((c.triggerInputSelection1 != 1 && c.triggerInputSelection1 != 2) ||
        (c.triggerInputSelection2 != 1 && c.triggerInputSelection2 != 2))
      return kBad;
  }
  if (c.clockOutputSelection != 0x80000000u && c.selectionPolarity != 1 && c.selectionPolarity != 2) return kBad;
  if (c.bufferMode != 1 && c.bufferMode != 2) return kBad;
  if (c.bufferMode == 1 && c.repeatCount == 0) return kBad;
  if (c.transferSelection != 1 && c.transferSelection != 2) return kBad;
  if (!inList(c.transferWidth, {1u, 2u, 4u, 6u})) return kBad;
  if (checkMaxFrequency(c.clock, 8, info.dw[SK_INFO_CLOCK_TYPE], c.channelCount, &info.dw[SK_INFO_PERIOD_ONE]) != 0)
    return kBad;

  uint32_t code1;
  if (!clockCodeOf(c.clock, info.dw[SK_INFO_CLOCK_KIND], code1)) return kBad;
  const uint32_t code2 = secondClockCode(c.secondClock, info.dw[SK_INFO_CLOCK_KIND], code1);

  req = SkorradevBmSamplingRequest{};
  req.head = static_cast<uint32_t>(n);
  req.channelCount = c.channelCount;
  for (uint32_t i = 0; i < c.channelCount; ++i) req.channels[i] = {c.channels[i].channel, c.channels[i].range};
  req.inputType = c.inputType;
  req.sampleCount = c.sampleCount;
  req.eventCount = c.eventCount;
  req.repeatCount = c.repeatCount;
  req.bufferMode = c.bufferMode;
  req.clockCode1 = code1;
  req.clockCode2 = code2;
  req.startCondition = c.startCondition;
  req.stopCondition = c.stopCondition;
  req.startDelay = c.startDelay;
  req.stopDelay = c.stopDelay;
  req.startTriggerChannel = c.startTriggerChannel;
  req.startLevelCode = start.level;
  req.startHysteresisCode = start.hysteresis;
  req.stopTriggerChannel = c.stopTriggerChannel;
  req.stopLevelCode = stop.level;
  req.stopHysteresisCode = stop.hysteresis;
  req.clockOutputSelection = c.clockOutputSelection;
  req.selectionPolarity = c.selectionPolarity;
  req.triggerInputSelection1 = c.triggerInputSelection1;
  req.triggerInputSelection2 = c.triggerInputSelection2;
  req.triggerInputCount = c.triggerInputCount;
  req.clockSelection = c.clockSelection;
  req.unchecked = c.reserved2144;
  req.transferSelection = c.transferSelection;
  req.transferWidth = c.transferWidth;
  return 0;
}

uint32_t readBmConfig(const Device& d, SkorradevBmSamplingRequest& out) {
  SkorradevBmSamplingRequest in{};
  in.head = static_cast<uint32_t>(d.n);
  return transactLocked(d.driver, SKDF_BM_GET_CONFIG, &in, sizeof in, &out, sizeof out);
}

}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkBmSetSamplingConfig(HANDLE h, const SkBmSamplingConfig* cfg) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (cfg == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevBmSamplingRequest req;
  status = buildBmRequest(*cfg, info, d.n, req);
  if (status != 0) return status;
  SkorradevBmSamplingRequest reply;
  LockGuard guard;
  status = transact(d.driver, SKDF_BM_SET_CONFIG, &req, sizeof req, &reply, sizeof reply);
  if (status != 0) return status;
  DeviceSlot& s = *d.slot;
  rememberLevels(s, *cfg);
  s.lastFrequency = cfg->clock;
  s.lastSecondFrequency = cfg->secondClock;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkBmGetSamplingConfig(HANDLE h, SkBmSamplingConfig* out) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevBmSamplingRequest r;
  status = readBmConfig(d, r);
  if (status != 0) return status;
  out->channelCount = r.channelCount;
  for (int i = 0; i < SK_MAX_CHANNELS; ++i) out->channels[i] = {r.channels[i].channel, r.channels[i].range};
  out->inputType = r.inputType;
  out->sampleCount = r.sampleCount;
  out->eventCount = r.eventCount;
  out->repeatCount = r.repeatCount;
  out->bufferMode = r.bufferMode;
  out->startCondition = r.startCondition;
  out->stopCondition = r.stopCondition;
  out->startDelay = r.startDelay;
  out->stopDelay = r.stopDelay;
  out->startTriggerChannel = r.startTriggerChannel;
  out->stopTriggerChannel = r.stopTriggerChannel;
  out->clockOutputSelection = r.clockOutputSelection;
  out->selectionPolarity = r.selectionPolarity;
  out->triggerInputSelection1 = r.triggerInputSelection1;
  out->triggerInputSelection2 = r.triggerInputSelection2;
  out->triggerInputCount = r.triggerInputCount;
  out->clockSelection = r.clockSelection;
  out->reserved2144 = r.unchecked;
  out->transferSelection = r.transferSelection;
  out->transferWidth = r.transferWidth;

  const uint32_t kind = info.dw[SK_INFO_CLOCK_KIND];
  LockGuard guard;
  DeviceSlot& s = *d.slot;
  out->clock = readBackClockFrequency(s, r.clockCode1, kind);
  if (kind >= 2 && kind <= 5)
    out->secondClock = dividerToFrequency(r.clockCode2, (r.clockCode2 & 0x1000000u) && r.clockCode2 != 0xFFFFFFFFu
                                                            ? kDivOsc2_4576M
                                                            : kDivOsc8M);
  else
    out->secondClock = 0.0f;
  const uint32_t bits = info.dw[SK_INFO_MODEL] == 4611 ? 24 : 12;
  readBackLevels(r, s, bits, kBmLevelMode, *out);
  return SK_SUCCESS;
}
