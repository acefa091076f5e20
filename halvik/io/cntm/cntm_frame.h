// What every multi-function counter export shares: the kernel driver only,
// no ownership check, a device that is not open is no device, and only the
// start line and a 20001 are traced. Each request has a record of its own
// whose int32 status is its last field.
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstdint>
#include <initializer_list>

#include "export_frame.h"
#include "setting_rows.h"
#include "transport.h"

namespace halvik::mcnt {

inline constexpr LONG kStatusOutOfRange = 18000;     // a mode or value outside its range
inline constexpr LONG kStatusNullData = 18100;       // a data pointer is NULL
inline constexpr LONG kStatusNotAWindow = 18200;
inline constexpr LONG kStatusNullChannels = 18340;   // the channel array is NULL
inline constexpr LONG kStatusNoSuchChannel = 28001;  // a channel outside the settable range
inline constexpr LONG kStatusTooManyChannels = 28010;
inline constexpr LONG kStatusNoSuchModel = 10050;
inline constexpr LONG kStatusThreadFailed = 10005;
inline constexpr int kMaxGroup = halvikdrv::cntm::kChannels;

// A row of this family: the kernel request only.
constexpr rows::Row Row(rows::Row row) {
  row.tracing = ExportFrame::Tracing::Refusal;
  row.ownership = false;
  row.openOnly = true;
  row.virtualDevice = rows::refused();
  row.attached = rows::refused();
  return row;
}
// A record of `size` bytes, status last, no get flag.
constexpr rows::Family Record(DWORD size) { return {size, static_cast<uint16_t>(size - 4), 0}; }

inline ExportFrame Frame(const char* name) {
  return ExportFrame(name, ExportFrame::Spacing::Tight, ExportFrame::Tracing::Refusal);
}

// The lookup and the open check: 0, or 10001.
LONG Find(ExportFrame& frame, int32_t id);
// 0 on the kernel driver; 20001 (traced) on the sibling libraries.
LONG KernelOnly(const ExportFrame& frame);

// Sends the record with its status zeroed: 10002, or the driver's status.
template <std::size_t N>
LONG Send(const DeviceRecord& record, DWORD code, halvikdrv::WireRecord<N>& bytes) {
  bytes.template put<int32_t>(N - 4, 0);
  return SendKernel(record, code, bytes.data(), static_cast<DWORD>(N), N - 4);
}

// Fields the notification workers share with the exports.
template <class T>
T load(const T& field) {
  return __atomic_load_n(&field, __ATOMIC_ACQUIRE);
}
template <class T>
void store(T& field, T value) {
  __atomic_store_n(&field, value, __ATOMIC_RELEASE);
}

// No window: 0, and -1 too.
inline bool isWindow(HWND window) { return window != nullptr && window != reinterpret_cast<HWND>(-1); }

// The workers (cntm_workers.cpp): each is created when none runs (one that
// has ended is replaced); 0 or 10005.
LONG StartEventWorker(uint16_t index);
LONG StartTimeUpWorker(uint16_t index);
DWORD WINAPI CntmEventThread(void* param);
DWORD WINAPI CntmTimeUpThread(void* param);

// The completion records of a device's two pending waits. They belong to
// the device for the whole process, so that a completion that comes after
// its worker has gone still writes into live memory.
struct PendingWait {
  OVERLAPPED overlapped{};
  unsigned char record[8] = {};
};
PendingWait& EventWaitOf(uint16_t index);
PendingWait& TimeUpWaitOf(uint16_t index);

}  // namespace halvik::mcnt
