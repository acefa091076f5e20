// The one-request auxiliary exports, single conversions, timer and
// oscillators, and the raw register accessors.
#include <skorradev.h>

#include "codes.h"
#include "config_rules.h"
#include "convert.h"
#include "io.h"
#include "request.h"
#include "wire.h"

namespace skorra {

uint32_t readNormalConfig(const Device& d, SkorradevSamplingRequest& out);
uint32_t requireStopped(const Device& d);

namespace {

// A request {n, args...} of `dwords` dwords in and out; the reply's values
// are copied to `outs` (reply dwords 1..) when the status is 0, or whatever
// the status when `always` is set.
uint32_t plain(HANDLE h, uint32_t fn, uint32_t dwords, std::initializer_list<uint32_t> args,
               std::initializer_list<uint32_t*> outs = {}, bool always = false, bool locked = true) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t in[16] = {static_cast<uint32_t>(d.n)}, out[16];
  size_t i = 1;
  for (uint32_t a : args) in[i++] = a;
  uint32_t status = locked ? transactLocked(d.driver, fn, in, dwords * 4, out, dwords * 4)
                           : transact(d.driver, fn, in, dwords * 4, out, dwords * 4);
  if (status == 0 || always) {
    size_t k = 1;
    for (uint32_t* o : outs) {
      if (o != nullptr) *o = out[k];
      ++k;
    }
  }
  return status;
}

uint32_t requireModel(const Device& d, uint32_t model) {
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  return info.dw[SK_INFO_MODEL] == model ? 0 : SK_E_NOT_AVAILABLE;
}

// Raw accessors carry no device number and report only whether the call
// itself went through.
uint32_t rawRead(HANDLE h, uint32_t fn, uint32_t offset, uint32_t* value) {
  if (findDeviceNumber(h) < 0) return SK_E_UNKNOWN_HANDLE;
  uint32_t out = 0;
  DWORD bytes = 0;
  if (!devControl(h, controlCode(fn, library().nt), &offset, 4, &out, 4, &bytes, nullptr)) return SK_E_RAW_ACCESS;
  if (value != nullptr) *value = out;
  return SK_SUCCESS;
}

uint32_t rawWrite(HANDLE h, uint32_t fn, uint32_t offset, uint32_t value) {
  if (findDeviceNumber(h) < 0) return SK_E_UNKNOWN_HANDLE;
  uint32_t in[2] = {offset, value};
  DWORD bytes = 0;
  if (!devControl(h, controlCode(fn, library().nt), in, sizeof in, nullptr, 0, &bytes, nullptr)) return SK_E_RAW_ACCESS;
  return SK_SUCCESS;
}

}  // namespace
}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkCommonGetPciDeviceInfo(HANDLE h, uint32_t* p1, uint32_t* p2, uint32_t* p3,
                                                    uint32_t* p4, uint32_t* p5, uint32_t* p6, uint32_t* p7,
                                                    uint32_t* p8, uint32_t* p9, uint32_t* p10, uint32_t* p11,
                                                    uint32_t* p12, uint32_t* p13, uint32_t* p14) {
  return plain(h, SKDF_PCI_INFO, 15, {}, {p1, p2, p3, p4, p5, p6, p7, p8, p9, p10, p11, p12, p13, p14}, false, false);
}

DLL_EXPORT SkResult WINAPI SkInputAD(HANDLE h, uint32_t count, uint32_t inputMode, const uint32_t (*list)[2],
                                     void* values) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  LockGuard guard;
  uint32_t status = requireStopped(d);
  if (status != 0) return status;
  SkDeviceInfo info;
  status = deviceInfo(d, info);
  if (status != 0) return status;
  if (inputMode < 1 || inputMode > 6) return SK_E_INVALID_CONFIG;
  uint32_t max = inputMode == 2 ? info.dw[SK_INFO_MAX_DIFF] : info.dw[SK_INFO_MAX_SINGLE];
  const bool longForm = info.dw[SK_INFO_MAX_SINGLE] > 16 || info.dw[SK_INFO_MAX_DIFF] > 8;
  const uint32_t room = longForm ? 256 : 16;
  if (inputMode <= 2 && (max == 0 || count == 0 || count > max)) return SK_E_INVALID_CONFIG;
  // The request has room for a fixed number of pairs whatever the mode.
  if (count == 0 || count > room) return SK_E_INVALID_CONFIG;
  if (list == nullptr) return SK_E_NULL_BUFFER;
  for (uint32_t i = 0; i < count; ++i) {
    if ((list[i][1] & info.dw[SK_INFO_RANGE_MASK]) == 0) return SK_E_INVALID_CONFIG;
    if (list[i][0] < 1 || list[i][0] > max) return SK_E_INVALID_CONFIG;
    for (uint32_t j = i + 1; j < count; ++j)
      if (list[j][0] == list[i][0]) return SK_E_INVALID_CONFIG;
  }
  if (values == nullptr) return SK_E_NULL_BUFFER;
  auto send = [&](auto& req) {
    req.head = static_cast<uint32_t>(d.n);
    req.count = count;
    req.mode = inputMode;
    for (uint32_t i = 0; i < count; ++i) req.list[i] = {list[i][0], list[i][1]};
    req.values = addressOf(values);
    auto reply = req;
    return transact(d.driver, SKDF_INPUT_AD, &req, sizeof req, &reply, sizeof reply);
  };
  if (longForm) {
    SkorradevInputAdLong req{};
    return send(req);
  }
  SkorradevInputAdShort req{};
  return send(req);
}

DLL_EXPORT SkResult WINAPI SkSetTimer(HANDLE h, uint32_t divider1, uint32_t divider2) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  SkorradevSamplingRequest cfg;
  status = readNormalConfig(d, cfg);
  if (status != 0) return status;
  if (info.dw[SK_INFO_CLOCK_KIND] != 1) return SK_E_NOT_AVAILABLE;
  if (divider1 < 2 || divider1 > 0xFFFF || divider2 < 2 || divider2 > 0xFFFF) return SK_E_INVALID_CONFIG;
  float f = static_cast<float>(8e6 / (static_cast<double>(divider1) * divider2));
  if (!(f >= 0.01f)) return SK_E_INVALID_CONFIG;
  if (checkMaxFrequency(f, cfg.mode, info.dw[SK_INFO_CLOCK_TYPE], cfg.channelCount, &info.dw[SK_INFO_PERIOD_ONE]) != 0)
    return SK_E_INVALID_CONFIG;
  cfg.head = static_cast<uint32_t>(d.n);
  cfg.clockCode = (divider2 << 16) | divider1;
  SkorradevSamplingRequest reply;
  LockGuard guard;
  status = transact(d.driver, SKDF_SET_CONFIG, &cfg, sizeof cfg, &reply, sizeof reply);
  if (status == 0) d.slot->lastFrequency = f;
  return status;
}

DLL_EXPORT SkResult WINAPI SkGetTimer(HANDLE h, uint32_t* divider1, uint32_t* divider2, float* frequency) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  if (info.dw[SK_INFO_CLOCK_KIND] != 1) return SK_E_NOT_AVAILABLE;
  SkorradevSamplingRequest cfg;
  status = readNormalConfig(d, cfg);
  if (status != 0) return status;
  uint32_t d1 = cfg.clockCode & 0xFFFF, d2 = cfg.clockCode >> 16;
  if (divider1) *divider1 = d1;
  if (divider2) *divider2 = d2;
  // An external clock has no dividers, and no frequency of its own.
  if (frequency) *frequency = (d1 == 0 || d2 == 0) ? 0.0f : static_cast<float>(8e6 / (double(d1) * d2));
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkSetBaseOsc(HANDLE h, uint32_t oscillator, float frequency1, float frequency2) {
  return plain(h, SKDF_SET_BASE_OSC, 4,
               {oscillator, baseOscToDivider(frequency1, oscillator), baseOscToDivider(frequency2, oscillator)});
}

DLL_EXPORT SkResult WINAPI SkGetBaseOsc(HANDLE h, uint32_t* oscillator, float* frequency1, float* frequency2) {
  uint32_t osc = 0, d1 = 0, d2 = 0;
  uint32_t status = plain(h, SKDF_GET_BASE_OSC, 4, {}, {&osc, &d1, &d2});
  if (status != 0) return status;
  if (oscillator) *oscillator = osc;
  if (frequency1) *frequency1 = baseOscDividerToFrequency(d1, osc);
  if (frequency2) *frequency2 = baseOscDividerToFrequency(d2, osc);
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkMeasureTemperature(HANDLE h, float* celsius) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status = requireModel(d, 4555);
  if (status != 0) return status;
  uint32_t raw = 0;
  status = plain(h, SKDF_TEMPERATURE, 2, {}, {&raw});
  if (status == 0 && celsius != nullptr) *celsius = static_cast<float>(raw & 0xFF) * 0.25f;
  return status;
}

DLL_EXPORT SkResult WINAPI SkLvCalibration(HANDLE h, uint32_t value1, uint32_t value2) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status = requireModel(d, 4555);
  if (status != 0) return status;
  uint32_t ms = 0;
  status = plain(h, SKDF_LV_CALIBRATION, 3, {value1, value2}, {&ms});
  if (status == 0) Sleep(ms);
  return status;
}

DLL_EXPORT SkResult WINAPI SkSetFilter(HANDLE h, uint32_t filter) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  LockGuard guard;
  uint32_t status = requireStopped(d);
  if (status != 0) return status;
  if (filter > 5) return SK_E_INVALID_CONFIG;
  return plain(h, SKDF_SET_FILTER, 2, {filter});
}

DLL_EXPORT SkResult WINAPI SkReadSamplingBuffer(HANDLE h, int32_t length, uint32_t* count, void* buffer) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (length < -1 || count == nullptr || *count == 0) return SK_E_INVALID_ARGUMENT;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  SkorradevBufferReadRequest in{static_cast<uint32_t>(d.n), length, *count, addressOf(buffer)};
  SkorradevBufferReadRequest out;
  uint32_t status = transactLocked(d.driver, SKDF_READ_BUFFER, &in, sizeof in, &out, sizeof out);
  *count = out.count;
  return status;
}

DLL_EXPORT SkResult WINAPI SkMemSetDiPattern(HANDLE h, uint32_t count, const uint32_t* values) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (count > 8) return SK_E_INVALID_ARGUMENT;
  if (values == nullptr && count != 0) return SK_E_NULL_BUFFER;
  SkorradevDiPattern req{static_cast<uint32_t>(d.n), count, {}}, reply;
  for (uint32_t i = 0; i < count; ++i) req.value[i] = values[i];
  return transactLocked(d.driver, SKDF_MEM_SET_DI_PATTERN, &req, sizeof req, &reply, sizeof reply);
}

DLL_EXPORT SkResult WINAPI SkMemGetDiPattern(HANDLE h, uint32_t values[8]) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  SkorradevDiPattern req{static_cast<uint32_t>(d.n), 0, {}}, reply;
  uint32_t status = transactLocked(d.driver, SKDF_MEM_GET_DI_PATTERN, &req, sizeof req, &reply, sizeof reply);
  if (status == 0 && values != nullptr) {
    // Reply dwords 2..9.
    for (int i = 0; i < 8; ++i) values[i] = reply.value[i];
  }
  return status;
}

DLL_EXPORT SkResult WINAPI SkGetOverRangeChStatus(HANDLE h, uint32_t* status) {
  return plain(h, SKDF_GET_OVER_RANGE, 2, {}, {status});
}
DLL_EXPORT SkResult WINAPI SkGetRangeEventStatus(HANDLE h, uint32_t* value1, uint32_t* value2) {
  return plain(h, SKDF_GET_RANGE_EVENT, 3, {}, {value1, value2});
}
DLL_EXPORT SkResult WINAPI SkInputDI(HANDLE h, uint32_t* value) { return plain(h, SKDF_INPUT_DI, 2, {}, {value}); }
DLL_EXPORT SkResult WINAPI SkOutputDO(HANDLE h, uint32_t value) { return plain(h, SKDF_OUTPUT_DO, 2, {value}); }
DLL_EXPORT SkResult WINAPI SkAdjustVR(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) {
  return plain(h, SKDF_ADJUST_VR, 6, {a, b, c, d, e});
}
DLL_EXPORT SkResult WINAPI SkReadAdjustVR(HANDLE h, uint32_t a) { return plain(h, SKDF_READ_ADJUST_VR, 2, {a}); }
DLL_EXPORT SkResult WINAPI SkSelfCheck(HANDLE h) { return plain(h, SKDF_SELF_CHECK, 1, {}, {}, false, false); }
DLL_EXPORT SkResult WINAPI SkGetResource(HANDLE h, uint32_t out[6], uint32_t* a, uint32_t* b, uint32_t* c,
                                         uint32_t* d) {
  uint32_t* o = out;
  return plain(h, SKDF_GET_RESOURCE, 11, {},
               {o ? o : nullptr, o ? o + 1 : nullptr, o ? o + 2 : nullptr, o ? o + 3 : nullptr, o ? o + 4 : nullptr,
                o ? o + 5 : nullptr, a, b, c, d},
               false, false);
}
DLL_EXPORT SkResult WINAPI SkAllocateSamplingBuffer(HANDLE h) {
  return plain(h, SKDF_ALLOCATE_BUFFER, 1, {}, {}, false, false);
}
DLL_EXPORT SkResult WINAPI SkSetRangeEvent(HANDLE h, uint32_t a, uint32_t b) {
  return plain(h, SKDF_SET_RANGE_EVENT, 3, {a, b});
}
DLL_EXPORT SkResult WINAPI SkResetRangeEvent(HANDLE h) { return plain(h, SKDF_RESET_RANGE_EVENT, 1, {}); }
DLL_EXPORT SkResult WINAPI SkResetOverRangeCh(HANDLE h) { return plain(h, SKDF_RESET_OVER_RANGE, 1, {}); }
DLL_EXPORT SkResult WINAPI SkSetInterval(HANDLE h, uint32_t interval) {
  return plain(h, SKDF_SET_INTERVAL, 2, {interval});
}
DLL_EXPORT SkResult WINAPI SkGetInterval(HANDLE h, uint32_t* interval) {
  return plain(h, SKDF_GET_INTERVAL, 2, {}, {interval}, true);
}
DLL_EXPORT SkResult WINAPI SkSetFunction(HANDLE h, uint32_t a, uint32_t b) {
  return plain(h, SKDF_SET_FUNCTION, 3, {a, b});
}
DLL_EXPORT SkResult WINAPI SkGetFunction(HANDLE h, uint32_t a, uint32_t* value) {
  return plain(h, SKDF_GET_FUNCTION, 2, {a}, {value}, true);
}
DLL_EXPORT SkResult WINAPI SkGetFilter(HANDLE h, uint32_t* filter) {
  return plain(h, SKDF_GET_FILTER, 2, {}, {filter}, true);
}
DLL_EXPORT SkResult WINAPI SkSetOutMode(HANDLE h, uint32_t a, uint32_t b) {
  return plain(h, SKDF_SET_OUT_MODE, 3, {a, b});
}
DLL_EXPORT SkResult WINAPI SkGetOutMode(HANDLE h, uint32_t* a, uint32_t* b) {
  return plain(h, SKDF_GET_OUT_MODE, 3, {}, {a, b}, true);
}
DLL_EXPORT SkResult WINAPI SkAdjustVRWrite(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  return plain(h, SKDF_ADJUST_VR_WRITE, 6, {a, b, c, d});
}
DLL_EXPORT SkResult WINAPI SkAdjustVRRead(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t* value) {
  return plain(h, SKDF_ADJUST_VR_READ, 6, {a, b, c}, {value}, true);
}
DLL_EXPORT SkResult WINAPI SkSetAnalogTrgDac(HANDLE h, uint32_t a, uint32_t b) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t in[3] = {static_cast<uint32_t>(d.n), a, b}, out[2];
  return transactLocked(d.driver, SKDF_SET_ANALOG_TRG_DAC, in, sizeof in, out, sizeof out);
}
DLL_EXPORT SkResult WINAPI SkGetDswValue(HANDLE h, uint32_t* value) {
  return plain(h, SKDF_DSW_VALUE, 2, {}, {value}, true);
}
DLL_EXPORT SkResult WINAPI SkSetAdcControl(HANDLE h, uint32_t value) {
  return plain(h, SKDF_SET_ADC_CONTROL, 2, {value});
}

#define SK_RAW_READ(name, fn) \
  DLL_EXPORT SkResult WINAPI name(HANDLE h, uint32_t offset, uint32_t* value) { return rawRead(h, fn, offset, value); }
#define SK_RAW_WRITE(name, fn, mask)                                          \
  DLL_EXPORT SkResult WINAPI name(HANDLE h, uint32_t offset, uint32_t value) { \
    return rawWrite(h, fn, offset, value & (mask));                           \
  }

SK_RAW_READ(SkCommonIoByteRead, SKDF_IO_BYTE_READ)
SK_RAW_READ(SkCommonIoWordRead, SKDF_IO_WORD_READ)
SK_RAW_READ(SkCommonIoDwordRead, SKDF_IO_DWORD_READ)
SK_RAW_WRITE(SkCommonIoByteWrite, SKDF_IO_BYTE_WRITE, 0xFFu)
SK_RAW_WRITE(SkCommonIoWordWrite, SKDF_IO_WORD_WRITE, 0xFFFFu)
SK_RAW_WRITE(SkCommonIoDwordWrite, SKDF_IO_DWORD_WRITE, 0xFFFFFFFFu)
SK_RAW_READ(SkCommonMemoryByteRead, SKDF_MEM_BYTE_READ)
SK_RAW_READ(SkCommonMemoryWordRead, SKDF_MEM_WORD_READ)
SK_RAW_READ(SkCommonMemoryDwordRead, SKDF_MEM_DWORD_READ)
SK_RAW_WRITE(SkCommonMemoryByteWrite, SKDF_MEM_BYTE_WRITE, 0xFFu)
SK_RAW_WRITE(SkCommonMemoryWordWrite, SKDF_MEM_WORD_WRITE, 0xFFFFu)
SK_RAW_WRITE(SkCommonMemoryDwordWrite, SKDF_MEM_DWORD_WRITE, 0xFFFFFFFFu)
