// Starting, stopping, status and data retrieval.
#include <bit>

#include <skorradev.h>

#include "codes.h"
#include "convert.h"
#include "io.h"
#include "request.h"
#include "wire.h"

namespace skorra {

uint32_t readNormalConfig(const Device& d, SkorradevSamplingRequest& out);
uint32_t readBmConfig(const Device& d, SkorradevBmSamplingRequest& out);

// Waits for the end of a run without holding the library lock: the end
// event (set by the worker), the slot's stop event (the device closes), or
// the driver reporting the stopped state, which is asked every slice.
void waitForRunEnd(const Device& d, HANDLE endEvent, HANDLE stopEvent) {
  constexpr DWORD kSliceMs = 100;
  const HANDLE waits[2] = {endEvent, stopEvent};
  for (;;) {
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, kSliceMs);
    if (r != WAIT_TIMEOUT) return;
    uint32_t state = 0;
    uint32_t status = samplingState(d, state);
    if (status != 0 || state == SK_STATE_STOPPED) return;
  }
}

// The state must be stopped for a start; called under the lock.
uint32_t requireStopped(const Device& d) {
  uint32_t state = 0;
  uint32_t status = samplingState(d, state);
  if (status != 0) return status;
  return state == SK_STATE_STOPPED ? 0 : SK_E_BUSY;
}

// Bytes of one sample for a converter resolution.
uint32_t bytesPerSample(uint32_t bits) { return bits <= 8 ? 1 : bits <= 23 ? 2 : 4; }

// Words of one bus-master scan: the board adds one or two words.
uint32_t bmWordsPerScan(uint32_t channels, uint32_t transferSelection) {
  if (channels % 2 == 1) return channels + 1;
  return transferSelection == 1 ? channels : channels + 2;
}

namespace {

uint32_t mapFailure() { return mapSystemError(GetLastError()); }

// Waits for an overlapped request that was cancelled, so that the driver
// is done with the caller's buffer before the export returns.
void drainCancelled(HANDLE h, OVERLAPPED& ov, DWORD& bytes) {
  CancelIoEx(h, &ov);
  if (WaitForSingleObject(ov.hEvent, 5000) == WAIT_OBJECT_0) GetOverlappedResult(h, &ov, &bytes, FALSE);
}

uint32_t directRead(const Device& d, void* buffer, uint32_t* count) {
  constexpr DWORD kDirectReadMs = 10000;
  uint64_t size = static_cast<uint64_t>(*count) * 4;
  if (size > 0xFFFFFFFFu) return SK_E_INVALID_ARGUMENT;
  DeviceSlot& s = *d.slot;
  OVERLAPPED* ov;
  HANDLE event;
  BOOL ok;
  DWORD bytes = 0;
  {
    LockGuard guard;
    if (s.overlappedB.hEvent != nullptr) CloseHandle(s.overlappedB.hEvent);
    s.overlappedB = OVERLAPPED{};
    s.overlappedB.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (s.overlappedB.hEvent == nullptr) return SK_E_NO_RESOURCES;
    ov = &s.overlappedB;
    event = ov->hEvent;
    ok = devControl(d.driver, controlCode(SKDF_DIRECT_READ, true), nullptr, 0, buffer, static_cast<DWORD>(size), &bytes,
                    ov);
    if (ok || GetLastError() != ERROR_IO_PENDING) {
      uint32_t result = ok ? 0 : mapFailure();
      if (ok) *count = bytes / 4;
      CloseHandle(event);
      s.overlappedB.hEvent = nullptr;
      return result;
    }
  }
  DWORD r = WaitForSingleObject(event, kDirectReadMs);
  uint32_t result = 0;
  if (r == WAIT_OBJECT_0) {
    if (!GetOverlappedResult(d.driver, ov, &bytes, FALSE)) result = mapFailure();
  } else {
    DWORD error = r == WAIT_TIMEOUT ? 0 : GetLastError();
    drainCancelled(d.driver, *ov, bytes);
    result = r == WAIT_TIMEOUT ? SK_E_TIMEOUT : error;
  }
  *count = bytes / 4;
  LockGuard guard;
  if (s.overlappedB.hEvent == event) {
    CloseHandle(event);
    s.overlappedB.hEvent = nullptr;
  }
  return result;
}

uint32_t dataRequest(const Device& d, uint32_t fn, uint32_t head, void* buffer, uint32_t* count) {
  SkorradevDataRequest in{head, *count, addressOf(buffer)};
  SkorradevDataRequest out;
  uint32_t status = transactLocked(d.driver, fn, &in, sizeof in, &out, sizeof out);
  *count = out.count;
  return status;
}

bool requireModel(const Device& d, uint32_t model, uint32_t& status) {
  SkDeviceInfo info;
  status = deviceInfo(d, info);
  if (status != 0) return false;
  if (info.dw[SK_INFO_MODEL] != model) {
    status = SK_E_NOT_AVAILABLE;
    return false;
  }
  return true;
}

}  // namespace
}  // namespace skorra

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkStartSampling(HANDLE h, uint32_t mode) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (mode == 0 || mode > 2) return SK_E_INVALID_ARGUMENT;
  DeviceSlot& s = *d.slot;
  HANDLE endEvent, stopEvent;
  uint32_t status;
  {
    LockGuard guard;
    status = requireStopped(d);
    if (status != 0) return status;
    if (s.overLimit == 1) return SK_E_FREQUENCY_OVER_LIMIT;
    endEvent = s.endEvent;
    stopEvent = s.stopEvent;
    if (mode == 1) {
      s.completionEvent = nullptr;
      s.completionCallback = nullptr;
      ResetEvent(endEvent);
    }
    Dwords<3> req;
    req.in[0] = static_cast<uint32_t>(d.n);
    req.in[1] = mode;
    req.in[2] = kNoDriverEvent;
    status = req.send(d.driver, SKDF_START);
  }
  if (status == 0 && mode == 1) {
    // Without the lock, so that SkStopSampling and SkClose can get in.
    waitForRunEnd(d, endEvent, stopEvent);
    ResetEvent(endEvent);
  }
  return status;
}

DLL_EXPORT SkResult WINAPI SkStopSampling(HANDLE h) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  return simpleRequest(d, SKDF_STOP, 1);
}

DLL_EXPORT SkResult WINAPI SkGetStatus(HANDLE h, int32_t* state, int32_t* value2, int32_t* value3) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t r[4];
  uint32_t status = simpleRequest(d, SKDF_STATUS, 4, r);
  if (status != 0) return status;
  if (state) *state = static_cast<int32_t>(r[1]);
  if (value2) *value2 = static_cast<int32_t>(r[2]);
  if (value3) *value3 = static_cast<int32_t>(r[3]);
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetSamplingData(HANDLE h, void* buffer, uint32_t* count) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (count == nullptr || *count == 0) return SK_E_INVALID_ARGUMENT;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  if (info.dw[SK_INFO_MODEL] == 5055) return directRead(d, buffer, count);
  return dataRequest(d, SKDF_READ_DATA, static_cast<uint32_t>(d.n), buffer, count);
}

DLL_EXPORT SkResult WINAPI SkClearSamplingData(HANDLE h) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  return simpleRequest(d, SKDF_CLEAR_DATA, 1);
}

DLL_EXPORT SkResult WINAPI SkTriggerSampling(HANDLE h, uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4,
                                             uint32_t v5, uint32_t v6) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  if (info.dw[SK_INFO_CLOCK_TYPE] == 1) return SK_E_NOT_AVAILABLE;
  LockGuard guard;
  status = requireStopped(d);
  if (status != 0) return status;
  Dwords<8> req;
  uint32_t values[8] = {static_cast<uint32_t>(d.n), v1, v2, v3, v4, v5, v6, kNoDriverEvent};
  std::memcpy(req.in, values, sizeof values);
  return req.send(d.driver, SKDF_TRIGGER_SAMPLING);
}

DLL_EXPORT SkResult WINAPI SkMemTriggerSampling(HANDLE h, uint32_t count, const uint32_t (*list)[2], uint32_t v1,
                                                uint32_t v2, uint32_t v3, float frequency, uint32_t clockSource,
                                                uint32_t v4) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (count == 0 || count > 256) return SK_E_INVALID_ARGUMENT;
  if (list == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  LockGuard guard;
  status = requireStopped(d);
  if (status != 0) return status;
  if (!(frequency >= 0.0f || frequency == -1.0f)) return SK_E_INVALID_CONFIG;
  uint32_t clock = 0;
  switch (info.dw[SK_INFO_CLOCK_KIND]) {
    case 1:
      if (frequency == -1.0f) return SK_E_INVALID_CONFIG;
      clock = findClockDividerPair(frequency);
      break;
    case 2:
      clock = frequencyToClockCode(frequency);
      if (clock == 255) return SK_E_INVALID_CONFIG;
      break;
    case 3: clock = frequencyToDivider(frequency, 0); break;
    case 4: clock = frequencyToDivider(frequency, 2); break;
    default: break;
  }
  if (frequency == 0.0f && clockSource != 1 && clockSource != 2) return SK_E_INVALID_CONFIG;
  SkorradevMemTriggerRequest req{}, reply;
  req.head = static_cast<uint32_t>(d.n);
  req.count = count;
  for (uint32_t i = 0; i < count; ++i) req.list[i] = {list[i][0], list[i][1]};
  req.value1 = v1;
  req.value2 = v2;
  req.value3 = v3;
  req.clockCode = clock;
  req.clockSource = clockSource;
  req.value4 = v4;
  req.event = kNoDriverEvent;
  return transact(d.driver, SKDF_MEM_TRIGGER_SAMPLING, &req, sizeof req, &reply, sizeof reply);
}

DLL_EXPORT SkResult WINAPI SkSyncSampling(HANDLE h, uint32_t flags) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if ((flags & 3) != 1 && (flags & 3) != 2) return SK_E_INVALID_CONFIG;
  LockGuard guard;
  uint32_t status = requireStopped(d);
  if (status != 0) return status;
  uint32_t pci[15];
  status = simpleRequest(d, SKDF_PCI_INFO, 15, pci);
  if (status != 0) return status;
  uint32_t sent = flags & 3;
  const uint32_t caps = pci[11];
  if ((caps & 0x101) == 0x101 || (caps & 0x2400) == 0x2400) {
    SkorradevSamplingRequest cfg;
    status = readNormalConfig(d, cfg);
    if (status != 0) return status;
    SkDeviceInfo info;
    status = deviceInfo(d, info);
    if (status != 0) return status;
    int bits = std::popcount((flags >> 8) & 0xFFu);
    int need = (cfg.mode == 1 || info.dw[SK_INFO_MODEL] == 5055) ? 1 : 2;
    if (bits != need) return SK_E_INVALID_CONFIG;
    sent = flags;
  }
  if (d.slot->overLimitNoChannels == 1) return SK_E_FREQUENCY_OVER_LIMIT;
  Dwords<3> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = sent;
  req.in[2] = kNoDriverEvent;
  return req.send(d.driver, SKDF_SYNC_SAMPLING);
}

DLL_EXPORT SkResult WINAPI SkBmStartSampling(HANDLE h, void* buffer, uint32_t size) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  LockGuard guard;
  uint32_t status = requireStopped(d);
  if (status != 0) return status;
  DeviceSlot& s = *d.slot;
  if (s.overLimit == 1) return SK_E_FREQUENCY_OVER_LIMIT;
  // One transfer per record: a previous one still running keeps it.
  if (!requestDone(s.overlappedA)) return SK_E_BUSY;
  HANDLE event = s.overlappedA.hEvent;
  s.overlappedA = OVERLAPPED{};
  s.overlappedA.hEvent = event;
  DWORD bytes = 0;
  if (devControl(d.driver, controlCode(SKDF_BM_START_TRANSFER, true), nullptr, 0, buffer, size, &bytes,
                 &s.overlappedA))
    return SK_SUCCESS;
  return GetLastError() == ERROR_IO_PENDING ? SK_SUCCESS : mapFailure();
}

DLL_EXPORT SkResult WINAPI SkBmSyncSampling(HANDLE h, uint32_t count, void* buffer) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  if (count == 0 || count > 2) return SK_E_INVALID_CONFIG;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  LockGuard guard;
  status = requireStopped(d);
  if (status != 0) return status;
  SkorradevBmSamplingRequest cfg;
  status = readBmConfig(d, cfg);
  if (status != 0) return status;
  uint64_t size = static_cast<uint64_t>(cfg.sampleCount) * cfg.repeatCount *
                  bytesPerSample(info.dw[SK_INFO_RESOLUTION]) * bmWordsPerScan(cfg.channelCount, cfg.transferSelection);
  if (size > 0xFFFFFFFFu) return SK_E_INVALID_CONFIG;
  DeviceSlot& s = *d.slot;
  if (!requestDone(s.overlappedA)) return SK_E_BUSY;
  HANDLE event = s.overlappedA.hEvent;
  s.overlappedA = OVERLAPPED{};
  s.overlappedA.hEvent = event;
  SkorradevStartRequest in{static_cast<uint32_t>(d.n), count, kNoDriverEvent};
  DWORD bytes = 0;
  if (devControl(d.driver, controlCode(SKDF_BM_SYNC_READ, true), &in, sizeof in, buffer, static_cast<DWORD>(size),
                 &bytes, &s.overlappedA)) {
    status = 0;
  } else {
    if (GetLastError() == ERROR_IO_PENDING) return SK_SUCCESS;
    status = mapFailure();
  }
  simpleRequest(d, SKDF_STOP, 1);
  return status;
}

DLL_EXPORT SkResult WINAPI SkBmGetSamplingData(HANDLE h, void* buffer, uint32_t* count) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (count == nullptr || *count == 0) return SK_E_INVALID_ARGUMENT;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  return dataRequest(d, SKDF_BM_READ_DATA, static_cast<uint32_t>(d.n), buffer, count);
}

DLL_EXPORT SkResult WINAPI SkBmGetStatus(HANDLE h, uint32_t* o1, uint32_t* o2, uint32_t* o3, uint32_t* o4) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t r[5];
  uint32_t status = simpleRequest(d, SKDF_BM_STATUS, 5, r);
  if (status != 0) return status;
  if (o1) *o1 = r[1];
  if (o3) *o3 = r[2];
  if (o4) *o4 = r[3];
  if (o2) *o2 = r[4];
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkLvStartSampling(HANDLE h, uint32_t value) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status;
  if (!requireModel(d, 4555, status)) return status;
  Dwords<3> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = value;
  req.in[2] = kNoDriverEvent;
  return req.send(d.driver, SKDF_LV_START);
}

DLL_EXPORT SkResult WINAPI SkLvStopSampling(HANDLE h, uint32_t value) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status;
  if (!requireModel(d, 4555, status)) return status;
  Dwords<2> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = value;
  return req.send(d.driver, SKDF_LV_STOP);
}

DLL_EXPORT SkResult WINAPI SkLvGetStatus(HANDLE h, uint32_t value, uint32_t* o1, uint32_t* o2, uint32_t* o3) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status;
  if (!requireModel(d, 4555, status)) return status;
  Dwords<4> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = value;
  status = req.send(d.driver, SKDF_LV_STATUS);
  if (status != 0) return status;
  if (o1) *o1 = req.out[1];
  if (o2) *o2 = req.out[2];
  if (o3) *o3 = req.out[3];
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkLvGetSamplingData(HANDLE h, uint32_t channels, void* buffer, uint32_t* count) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status;
  if (!requireModel(d, 4555, status)) return status;
  if (channels == 0 || channels > 4 || count == nullptr || *count == 0) return SK_E_INVALID_ARGUMENT;
  if (buffer == nullptr) return SK_E_NULL_BUFFER;
  return dataRequest(d, SKDF_LV_READ_DATA, static_cast<uint32_t>(d.n) | (channels << 16), buffer, count);
}

DLL_EXPORT SkResult WINAPI SkFifoGetSamplingData(HANDLE h, void* buffer1, void* buffer2, uint32_t* count) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (count == nullptr || *count == 0) return SK_E_INVALID_ARGUMENT;
  if (buffer1 == nullptr || buffer2 == nullptr) return SK_E_NULL_BUFFER;
  SkorradevFifoDataRequest in{static_cast<uint32_t>(d.n), *count, addressOf(buffer1), addressOf(buffer2)};
  SkorradevFifoDataRequest out;
  uint32_t status = transactLocked(d.driver, SKDF_FIFO_READ_DATA, &in, sizeof in, &out, sizeof out);
  *count = out.count;
  return status;
}

DLL_EXPORT SkResult WINAPI SkFifoReset(HANDLE h) {
  Device d = lookup(h);
  return d ? simpleRequest(d, SKDF_FIFO_RESET, 2) : SK_E_UNKNOWN_HANDLE;
}

DLL_EXPORT SkResult WINAPI SkStartFifoSampling(HANDLE h) {
  Device d = lookup(h);
  return d ? simpleRequest(d, SKDF_FIFO_START, 2) : SK_E_UNKNOWN_HANDLE;
}

DLL_EXPORT SkResult WINAPI SkFifoStop(HANDLE h) {
  Device d = lookup(h);
  return d ? simpleRequest(d, SKDF_FIFO_STOP, 2) : SK_E_UNKNOWN_HANDLE;
}

DLL_EXPORT SkResult WINAPI SkSoftTrigger(HANDLE h) {
  Device d = lookup(h);
  return d ? simpleRequest(d, SKDF_SOFT_TRIGGER, 1) : SK_E_UNKNOWN_HANDLE;
}

namespace {
uint32_t dwordQuery(HANDLE h, uint32_t fn, uint32_t* out) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t r[2];
  uint32_t status = simpleRequest(d, fn, 2, r);
  if (status == 0 && out != nullptr) *out = r[1];
  return status;
}
}  // namespace

DLL_EXPORT SkResult WINAPI SkGetFifoStatus(HANDLE h, uint32_t* out) { return dwordQuery(h, SKDF_FIFO_STATUS, out); }
DLL_EXPORT SkResult WINAPI SkGetBusyStatus(HANDLE h, uint32_t* out) { return dwordQuery(h, SKDF_BUSY_STATUS, out); }
