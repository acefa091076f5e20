// What a multi-function counter board says of itself, found by its model
// name in the registered devices, and its digital input and output.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstring>

#include "cntm_frame.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using Info = WireRecord<cntm::kInfoSize>;

constexpr int kIndexes = 256;
constexpr LONG kStatusNotFound = 10000;
constexpr std::size_t kNameSize = 256;

// The model name as the driver reads it: at most 50 UTF-16 units, the
// terminator only when the name is shorter.
void putModel(Info& info, const char* model) {
  for (std::size_t i = 0; i < cntm::kInfoNameUnits && model[i] != '\0'; ++i)
    info.put<char16_t>(cntm::kInfoName + 2 * i, static_cast<unsigned char>(model[i]));
}

LONG askInfo(const DeviceRecord& record, const char* model, short type, void* out1, void* out2, void* out3) {
  Info info;
  putModel(info, model);
  info.put<int16_t>(cntm::kInfoType, type);
  info.put<uint64_t>(cntm::kInfoOut1, reinterpret_cast<uintptr_t>(out1));
  info.put<uint64_t>(cntm::kInfoOut2, reinterpret_cast<uintptr_t>(out2));
  info.put<uint64_t>(cntm::kInfoOut3, reinterpret_cast<uintptr_t>(out3));
  return mcnt::Send(record, kCntmInfo, info);
}

struct Registered {
  char name[kNameSize] = {};
  char model[kNameSize] = {};
};

}  // namespace
}  // namespace halvik

using namespace halvik;

// 20003 when the registered devices run out before this one is found.
DLL_EXPORT LONG WINAPI XanGetCntmMaxChannels(short Id, short* CntmMaxChannels) {
  ExportFrame frame = mcnt::Frame("XanGetCntmMaxChannels");
  frame.start("Id=%d", Id);
  if (LONG status = mcnt::Find(frame, Id)) return status;
  if (CntmMaxChannels == nullptr) return mcnt::kStatusNullData;
  if (LONG status = mcnt::KernelOnly(frame)) return status;
  const DeviceRecord& record = frame.record();
  for (int index = 0; index < kIndexes; ++index) {
    Registered r;
    if (XanQueryDeviceName(static_cast<short>(index), r.name, r.model) != 0) return halvikdrv::kStatusOtherProcess;
    if (std::strcmp(r.name, record.DeviceName) == 0) return askInfo(record, r.model, 1, CntmMaxChannels, nullptr, nullptr);
  }
  return kStatusNotFound;
}

// Opens the first device of the model that answers, and closes it again
// whatever it answered.
DLL_EXPORT LONG WINAPI XanGetCntmDeviceInfo(const char* Device, short InfoType, void* Param1, void* Param2,
                                            void* Param3) {
  if (Device == nullptr) return mcnt::kStatusNullData;
  for (int index = 0; index < kIndexes; ++index) {
    Registered r;
    if (XanQueryDeviceName(static_cast<short>(index), r.name, r.model) != 0) break;
    short id = -1;
    if (std::strcmp(r.model, Device) != 0 || XanInit(r.name, &id) != 0) continue;
    uint16_t at = 0;
    if (FindDeviceById(id, &at) != 1) {
      XanExit(id);
      break;
    }
    const DeviceRecord& record = DeviceTable()[at];
    LONG status = RoadOf(record) == Road::Kernel ? askInfo(record, Device, InfoType, Param1, Param2, Param3)
                                                 : halvikdrv::kStatusOtherProcess;
    XanExit(id);
    if (status != halvikdrv::kStatusOtherProcess) return status;
  }
  return mcnt::kStatusNoSuchModel;
}

DLL_EXPORT LONG WINAPI XanCntmInputDIByte(short Id, short, BYTE* Data) {
  ExportFrame frame = mcnt::Frame("XanCntmInputDIByte");
  if (LONG status = mcnt::Find(frame, Id)) return status;
  if (Data == nullptr) return mcnt::kStatusNullData;
  if (LONG status = mcnt::KernelOnly(frame)) return status;
  DeviceRecord& record = frame.record();
  if (record.Cntm.channelCount == 0) {
    short channels = 0;
    if (XanGetCntmMaxChannels(Id, &channels) == 0) record.Cntm.channelCount = channels;
  }
  halvikdrv::WireRecord<halvikdrv::cntm::kShortSize> bytes;
  if (LONG status = mcnt::Send(record, halvikdrv::kCntmInputDi, bytes)) return status;
  *Data = bytes.get<uint8_t>(halvikdrv::cntm::kShortValue);
  return 0;
}

DLL_EXPORT LONG WINAPI XanCntmOutputDOBit(short Id, short Bit, short, BYTE Data) {
  ExportFrame frame = mcnt::Frame("XanCntmOutputDOBit");
  if (LONG status = mcnt::Find(frame, Id)) return status;
  if (LONG status = mcnt::KernelOnly(frame)) return status;
  halvikdrv::WireRecord<halvikdrv::cntm::kShortSize> bytes;
  bytes.put<int16_t>(0, Bit);
  bytes.put<uint8_t>(halvikdrv::cntm::kShortValue, Data);
  return mcnt::Send(frame.record(), halvikdrv::kCntmOutputDo, bytes);
}
