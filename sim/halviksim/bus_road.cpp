#include "bus_road.h"

#include <outside/halvikdrv.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "device_set.h"
#include "requests.h"

namespace halviksim {

namespace {

struct Opened {
  DWORD busKind;
  std::shared_ptr<Device> device;
};

class HandleTable {
 public:
  HANDLE add(DWORD busKind, std::shared_ptr<Device> device) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uintptr_t value = next_++;
    opened_[value] = Opened{busKind, std::move(device)};
    return reinterpret_cast<HANDLE>(value);
  }
  std::shared_ptr<Device> find(DWORD busKind, HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = opened_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == opened_.end() || it->second.busKind != busKind) return nullptr;
    return it->second.device;
  }
  std::shared_ptr<Device> remove(DWORD busKind, HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = opened_.find(reinterpret_cast<uintptr_t>(handle));
    if (it == opened_.end() || it->second.busKind != busKind) return nullptr;
    std::shared_ptr<Device> device = std::move(it->second.device);
    opened_.erase(it);
    return device;
  }

 private:
  std::mutex mutex_;
  uintptr_t next_ = 0x4000;  // far from the platform's small handle values
  std::map<uintptr_t, Opened> opened_;
};

// Never destroyed: a library above may close its handles from its detach.
HandleTable& handles() {
  static HandleTable* table = new HandleTable;
  return *table;
}

}  // namespace

HANDLE OpenBusHandle(DWORD busKind, const char* path, int moduleIndex) {
  if (path == nullptr) return INVALID_HANDLE_VALUE;
  std::shared_ptr<Device> device = deviceAt(static_cast<int>(busKind), path, moduleIndex);
  if (device == nullptr) return INVALID_HANDLE_VALUE;
  return handles().add(busKind, std::move(device));
}

DWORD CloseBusHandle(DWORD busKind, HANDLE handle) {
  std::shared_ptr<Device> device = handles().remove(busKind, handle);
  if (device == nullptr) return halvikdrv::kStatusInvalidHandle;
  device->aiRun().cancelWaits(handle);
  device->counterBank().events().cancelWaits(handle);
  device->aoRun().cancelWaits(handle);
  device->cntm().cancelWaits(handle);
  return 0;
}

DWORD BusCommand(DWORD busKind, HANDLE handle, DWORD command, const void* in, DWORD inLength, void* out,
                 DWORD outLength, DWORD* returned, OVERLAPPED* overlapped) {
  if (returned != nullptr) *returned = 0;
  std::shared_ptr<Device> device = handles().find(busKind, handle);
  if (device == nullptr) return halvikdrv::kStatusInvalidHandle;
  device->note(command);
  // One buffer may be passed with a shorter input (the output data chunk): the record is the whole buffer.
  const bool oneBuffer = in == out && inLength <= outLength;
  if (in == nullptr || out == nullptr || (inLength != outLength && !oneBuffer) || inLength < 4) return kCallBadRecord;
  bool known = false;
  const Row* row = busRow(static_cast<int>(busKind), command, outLength, known);
  if (row == nullptr && known) return kCallBadRecord;
  if (in != out) std::memmove(out, in, inLength);
  Record record{static_cast<uint8_t*>(out), outLength, static_cast<int>(busKind)};
  record.handle = handle;
  record.overlapped = overlapped;
  int32_t status = halvikdrv::kStatusNotSupported;  // a command this bus kind does not have
  if (const auto fault = device->takeFault(command)) {
    if (fault->kind == Fault::Kind::CallFails) return static_cast<DWORD>(fault->value);
    status = fault->value;
  } else if (row != nullptr) {
    status = row->handler(*device, record, *row);
  }
  if (status == kKeptPending) return ERROR_IO_PENDING;
  if (status == kRefuseCall) return kCallBadRecord;
  record.write({0, 4}, status);
  if (returned != nullptr) *returned = outLength;
  return 0;
}

DWORD BusDeviceInfo(DWORD busKind, HANDLE handle, DWORD info, DWORD* first, WORD* second) {
  std::shared_ptr<Device> device = handles().find(busKind, handle);
  if (device == nullptr) return halvikdrv::kStatusInvalidHandle;
  if (const auto fault = device->takeFault(kGetDeviceInfoCall)) return static_cast<DWORD>(fault->value);
  if (info != 4) return halvikdrv::kStatusNoDeviceInfo;
  if (first != nullptr) *first = static_cast<DWORD>(device->placement().moduleIndex);
  if (second != nullptr) *second = device->firmware();
  return 0;
}

}  // namespace halviksim
