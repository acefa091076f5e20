// The registered devices without opening them, and what the library keeps
// of a device: its model name and board id.
#include <halvik.h>

#include <cstring>

#include "device_record.h"
#include "export_frame.h"

namespace halvik {

namespace {

// The Index-th record with a device name, or nullptr.
const DeviceRecord* namedRecord(short index) {
  if (index < 0) return nullptr;
  short seen = 0;
  for (const DeviceRecord& record : DeviceTable()) {
    if (record.DeviceName[0] == '\0') continue;
    if (seen++ == index) return &record;
  }
  return nullptr;
}

// Copies a record's text field (always terminated inside it) to a caller's
// buffer of at least as many bytes.
template <size_t N>
void copyField(char* out, const char (&field)[N]) {
  size_t n = strnlen(field, N - 1);
  std::memcpy(out, field, n);
  out[n] = '\0';
}

}  // namespace

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanQueryDeviceName(short Index, char* DeviceName, char* Device) {
  ExportFrame frame("XanQueryDeviceName");
  frame.start("Index=%d", Index);
  if (DeviceName == nullptr) return frame.end(10007);
  if (Device == nullptr) return frame.end(10008);
  const DeviceRecord* record = namedRecord(Index);
  if (record == nullptr) return frame.end(10006);
  copyField(DeviceName, record->DeviceName);
  copyField(Device, record->ModelName);
  return frame.endWith("DeviceName=%s, Device=%s", DeviceName, Device);
}

DLL_EXPORT LONG WINAPI XanQueryDeviceNameEx(short Index, char* DeviceName, char* Device, short* BoardId) {
  ExportFrame frame("XanQueryDeviceNameEx");
  frame.start("Index=%d", Index);
  if (DeviceName == nullptr) return frame.end(10010);
  if (Device == nullptr) return frame.end(10011);
  if (BoardId == nullptr) return frame.end(10012);
  const DeviceRecord* record = namedRecord(Index);
  if (record == nullptr) return frame.end(10009);
  copyField(DeviceName, record->DeviceName);
  copyField(Device, record->ModelName);
  *BoardId = record->BoardId;
  return frame.endWith("DeviceName=%s, Device=%s, BoardId=%d", DeviceName, Device, *BoardId);
}

DLL_EXPORT LONG WINAPI XanGetDeviceDesc(short Id, char* DeviceDesc) {
  ExportFrame frame("XanGetDeviceDesc");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (DeviceDesc == nullptr) return frame.end(10008);
  const DeviceRecord& record = frame.record();
  if (std::strcmp(record.ModelName, "Demo") == 0) {
    std::strcpy(DeviceDesc, "Demo Device");
  } else {
    copyField(DeviceDesc, record.ModelName);
  }
  return frame.endWith("DeviceDesc=%s", DeviceDesc);
}

DLL_EXPORT LONG WINAPI XanGetBoardId(short Id, short* BoardId) {
  ExportFrame frame("XanGetBoardId");
  frame.start("Id=%d", Id);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (BoardId == nullptr) return frame.end(10012);
  *BoardId = frame.record().BoardId;
  return frame.endWith("BoardId=%d", *BoardId);
}
