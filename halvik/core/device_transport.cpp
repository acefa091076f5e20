#include "device_transport.h"

#include <atomic>
#include <cstring>

#include "library_state.h"
#include "transport.h"

namespace halvik {

namespace {

using halvikdrv::WireRecord;

constexpr std::size_t kOpenRecordSize = 28;
constexpr std::size_t kCheckRecordSize = 76;
constexpr std::size_t kOpenIndex = 12;
constexpr std::size_t kOpenValue = 24;
constexpr int16_t kOpenValueWord = 150;
constexpr std::size_t kCheckModuleText = 12;

std::atomic<bool> g_busRebound{false};

// Models whose virtual device has no device check.
constexpr const char* kNoDeviceCheck[] = {"TXQ-830715ZB-USB", "TX-4297ZB-USB"};

WireRecord<kOpenRecordSize> openRecord(uint16_t index) {
  WireRecord<kOpenRecordSize> r;
  r.put<int32_t>(4, static_cast<int32_t>(Library().processId));
  r.put<int16_t>(kOpenIndex, static_cast<int16_t>(index));
  r.put<int16_t>(kOpenValue, kOpenValueWord);
  return r;
}

bool needsDeviceCheck(const DeviceRecord& record) {
  for (const char* model : kNoDeviceCheck)
    if (std::strncmp(record.ModelName, model, std::strlen(model)) == 0) return false;
  return true;
}

LONG deviceCheck(const DeviceRecord& record) {
  WireRecord<kCheckRecordSize> r;
  size_t n = strnlen(record.ModuleIdText, sizeof record.ModuleIdText - 1);
  std::memcpy(r.bytes + kCheckModuleText, record.ModuleIdText, n);
  return SendCommand(record, halvikdrv::kCmdDeviceCheck, r.data(), r.size());
}

LONG firmwareCheck(const DeviceRecord& record) {
  DWORD first = 0;
  WORD version = 0;
  if (Bus().KelbusGetDeviceInfo(kBusAttached, record.Handle, 4, &first, &version, nullptr) != 0)
    return kStatusNoDeviceInfoFound;
  return version < kMinimumFirmware ? kStatusFirmwareTooOld : 0;
}

}  // namespace

LONG OpenTransport(DeviceRecord& record) {
  HANDLE h = INVALID_HANDLE_VALUE;
  switch (RoadOf(record)) {
    case Road::Virtual:
      h = Bus().HalvikVmOpenHandle(kBusVirtual, record.DevicePath, record.ModuleIdText);
      break;
    case Road::Attached:
      // A bus library installed after the attach is looked for once more.
      if (!BusLibraryFound() && !g_busRebound.exchange(true)) BindBusLibrary();
      if (std::strcmp(record.DevicePath, "QH38USB") == 0)
        h = Bus().KelbusOpenHandleEx(kBusAttached, record.DevicePath, record.ModuleId, record.ModuleIndex);
      else
        h = Bus().KelbusOpenHandle(kBusAttached, record.DevicePath, record.ModuleId);
      break;
    case Road::Kernel:
      h = CreateFileA(record.DevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
      break;
  }
  if (h == INVALID_HANDLE_VALUE || h == nullptr) {
    (void)GetLastError();  // read and dropped: the caller sees 10003
    record.Handle = INVALID_HANDLE_VALUE;
    return kStatusOpenFailed;
  }
  record.Handle = h;
  return 0;
}

LONG CloseTransport(DeviceRecord& record) {
  if (record.Handle == INVALID_HANDLE_VALUE) return 0;
  HANDLE h = record.Handle;
  record.Handle = INVALID_HANDLE_VALUE;
  switch (RoadOf(record)) {
    case Road::Virtual:
      return static_cast<LONG>(Bus().HalvikVmCloseHandle(kBusVirtual, h));
    case Road::Attached:
      return static_cast<LONG>(Bus().KelbusCloseHandle(kBusAttached, h));
    case Road::Kernel:
      break;
  }
  return CloseHandle(h) ? 0 : kStatusCloseFailed;
}

LONG RegisterProcess(DeviceRecord& record, uint16_t index) {
  if (RoadOf(record) == Road::Kernel) {
    halvikdrv::DeviceBlock block;
    block.put<int32_t>(halvikdrv::dev::kProcessId, static_cast<int32_t>(Library().processId));
    block.put<int16_t>(halvikdrv::dev::kTableIndex, static_cast<int16_t>(index));
    return SendKernel(record, halvikdrv::kOpen, block.data(), block.size(), halvikdrv::dev::kStatus);
  }
  if (RoadOf(record) == Road::Attached) {
    if (LONG status = firmwareCheck(record)) return status;
  }
  auto r = openRecord(index);
  if (LONG status = SendCommand(record, halvikdrv::kCmdOpen, r.data(), r.size())) return status;
  if (RoadOf(record) == Road::Virtual && needsDeviceCheck(record)) return deviceCheck(record);
  return 0;
}

LONG ReleaseProcess(DeviceRecord& record, uint16_t index) {
  if (RoadOf(record) == Road::Kernel) {
    halvikdrv::DeviceBlock block;
    block.put<int32_t>(halvikdrv::dev::kProcessId, static_cast<int32_t>(Library().processId));
    block.put<int16_t>(halvikdrv::dev::kTableIndex, static_cast<int16_t>(index));
    return SendKernel(record, halvikdrv::kClose, block.data(), block.size(), halvikdrv::dev::kStatus);
  }
  auto r = openRecord(index);
  return SendCommand(record, halvikdrv::kCmdClose, r.data(), r.size(), true);
}

}  // namespace halvik
