#include "ao_state.h"

#include <cstring>
#include <deque>
#include <mutex>

#include "transport.h"

namespace halvik::aoio {

namespace drv = halvikdrv;

DeviceState& StateOf(uint16_t index) {
  static std::mutex lock;
  static std::deque<DeviceState> states;  // never shrinks: elements never move
  std::lock_guard<std::mutex> guard(lock);
  while (states.size() <= index) states.emplace_back();
  return states[index];
}

LONG ReadStatus(const DeviceRecord& r, int32_t* bits) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AoBlock b;
    LONG status = SendKernel(r, drv::kAoStatus, b.data(), b.size(), drv::ao::kStatus);
    *bits = b.get<int32_t>(drv::ao::kStatusBits);
    return status;
  }
  drv::WireRecord<8> c;
  LONG status = SendCommand(r, drv::kCmdAoStatus, c.data(), c.size());
  *bits = c.get<int32_t>(drv::rec::kValue);
  return status;
}

DWORD BusCall(const DeviceRecord& r, WORD command, void* bytes, DWORD inLength, DWORD outLength, LONG* status) {
  auto io = RoadOf(r) == Road::Virtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
  DWORD returned = 0;
  DWORD result = io(static_cast<DWORD>(static_cast<uint16_t>(r.BusKind)), r.Handle, command, bytes, inLength, bytes,
                    outLength, &returned, nullptr);
  int32_t s = 0;
  std::memcpy(&s, bytes, sizeof s);
  *status = s;
  return result;
}

}  // namespace halvik::aoio
