// Process-wide state of the library: the platform flag, the 255 device
// slots and the one library lock.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include <skorra.h>

namespace skorra {

inline constexpr int kMaxDevices = 255;
inline constexpr int kLvSlots = 4;

struct LvSlot {
  std::atomic<SkCompletionCallback> callback{nullptr};
  std::atomic<void*> data{nullptr};
  HANDLE deviceHandle = INVALID_HANDLE_VALUE;
  int32_t deviceNumber = -1;
  uint32_t index = 0;
  std::atomic<HANDLE> event{nullptr};
};

struct DeviceSlot;

inline const HANDLE kClosingHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

// What the worker needs, copied at its start; stays valid while it runs
// (and after, since the slots are never freed).
struct WorkerContext {
  DeviceSlot* slot = nullptr;
  HANDLE driver = INVALID_HANDLE_VALUE;
  int n = -1;
  HANDLE interruptEvent = nullptr;
  HANDLE stopEvent = nullptr;
  HANDLE endEvent = nullptr;
  HANDLE transferEvent = nullptr;  // event of overlapped record A
  OVERLAPPED wait{};               // the pending interrupt-wait request
  uint32_t waitReply = 0;          // its output, written at completion
};

// One open device. Fields the worker reads while callers change them are
// atomic; the rest are written under the lock while no worker runs.
struct DeviceSlot {
  // Registrations the worker reads live.
  std::atomic<HANDLE> completionEvent{nullptr};
  std::atomic<SkCompletionCallback> completionCallback{nullptr};
  std::atomic<void*> callbackData{nullptr};
  std::atomic<HANDLE> exIntEvent{nullptr};
  std::atomic<SkCompletionCallback> exIntCallback{nullptr};
  std::atomic<void*> exIntData{nullptr};
  std::atomic<HWND> messageWindow{nullptr};
  std::atomic<uint32_t> message{0};
  std::atomic<uint32_t> messageHighWord{0};
  std::atomic<uint32_t> messageMask{0};
  LvSlot lv[kLvSlots];

  // The handle callers hold; INVALID_HANDLE_VALUE while the slot is free,
  // kClosingHandle while a close is still releasing it.
  std::atomic<HANDLE> callerHandle{INVALID_HANDLE_VALUE};
  int32_t deviceNumber = -1;

  // Values of the last accepted configuration.
  float lastFrequency = 0.0f;
  float lastSecondFrequency = 0.0f;
  float lastLevel1 = 0.0f;
  float lastLevel2 = 0.0f;
  float lastStartHysteresis = 0.0f;
  float lastStopHysteresis = 0.0f;
  uint32_t overLimit = 0;
  uint32_t overLimitNoChannels = 0;

  // Owned while the slot is open.
  HANDLE interruptEvent = nullptr;
  HANDLE stopEvent = nullptr;
  HANDLE endEvent = nullptr;
  HANDLE workerThread = nullptr;
  std::atomic<HANDLE> fileSamplingEvent{nullptr};
  OVERLAPPED overlappedA{};  // bus-master transfer
  OVERLAPPED overlappedB{};  // direct data read
  WorkerContext worker;
};

struct Library {
  CRITICAL_SECTION lock;
  bool nt = true;
  DeviceSlot slots[kMaxDevices];
  Library();
};

// The one instance; made on first use and never destroyed, so the detach
// can still walk it.
Library& library();

// Device number 1..255 of a handle, -1 when none matches.
int findDeviceNumber(HANDLE h);
inline DeviceSlot& slotOf(int n) { return library().slots[n - 1]; }

class LockGuard {
 public:
  LockGuard() { EnterCriticalSection(&library().lock); }
  ~LockGuard() { LeaveCriticalSection(&library().lock); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
};

// Closes every open device (process detach).
void closeAllDevices();

}  // namespace skorra
