#include "ai_host_buffer.h"

#include <outside/halvikdrv.h>

#include <cstdio>

#include "per_device.h"
#include "library_state.h"
#include "transport.h"

namespace halvik::airun {

namespace drv = halvikdrv;

namespace {

// How long the driver is given to complete a released hand-over before it
// is cancelled.
constexpr DWORD kGiveBackMs = 1000;

struct HandOver {
  OVERLAPPED overlapped{};
  bool pending = false;
};
HandOver& handOverOf(uint16_t index) { return perDevice<HandOver>(index); }


// One event per device, named after the process and the device, so two
// devices never take each other's completion for their own.
HANDLE bufferEvent(DeviceRecord& r, uint16_t index) {
  if (!validHandle(r.AiBufferEvent)) {
    char name[64];
    std::snprintf(name, sizeof name, "XANAIBUFEVENT%X",
                  static_cast<unsigned>(GetCurrentProcessId() << 8) ^ static_cast<unsigned>(index));
    r.AiBufferEvent = CreateEventA(nullptr, TRUE, TRUE, name);
  }
  return r.AiBufferEvent;
}

LONG sendSetUp(const DeviceRecord& r, void* buffer, uint32_t words) {
  drv::AiBlock b;
  b.put<int32_t>(drv::ai::kMemorySizeIn, static_cast<int32_t>(Library().processId));
  b.put<int32_t>(drv::ai::kBufferWords, static_cast<int32_t>(words));
  b.put<uint64_t>(drv::ai::kBufferAddress, reinterpret_cast<uintptr_t>(buffer));
  b.put<int32_t>(drv::ai::kBufferFlag, 1);
  return SendKernel(r, drv::kAiBusMasterSetup, b.data(), b.size(), drv::ai::kStatus);
}

}  // namespace

LONG SendBufferRelease(const DeviceRecord& r) {
  drv::AiBlock b;
  return SendKernel(r, drv::kAiBusMasterRelease, b.data(), b.size(), drv::ai::kStatus);
}

bool BufferHandedOver(uint16_t index) {
  const HandOver& h = handOverOf(index);
  return h.pending && !HasOverlappedIoCompleted(&h.overlapped);
}

void TakeBufferBack(DeviceRecord& r, uint16_t index) {
  HandOver& h = handOverOf(index);
  if (!h.pending) return;
  if (!HasOverlappedIoCompleted(&h.overlapped) && WaitForSingleObject(h.overlapped.hEvent, kGiveBackMs) != WAIT_OBJECT_0)
    CancelIoEx(r.Handle, &h.overlapped);
  DWORD n = 0;
  GetOverlappedResult(r.Handle, &h.overlapped, &n, TRUE);
  h.pending = false;
}

LONG HandOverBuffer(DeviceRecord& r, uint16_t index, void* buffer, uint32_t words) {
  TakeBufferBack(r, index);
  HandOver& h = handOverOf(index);
  HANDLE event = bufferEvent(r, index);
  if (!validHandle(event)) return kStatusNoBuffer;
  ResetEvent(event);
  h.overlapped = OVERLAPPED{};
  h.overlapped.hEvent = event;
  const DWORD bytes = words * 4;
  DWORD returned = 0;
  const BOOL done = DeviceIoControl(r.Handle, drv::kAiHostBuffer, buffer, bytes, buffer, bytes, &returned, &h.overlapped);
  if (done || GetLastError() != ERROR_IO_PENDING) return kStatusNoBuffer;
  h.pending = true;
  return sendSetUp(r, buffer, words);
}

LONG SetUpHostRing(DeviceRecord& r, uint16_t index) {
  FreeHostRing(r, index);
  EnterCriticalSection(&Library().lock);
  const uint32_t size = r.AiHostRingSize;
  LeaveCriticalSection(&Library().lock);
  void* ring = GlobalAlloc(GMEM_FIXED, size);
  if (ring == nullptr) return kStatusNoBuffer;
  EnterCriticalSection(&Library().lock);
  r.AiHostRing = ring;
  r.AiHostRingState = ring;
  r.AiHostRingRead = 0;
  r.AiHostRingCount = 0;
  r.AiHostRingFlags = 0;
  LeaveCriticalSection(&Library().lock);
  LONG status = HandOverBuffer(r, index, ring, size / 4);
  if (status == kStatusNoBuffer) FreeHostRing(r, index);
  return status;
}

void FreeHostRing(DeviceRecord& r, uint16_t index) {
  EnterCriticalSection(&Library().lock);
  void* ring = r.AiHostRing;
  r.AiHostRing = nullptr;
  r.AiHostRingState = nullptr;
  LeaveCriticalSection(&Library().lock);
  if (ring == nullptr) return;
  TakeBufferBack(r, index);
  GlobalFree(ring);
}

}  // namespace halvik::airun
