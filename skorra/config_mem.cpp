// Memory-mode and low-voltage configurations.
#include <iterator>

#include <skorradev.h>

#include "codes.h"
#include "config_levels.h"
#include "config_rules.h"
#include "convert.h"
#include "request.h"

namespace skorra {
namespace {

constexpr uint32_t kBad = SK_E_INVALID_CONFIG;
constexpr uint32_t kMemConditions[] = {2,      1024,   2048,   4096,   8192,   9216,     10240,   0x3000, 0x4000,
                                       0x4400, 0x4800, 0x5000, 0x8000, 0x8400, 0x8800,   0x9000,  0x100000, 0x200000};
// Memory-mode trigger levels are 10-bit codes, as the driver bounds them
// and as the read-back converts them, whatever the board's resolution.
constexpr uint32_t kMemLevelBits = 10;

// Memory-mode levels are made in mode 4 and bounded by the 10-bit scale.
constexpr LevelScale kMemLevelScale{4, kMemLevelBits, 1024};

bool requireModel4555(const Device& d, uint32_t& status) {
  SkDeviceInfo info;
  status = deviceInfo(d, info);
  if (status != 0) return false;
  if (info.dw[SK_INFO_MODEL] != 4555) {
    status = SK_E_NOT_AVAILABLE;
    return false;
  }
  return true;
}

}  // namespace

uint32_t buildMemRequest(const SkMemSamplingConfig& c, const SkDeviceInfo& info, int n,
                         SkorradevMemSamplingRequest& req) {
  const uint32_t model = info.dw[SK_INFO_MODEL];
  uint32_t max = channelMaximum(info, c.inputType);
  if (max == 0 || c.channelCount < 1 || c.channelCount > max || c.channelCount > SK_MAX_CHANNELS) return kBad;
  if (!checkChannelList(c.channels, c.channelCount, max, info, kBmRanges, std::size(kBmRanges), true)) return kBad;
  if (!inList(c.triggerCondition, kMemConditions) || !inList(c.clockOutputSelection, kClockOutputSelections))
    return kBad;
  const uint32_t sel = c.clockOutputSelection & 0x7FFFFFFFu;
  LevelCodes start, stop;
  if ((c.triggerCondition & 0x1C00) || (sel & 0x70)) {
    if (!levelTriggerCodes(c.channels, c.channelCount, c.startTriggerChannel, {c.startLevel, c.startHysteresis},
                           kMemLevelScale, model, start))
      return kBad;
  }
  if ((c.triggerCondition & 0xE000) || (sel & 0x380)) {
    if (!levelTriggerCodes(c.channels, c.channelCount, c.stopTriggerChannel, {c.stopLevel, c.stopHysteresis},
                           kMemLevelScale, model, stop))
      return kBad;
  }
  if (c.frequency == 0.0f && c.clockSelection != 1 && c.clockSelection != 2) return kBad;
  if (c.triggerCondition == 2 && c.triggerInputSelection != 1 && c.triggerInputSelection != 2) return kBad;
  if (c.clockOutputSelection != 0x80000000u && c.selectionPolarity != 1 && c.selectionPolarity != 2) return kBad;
  if (c.transferSelection != 1 && c.transferSelection != 2) return kBad;
  if (c.transferWidth != 1 && c.transferWidth != 4) return kBad;
  uint64_t total = static_cast<uint64_t>(c.preTriggerCount) + c.postTriggerCount;
  if (c.preTriggerCount > 0x400000 || c.postTriggerCount > 0x400000 || total < 1 || total > 0x400000) return kBad;

  req = SkorradevMemSamplingRequest{};
  req.head = static_cast<uint32_t>(n);
  req.channelCount = c.channelCount;
  for (uint32_t i = 0; i < c.channelCount; ++i) req.channels[i] = {c.channels[i].channel, c.channels[i].range};
  req.inputType = c.inputType;
  req.clockCode = frequencyToDivider(c.frequency, 5);
  req.condition = c.triggerCondition;
  req.preTrigger = c.preTriggerCount;
  req.postTrigger = c.postTriggerCount;
  req.startTriggerChannel = c.startTriggerChannel;
  req.startLevelCode = start.level;
  req.startHysteresisCode = start.hysteresis;
  req.stopTriggerChannel = c.stopTriggerChannel;
  req.stopLevelCode = stop.level;
  req.stopHysteresisCode = stop.hysteresis;
  req.clockOutputSelection = c.clockOutputSelection;
  req.selectionPolarity = c.selectionPolarity;
  req.triggerInputSelection = c.triggerInputSelection;
  req.clockSelection = c.clockSelection;
  req.unchecked = c.reserved2112;
  req.transferSelection = c.transferSelection;
  req.transferWidth = c.transferWidth;
  return 0;
}

}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkMemSetSamplingConfig(HANDLE h, const SkMemSamplingConfig* cfg) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (cfg == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevMemSamplingRequest req, reply;
  status = buildMemRequest(*cfg, info, d.n, req);
  if (status != 0) return status;
  LockGuard guard;
  status = transact(d.driver, SKDF_MEM_SET_CONFIG, &req, sizeof req, &reply, sizeof reply);
  if (status != 0) return status;
  DeviceSlot& s = *d.slot;
  rememberLevels(s, *cfg);
  s.lastFrequency = cfg->frequency;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkMemGetSamplingConfig(HANDLE h, SkMemSamplingConfig* out) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  SkorradevMemSamplingRequest in{}, r;
  in.head = static_cast<uint32_t>(d.n);
  uint32_t status = transactLocked(d.driver, SKDF_MEM_GET_CONFIG, &in, sizeof in, &r, sizeof r);
  if (status != 0) return status;
  out->channelCount = r.channelCount;
  for (int i = 0; i < SK_MAX_CHANNELS; ++i) out->channels[i] = {r.channels[i].channel, r.channels[i].range};
  out->inputType = r.inputType;
  out->triggerCondition = r.condition;
  out->preTriggerCount = r.preTrigger;
  out->postTriggerCount = r.postTrigger;
  out->startTriggerChannel = r.startTriggerChannel;
  out->stopTriggerChannel = r.stopTriggerChannel;
  out->clockOutputSelection = r.clockOutputSelection;
  out->selectionPolarity = r.selectionPolarity;
  out->triggerInputSelection = r.triggerInputSelection;
  out->clockSelection = r.clockSelection;
  out->reserved2112 = r.unchecked;
  out->transferSelection = r.transferSelection;
  out->transferWidth = r.transferWidth;
  out->frequency = dividerToFrequency(r.clockCode, (r.clockCode & 0x1000000u) ? kDivOsc24_576M : kDivOsc40M);
  LockGuard guard;
  DeviceSlot& s = *d.slot;
  readBackLevels(r, s, kMemLevelBits, kMemLevelScale.mode, *out);
  return SK_SUCCESS;
}

namespace {
struct LvRate {
  float rate;
  uint32_t code;
};
constexpr LvRate kLvRates[] = {{50.0f, 0}, {60.0f, 16}, {250.0f, 32}, {500.0f, 48}};
}  // namespace

DLL_EXPORT SkResult WINAPI SkLvSetSamplingConfig(HANDLE h, uint32_t index, uint32_t value, float rate,
                                                 uint32_t value2, HANDLE event, SkCompletionCallback callback,
                                                 void* data) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  // The index selects one of the four slots the worker signals.
  if (index >= kLvSlots) return SK_E_INVALID_ARGUMENT;
  uint32_t status;
  if (!requireModel4555(d, status)) return status;
  const LvRate* found = nullptr;
  for (const LvRate& r : kLvRates)
    if (r.rate == rate) found = &r;
  if (found == nullptr) return SK_E_INVALID_ARGUMENT;
  Dwords<5> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = index;
  req.in[2] = value;
  req.in[3] = found->code;
  req.in[4] = value2;
  LockGuard guard;
  status = req.send(d.driver, SKDF_LV_SET_CONFIG);
  if (status != 0) return status;
  LvSlot& lv = d.slot->lv[index];
  lv.deviceHandle = d.driver;
  lv.deviceNumber = d.n;
  lv.index = index;
  lv.event = event;
  lv.callback = callback;
  lv.data = data;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkLvGetSamplingConfig(HANDLE h, uint32_t index, uint32_t* value, float* rate,
                                                 uint32_t* value2) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status;
  if (!requireModel4555(d, status)) return status;
  Dwords<4> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = index;
  status = req.send(d.driver, SKDF_LV_GET_CONFIG);
  if (status != 0) return status;
  if (value) *value = req.out[1];
  if (value2) *value2 = req.out[3];
  for (const LvRate& r : kLvRates)
    if (r.code == req.out[2] && rate) *rate = r.rate;
  return SK_SUCCESS;
}
