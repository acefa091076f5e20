// Open, close and the information exports.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "codes.h"
#include "io.h"
#include "request.h"
#include "worker.h"

namespace skorra {

// "SKORRA" in any case followed by the device number 1..255 by the
// leading-digits rule (trailing characters after the digits are ignored).
int parseDeviceName(const char* name) {
  static constexpr char kPrefix[] = "SKORRA";
  constexpr size_t kPrefixLen = sizeof kPrefix - 1;
  if (name == nullptr) return -1;
  for (size_t i = 0; i < kPrefixLen; ++i) {
    if (name[i] == '\0' || std::toupper(static_cast<unsigned char>(name[i])) != kPrefix[i]) return -1;
  }
  const char* p = name + kPrefixLen;
  if (*p == '\0') return -1;
  long value = 0;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p - '0');
    if (value > kMaxDevices) return -1;
    ++p;
  }
  return (value >= 1 && value <= kMaxDevices) ? static_cast<int>(value) : -1;
}

namespace {

void closeIfSet(HANDLE& h) {
  if (h != nullptr) CloseHandle(h);
  h = nullptr;
}

void clearRegistrations(DeviceSlot& s) {
  s.completionEvent = nullptr;
  s.completionCallback = nullptr;
  s.callbackData = nullptr;
  s.exIntEvent = nullptr;
  s.exIntCallback = nullptr;
  s.exIntData = nullptr;
  s.messageWindow = nullptr;
  s.message = 0;
  s.messageHighWord = 0;
  s.messageMask = 0;
  for (LvSlot& lv : s.lv) {
    lv.callback = nullptr;
    lv.data = nullptr;
    lv.event = nullptr;
    lv.deviceHandle = INVALID_HANDLE_VALUE;
    lv.deviceNumber = -1;
    lv.index = 0;
  }
}

void clearLastValues(DeviceSlot& s) {
  s.lastFrequency = s.lastSecondFrequency = 0.0f;
  s.lastLevel1 = s.lastLevel2 = 0.0f;
  s.lastStartHysteresis = s.lastStopHysteresis = 0.0f;
  s.overLimit = s.overLimitNoChannels = 0;
}

// Releases what an open made; the worker must have ended.
void releaseSlot(DeviceSlot& s) {
  closeIfSet(s.interruptEvent);
  closeIfSet(s.stopEvent);
  closeIfSet(s.endEvent);
  closeIfSet(s.overlappedA.hEvent);
  closeIfSet(s.overlappedB.hEvent);
  closeIfSet(s.workerThread);
  s.overlappedA = OVERLAPPED{};
  s.overlappedB = OVERLAPPED{};
  s.fileSamplingEvent = nullptr;
  clearRegistrations(s);
  clearLastValues(s);
  s.deviceNumber = -1;
}

// Time the close waits for the worker to end after it was told to.
constexpr DWORD kWorkerEndMs = 5000;

}  // namespace
}  // namespace skorra

using namespace skorra;

DLL_EXPORT HANDLE WINAPI SkOpen(const char* name) {
  int n = parseDeviceName(name);
  if (n < 0) return INVALID_HANDLE_VALUE;
  DeviceSlot& s = slotOf(n);
  if (s.callerHandle.load() != INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  LockGuard guard;
  // Again under the lock: two threads may have passed the first test.
  if (s.callerHandle.load() != INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  // The older platform hands events to the driver through a kernel service
  // this system does not offer.
  if (!library().nt) return INVALID_HANDLE_VALUE;

  char path[32];
  std::snprintf(path, sizeof path, "\\\\.\\SKORRA%d", n);
  HANDLE driver = devOpen(path, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
  if (driver == INVALID_HANDLE_VALUE || driver == nullptr) return INVALID_HANDLE_VALUE;

  s.deviceNumber = n;
  s.interruptEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.endEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.overlappedA = OVERLAPPED{};
  s.overlappedA.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.overlappedB = OVERLAPPED{};
  s.overlappedB.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  s.messageWindow = nullptr;
  s.message = 0;
  s.messageHighWord = 0;
  bool ok = s.interruptEvent && s.endEvent && s.stopEvent && s.overlappedA.hEvent && s.overlappedB.hEvent;
  if (ok) {
    s.worker = WorkerContext{};
    s.worker.slot = &s;
    s.worker.driver = driver;
    s.worker.n = n;
    s.worker.interruptEvent = s.interruptEvent;
    s.worker.stopEvent = s.stopEvent;
    s.worker.endEvent = s.endEvent;
    s.worker.transferEvent = s.overlappedA.hEvent;
    DWORD tid = 0;
    s.workerThread = CreateThread(nullptr, 0, workerProc, &s.worker, 0, &tid);
    ok = s.workerThread != nullptr;
  }
  if (!ok) {
    devClose(driver);
    releaseSlot(s);
    return INVALID_HANDLE_VALUE;
  }
  SetThreadPriority(s.workerThread, THREAD_PRIORITY_TIME_CRITICAL);
  s.callerHandle = driver;
  return driver;
}

DLL_EXPORT SkResult WINAPI SkClose(HANDLE h) {
  int n;
  DeviceSlot* sp;
  {
    LockGuard guard;
    n = findDeviceNumber(h);
    if (n < 0) return SK_E_UNKNOWN_HANDLE;
    sp = &slotOf(n);
    // From here every export sees the handle as unknown, and no open can
    // take the slot before it is released.
    sp->callerHandle = kClosingHandle;
  }
  DeviceSlot& s = *sp;
  ResetEvent(s.endEvent);
  SetEvent(s.stopEvent);
  CancelIoEx(h, &s.worker.wait);
  bool ended = WaitForSingleObject(s.workerThread, kWorkerEndMs) == WAIT_OBJECT_0;
  devClose(h);
  LockGuard guard;
  if (ended) {
    releaseSlot(s);
  } else {
    // A worker that does not end keeps its events and slot record; only
    // the registrations are dropped so that it calls nobody any more.
    clearRegistrations(s);
    s.workerThread = nullptr;
    s.interruptEvent = s.stopEvent = s.endEvent = nullptr;
    s.overlappedA = OVERLAPPED{};
    closeIfSet(s.overlappedB.hEvent);
    clearLastValues(s);
    s.deviceNumber = -1;
  }
  s.callerHandle = INVALID_HANDLE_VALUE;
  Sleep(1);
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetDeviceInfo(HANDLE h, uint32_t out[10]) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info);
  if (status != 0) return status;
  std::memcpy(out, info.dw, 10 * sizeof(uint32_t));
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkCommonGetDeviceInfo(HANDLE h, uint32_t out[94]) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  SkDeviceInfo info;
  uint32_t status = deviceInfo(d, info, false);
  if (status != 0) return status;
  std::memcpy(out, info.dw, sizeof info.dw);
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkSetBoardConfig(HANDLE h, HANDLE event, SkCompletionCallback callback, void* data) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  d.slot->completionEvent = event;
  d.slot->completionCallback = callback;
  d.slot->callbackData = data;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetBoardConfig(HANDLE h, uint32_t* cause) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t reply[2];
  uint32_t status = simpleRequest(d, SKDF_INTERRUPT_CAUSE, 2, reply);
  if (status != 0) return status;
  if (cause != nullptr) *cause = reply[1];
  return SK_SUCCESS;
}

namespace {

float perMicro(uint32_t divisor, double scale) {
  double v = divisor / scale;
  return v == 0.0 ? 0.0f : static_cast<float>(1e6 / v);
}

bool modelGate(uint32_t model, uint32_t variant) {
  switch (model) {
    case 4504:
    case 4548:
    case 4555:
    case 4809:
      return variant == 1;
    case 4597:
      return ((variant >> 10) & 7u) != 1;
    case 4619:
    case 4636:
      return true;
    default:
      return false;
  }
}

void modelName(uint32_t model, uint32_t variant, char (&out)[64]) {
  if (variant & 1u) {
    uint32_t family = (variant >> 8) & 0xFFu;
    const char* prefix = family == 1 ? "RNW/RNQ-" : family == 2 ? "MVE-" : "KSB-";
    uint32_t letter = (variant >> 4) & 0xFu;
    char suffix[2] = {letter >= 1 && letter <= 4 ? static_cast<char>('A' + letter - 1) : '\0', '\0'};
    std::snprintf(out, sizeof out, "%s%u%s", prefix, model, suffix);
    return;
  }
  uint32_t kind = (variant >> 10) & 7u;
  const char* prefix;
  if (kind == 1) prefix = "RNW/RNQ-";
  else if (kind == 2) prefix = "MWU-";
  else if (kind == 3) prefix = "TLH-";
  else if (model == 4611 || model == 4619 || (model >= 4636 && model <= 4639) || (model >= 5063 && model <= 5066))
    prefix = "DQM-";
  else prefix = "KSB-";
  std::snprintf(out, sizeof out, "%s%u", prefix, model * 100 + (variant & 0x7Fu));
}

}  // namespace

DLL_EXPORT SkResult WINAPI SkGetMoreDeviceInfo(HANDLE h, SkMoreDeviceInfo* out) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  LockGuard guard;
  uint32_t r[20];
  uint32_t status = simpleRequest(d, SKDF_MORE_DEVICE_INFO, 20, r);
  if (status != 0) return status;
  uint32_t model = r[1] & 0xFFFFu, variant = r[1] >> 16;
  if (!modelGate(model, variant)) return SK_E_NOT_AVAILABLE;
  SkMoreDeviceInfo info{};
  modelName(model, variant, info.modelName);
  std::memcpy(info.values, r + 2, sizeof info.values);
  info.value14 = r[14];
  info.clock1 = perMicro(r[15], 1000.0);
  info.clock2 = perMicro(r[16], 1.0);
  if (r[7] == 2) {
    info.clock3 = perMicro(r[17], 1000.0);
    info.clock4 = perMicro(r[18], 1000.0);
    info.clock5 = perMicro(r[19], 1.0);
  }
  *out = info;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetVersion(HANDLE h, char out[6][16]) {
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (out == nullptr) return SK_E_NULL_BUFFER;
  uint32_t in[9] = {static_cast<uint32_t>(d.n)};
  unsigned char reply[36];
  uint32_t status = transactLocked(d.driver, SKDF_VERSION, in, sizeof in, reply, sizeof reply);
  if (status != 0) return status;
  static const char* const kFixed[4] = {"QRV-4400", "04.07.18.03", "SKORRA.DLL", "04.31.62.07"};
  for (int i = 0; i < 4; ++i) {
    std::memset(out[i], 0, 16);
    std::strcpy(out[i], kFixed[i]);
  }
  std::memcpy(out[4], reply + 4, 16);
  std::memcpy(out[5], reply + 20, 16);
  out[4][15] = out[5][15] = '\0';
  return SK_SUCCESS;
}
