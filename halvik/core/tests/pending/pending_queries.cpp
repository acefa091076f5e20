// TEMPORARY (deleted at the merge): minimal stand-ins for the queries and
// frame shares' exports that opening and closing call.
#include <halvik.h>

#include <cstring>
#include <string>

#include "device_record.h"
#include "export_frame.h"
#include "transport.h"
#include "version_check.h"

namespace halvik {

namespace {

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

LONG CheckDriverVersion(const char* baseName, int) {
  char system[MAX_PATH] = {}, current[MAX_PATH] = {};
  GetSystemDirectoryA(system, sizeof system);
  GetCurrentDirectoryA(sizeof current, current);
  std::string base(baseName);
  if (!exists(std::string(current) + "\\" + base + ".DLL") && !exists(std::string(system) + "\\" + base + ".DLL"))
    return 0;
  return exists(std::string(system) + "\\drivers\\" + base + ".SYS") ? 0 : 8;
}

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetDeviceInfo(const char* Device, short InfoType, void* Param1, void*, void*) {
  static const char* kModels[] = {"HVA-1632PE", "HVA-1216PCI", "Demo Device", "TXQ-830715ZB-USB", "HVU-1608USB"};
  if (Device == nullptr || InfoType != 10016 || Param1 == nullptr) return 10000;
  for (const char* model : kModels) {
    if (std::strcmp(model, Device) == 0) {
      *static_cast<short*>(Param1) = 0;
      return 0;
    }
  }
  return 10000;
}

DLL_EXPORT LONG WINAPI XanSetAiDeviceBufferMode(short Id, short) {
  uint16_t index = 0;
  return FindDeviceById(Id, &index) ? 0 : kStatusNoDevice;
}

DLL_EXPORT LONG WINAPI XanStopTmCount(short Id, short TimerId) {
  uint16_t index = 0;
  if (!FindDeviceById(Id, &index)) return kStatusNoDevice;
  halvikdrv::TmBlock b;
  b.put<int16_t>(halvikdrv::tm::kTimerId, TimerId);
  return SendKernel(DeviceTable()[index], halvikdrv::kTmStopCount, b.data(), b.size(), halvikdrv::tm::kStatus);
}

DLL_EXPORT LONG WINAPI XanGetCntMaxChannels(short Id, short* CntMaxChannels) {
  uint16_t index = 0;
  if (!FindDeviceById(Id, &index)) return kStatusNoDevice;
  if (CntMaxChannels == nullptr) return 15260;
  halvikdrv::CntBlock b;
  b.put<int16_t>(halvikdrv::cnt::kGetFlag, 1);
  LONG status =
      SendKernel(DeviceTable()[index], halvikdrv::kCntMaxChannels, b.data(), b.size(), halvikdrv::cnt::kStatus);
  if (status == 0) *CntMaxChannels = b.get<int16_t>(halvikdrv::cnt::kMaxChannels);
  return status;
}
