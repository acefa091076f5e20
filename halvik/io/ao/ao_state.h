// What the output family keeps per device besides the record: the
// bus-master buffer's hand-over. It belongs to the device for the whole
// process, so a completion that comes late still writes into memory that
// is alive.
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstdint>

#include "device_record.h"

namespace halvik::aoio {

struct BufferHandOver {
  OVERLAPPED overlapped{};
  bool pending = false;
};

struct DeviceState {
  BufferHandOver buffer;
};
DeviceState& StateOf(uint16_t index);

inline bool validHandle(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
template <class T>
T load(T& field) {
  return __atomic_load_n(&field, __ATOMIC_ACQUIRE);
}

// The output's status bits (bit 0: running); the frame's status on failure.
LONG ReadStatus(const DeviceRecord& record, int32_t* bits);

// A sibling command whose record goes in and comes back with lengths of
// its own: the call's result, and the record's status in *status.
DWORD BusCall(const DeviceRecord& record, WORD command, void* bytes, DWORD inLength, DWORD outLength,
              LONG* status);

}  // namespace halvik::aoio
