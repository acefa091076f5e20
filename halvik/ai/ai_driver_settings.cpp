// The settings only the kernel driver has, and the transfer mode.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_forms.h"
#include "device_buffer_step.h"
#include "halvik.h"
#include "transport.h"

namespace halvik {
namespace {

using namespace ai_rows;

constexpr Row kSetAiEventTransferTimes =
    driverOnly(countSet("XanSetAiEventTransferTimes", "AiTransferTimes=%d", below(0, 0, 12120),
                        kAiEventTransferTimes, ai::kEventTransferTimes, 0));
constexpr Row kGetAiEventTransferTimes =
    driverOnly(countGet("XanGetAiEventTransferTimes", "*AiTransferTimes=%d", 12130, kAiEventTransferTimes,
                        ai::kEventTransferTimes, 0));
constexpr Row kSetAiAttachedData = driverOnly(Row{
    .name = "XanSetAiAttachedData",
    .args = {{Kind::I32, "AttachedData=%d"}},
    .kernel = kernel(kAiAttachedData, kAiFamily, -1, {put32(ai::kAttachedData, 0)}),
});
constexpr Row kGetAiSamplingDataSize = driverOnly(Row{
    .name = "XanGetAiSamplingDataSize",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 12020)},
    .kernel = kernel(kAiSamplingDataSize, kAiFamily, -1, {}, {get16(ai::kSamplingDataSize, 0)}),
    .endText = "*DataSize=%d",
});
constexpr Row kGetAiDeviceBufferMode = withoutOwnership(driverOnly(Row{
    .name = "XanGetAiDeviceBufferMode",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 12450)},
    .kernel = kernel(kDeviceBufferMode, kAiFamily, 1, {}, {get16(ai::kDeviceBufferMode, 0)}),
    .endText = "*AiBufferMode=%d",
}));

// The driver answers with its device-memory flag: 1 means mode 0. The
// sibling libraries only know mode 0.
constexpr Row kGetAiTransferMode{
    .name = "XanGetAiTransferMode",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 11970)},
    .kernel = kernel(kAiTransferMode, kAiFamily, 1, {}, {{Wire::I16, ai::kDeviceMemoryFlag, 0, Shape::IsZero}}),
    .virtualDevice = answer({const16(0, 1)}, {{Wire::I16, 0, 0, Shape::IsZero}}),
    .endText = "*AiTransferMode=%d",
};

// The frame of the setter; its requests are sent below.
constexpr Row kSetAiTransferMode{
    .name = "XanSetAiTransferMode",
    .args = {{Kind::I16, "AiTransferMode=%d"}},
    .checks = {aboveUnsigned(0, 1, 11960)},
};

LONG sendTransferMode(const DeviceRecord& record, short mode) {
  AiBlock block;
  block.put<int16_t>(ai::kGetFlag, 0);
  block.put<int16_t>(ai::kTransferMode, mode);
  block.put<int16_t>(ai::kDeviceMemoryFlag, mode == 0 ? 1 : 0);
  return SendKernel(record, kAiTransferMode, block.data(), block.size(), ai::kStatus);
}

LONG sendBufferRelease(const DeviceRecord& record) {
  AiBlock block;
  return SendKernel(record, kAiBusMasterRelease, block.data(), block.size(), ai::kStatus);
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiEventTransferTimes(short Id, LONG AiTransferTimes) {
  return rows::Run(kSetAiEventTransferTimes, Id, {AiTransferTimes});
}
DLL_EXPORT LONG WINAPI XanGetAiEventTransferTimes(short Id, LONG* AiTransferTimes) {
  return rows::Run(kGetAiEventTransferTimes, Id, {AiTransferTimes});
}
DLL_EXPORT LONG WINAPI XanSetAiAttachedData(short Id, LONG AttachedData) {
  return rows::Run(kSetAiAttachedData, Id, {AttachedData});
}
DLL_EXPORT LONG WINAPI XanGetAiSamplingDataSize(short Id, short* DataSize) {
  return rows::Run(kGetAiSamplingDataSize, Id, {DataSize});
}
DLL_EXPORT LONG WINAPI XanGetAiDeviceBufferMode(short Id, short* AiBufferMode) {
  return rows::Run(kGetAiDeviceBufferMode, Id, {AiBufferMode});
}
DLL_EXPORT LONG WINAPI XanGetAiTransferMode(short Id, short* AiTransferMode) {
  return rows::Run(kGetAiTransferMode, Id, {AiTransferMode});
}

// Mode 0 keeps the samples in the device's memory, switching the device
// buffer on first where the board table asks for it; mode 1 hands them
// over by bus-master transfer, and its buffer starts released.
DLL_EXPORT LONG WINAPI XanSetAiTransferMode(short Id, short AiTransferMode) {
  ExportFrame frame(kSetAiTransferMode.name);
  if (LONG status = rows::Front(frame, kSetAiTransferMode, Id, {AiTransferMode}); status != 0) return status;
  const DeviceRecord& record = frame.record();
  if (RoadOf(record) != Road::Kernel) return frame.end(AiTransferMode == 0 ? 0 : 21960);
  if (AiTransferMode == 0) {
    if (LONG status = ApplyDeviceBufferMode(record); status != 0) return frame.end(status);
    return frame.end(sendTransferMode(record, 0));
  }
  if (LONG status = sendTransferMode(record, 1); status != 0) return frame.end(status);
  return frame.end(sendBufferRelease(record));
}
