// What the library does when a process attaches and detaches it.
#include <halvik.h>

#include "cntm_close.h"
#include "device_record.h"
#include "event_threads.h"
#include "library_state.h"
#include "straggler_threads.h"
#include "trace_log.h"
#include "trace_log_switch.h"
#include "transport.h"

namespace halvik {

namespace {

constexpr DWORD kFlushPeriodMs = 1000;

}  // namespace

LibraryState& Library() {
  static LibraryState state;
  return state;
}

void AttachLibrary(HMODULE module) {
  // Tracing is off unless a device is marked for it; a log that cannot be
  // set up leaves it off and costs the attach nothing.
  if (OpenDebugLog(1, kFlushPeriodMs) == 0 && DebugLogOn()) {
    SetDebugLogTimePrefix(1);
    SetDebugLogProcessPrefix(1);
    SetDebugLogThreadPrefix(1);
    FlushDebugLog();
  }
  BindBusLibrary();
  BindVirtualDeviceLibrary();
  LibraryState& state = Library();
  InitializeCriticalSection(&state.lock);
  state.lockReady = true;
  SetAsideDeviceTable();
  ScanRegisteredDevices();
  state.processId = GetCurrentProcessId();
  state.module = module;
}

void DetachLibrary(bool processEnds) {
  // The log goes first, so that the closes below trace nothing.
  CloseDebugLog();
  for (DeviceRecord& record : DeviceTable()) {
    while (record.OpenCount > 0) {
      int16_t before = record.OpenCount;
      XanExit(record.Id);
      if (record.OpenCount >= before) break;  // a record its Id does not find
    }
    // A thread whose callback closed the device may still be returning.
    EndEventThreads(record);
    EndCntmWorkers(record);
  }
  // Once an unload's detach returns the code may be unmapped: no thread of
  // ours may still be on its way out.
  if (!processEnds) AwaitStragglerThreads();
  LibraryState& state = Library();
  if (state.lockReady) {
    DeleteCriticalSection(&state.lock);
    state.lockReady = false;
  }
}

}  // namespace halvik
