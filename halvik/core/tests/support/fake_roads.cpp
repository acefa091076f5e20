#include "fake_roads.h"

#include <platform/device.h>
#include <unistd.h>

#include <cstring>

#include "library_state.h"

namespace halvik::testing {

FakeRoads* FakeRoads::current = nullptr;

namespace {

bool answer(DWORD code, DWORD busKind, unsigned char* bytes, DWORD size, bool ownership) {
  FakeRoads& f = *FakeRoads::current;
  if (ownership) {
    ++f.ownershipChecks;
    putAt(bytes, 0, 4, f.ownershipStatus);
    return true;
  }
  f.sent.push_back({code, busKind, std::vector<unsigned char>(bytes, bytes + size)});
  if (f.reply) f.reply(bytes, size);
  return true;
}

LONG deviceControl(PlatRequest* request) {
  FakeRoads& f = *FakeRoads::current;
  auto* bytes = static_cast<unsigned char*>(request->systemBuffer);
  const bool ownership = request->code == halvikdrv::kOwnership;
  if (f.failKernelCode == ~0u || f.failKernelCode == request->code) {
    f.sent.push_back({request->code, 0, std::vector<unsigned char>(bytes, bytes + request->inputSize)});
    return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  }
  answer(request->code, 0, bytes, request->inputSize, ownership);
  request->information = request->outputSize;
  return PLAT_STATUS_SUCCESS;
}

LONG create(PlatFile*) { return PLAT_STATUS_SUCCESS; }
void nothing(PlatFile*) {}

PlatDeviceDriver g_driver = {nullptr, create, nothing, nothing, deviceControl, nullptr, nullptr};

DWORD WINAPI ioControl(DWORD busKind, HANDLE, DWORD command, void* in, DWORD inLength, void*, DWORD, DWORD* returned,
                       OVERLAPPED*) {
  FakeRoads& f = *FakeRoads::current;
  const bool ownership = command == halvikdrv::kCmdOwnership;
  if (!ownership && f.busCallResult != 0) {
    f.sent.push_back({command, busKind, {}});
    return f.busCallResult;
  }
  answer(command, busKind, static_cast<unsigned char*>(in), inLength, ownership);
  *returned = inLength;
  return 0;
}

}  // namespace

int64_t Sent::at(std::size_t offset, std::size_t width) const {
  if (offset + width > bytes.size()) return INT64_MIN;
  int64_t v = 0;
  if (width == 2) {
    int16_t x;
    std::memcpy(&x, bytes.data() + offset, 2);
    v = x;
  } else if (width == 4) {
    int32_t x;
    std::memcpy(&x, bytes.data() + offset, 4);
    v = x;
  } else if (width == 8) {
    std::memcpy(&v, bytes.data() + offset, 8);
  }
  return v;
}

void putAt(unsigned char* bytes, std::size_t offset, std::size_t width, int64_t value) {
  std::memcpy(bytes + offset, &value, width);
}

FakeRoads::FakeRoads() : deviceName_("HVFRAMEFAKE" + std::to_string(::getpid())), saved_(Bus()) {
  current = this;
  PlatRegisterDevice(deviceName_.c_str(), &g_driver);
  Bus().HalvikVmIoControl = ioControl;
  Bus().KelbusIoControl = ioControl;
  Library().processId = GetCurrentProcessId();
}

FakeRoads::~FakeRoads() {
  DeviceTable().clear();
  for (HANDLE h : handles_) CloseHandle(h);
  PlatUnregisterDevice(deviceName_.c_str());
  Bus() = saved_;
  current = nullptr;
}

void FakeRoads::addDevice(int16_t id, int16_t busKind) {
  DeviceRecord& record = DeviceTable().emplace_back();
  std::snprintf(record.DeviceName, sizeof record.DeviceName, "FAKE%d", id);
  record.Id = id;
  record.BusKind = busKind;
  if (busKind == kBusVirtual || busKind == kBusAttached) {
    record.Handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x4000 + id));
    return;
  }
  std::string path = "\\\\.\\" + deviceName_;
  record.Handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  handles_.push_back(record.Handle);
}

}  // namespace halvik::testing
