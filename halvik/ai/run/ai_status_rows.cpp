// The plain readings and resets of an acquisition: status, counts, resets.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_host_ring.h"
#include "ai_wire.h"
#include "halvik.h"
#include "setting_rows.h"

namespace halvik::airun {
namespace {

using namespace halvikdrv;
using namespace rows;

constexpr Row reading(const char* name, const char* endText, LONG nullCode, DWORD code, uint16_t at, WORD cmd,
                      int getFlag) {
  return {.name = name,
          .args = {{Kind::OutI32}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAiFamily, getFlag, {}, {get32(at, 0)}),
          .virtualDevice = command(cmd, kValueSize, {}, {get32(kValue, 0)}),
          .attached = command(cmd, kValueSize, {}, {get32(kValue, 0)}),
          .endText = endText};
}

constexpr Row kGetAiStatus = reading("XanGetAiStatus", "*AiStatus=%xH", 11500, kAiStatus, ai::kStatusBits,
                                     kCmdAiStatus, 1);
constexpr Row kGetAiSamplingCount = reading("XanGetAiSamplingCount", "*AiSamplingCount=%d", 11520, kAiSamplingCount,
                                            ai::kSamplingCount, kCmdAiSamplingCount, -1);
constexpr Row kGetAiRepeatCount = reading("XanGetAiRepeatCount", "*AiRepeatCount=%d", 11540, kAiRepeatCount,
                                          ai::kRepeatCount, kCmdAiRepeatCount, -1);
constexpr Row kGetAiStopTriggerCount = reading("XanGetAiStopTriggerCount", "*AiStopTriggerCount=%d", 11560,
                                               kAiStopTriggerCount, ai::kStopTriggerCount, kCmdAiStopTriggerCount, -1);

// The counts of a transfer into a buffer the driver was handed; only the
// kernel driver makes such transfers.
constexpr Row transferReading(const char* name, const char* endText, LONG nullCode, DWORD code, uint16_t at) {
  return {.name = name,
          .args = {{Kind::OutI32}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAiFamily, -1, {}, {get32(at, 0)}),
          .virtualDevice = refused(),
          .attached = refused(),
          .endText = endText};
}
constexpr Row kGetAiTransferCount = transferReading("XanGetAiTransferCount", "*AiTransferCount=%d", 12140,
                                                    kAiTransferCount, ai::kTransferCount);
constexpr Row kGetAiTransferLap = transferReading("XanGetAiTransferLap", "*AiTransferLap=%d", 12160,
                                                  kAiTransferLap, ai::kTransferLap);
constexpr Row kGetAiStopTriggerTransferCount =
    transferReading("XanGetAiStopTriggerTransferCount", "*AiStopTriggerTransferCount=%d", 12180,
                    kAiStopTriggerTransferCount, ai::kTransferCount);

constexpr Row reset(const char* name, DWORD code, WORD cmd) {
  Row row{.name = name};
  row.kernel = kernel(code, kAiFamily, -1, {});
  row.virtualDevice = command(cmd, kStatusOnlySize, {});
  row.attached = row.virtualDevice;
  return row;
}
constexpr Row kResetAiStatus = reset("XanResetAiStatus", kAiResetStatus, kCmdAiResetStatus);
constexpr Row kResetAiMemory = reset("XanResetAiMemory", kAiResetMemory, kCmdAiResetMemory);

}  // namespace
}  // namespace halvik::airun

using namespace halvik::airun;
using halvik::rows::Run;

DLL_EXPORT LONG WINAPI XanGetAiStatus(short Id, LONG* AiStatus) { return Run(kGetAiStatus, Id, {AiStatus}); }
// In host-ring mode the count is what lies in the ring between the read
// position and the driver's.
DLL_EXPORT LONG WINAPI XanGetAiSamplingCount(short Id, LONG* AiSamplingCount) {
  uint16_t index = 0;
  if (halvik::FindDeviceById(Id, &index) == 0 || !HostRingInUse(halvik::DeviceTable()[index]))
    return Run(kGetAiSamplingCount, Id, {AiSamplingCount});
  halvik::ExportFrame frame(kGetAiSamplingCount.name);
  if (LONG status = halvik::rows::Front(frame, kGetAiSamplingCount, Id, {AiSamplingCount})) return status;
  if (LONG status = HostRingSamplingCount(frame.record(), AiSamplingCount)) return frame.end(status);
  return frame.endWith("*AiSamplingCount=%d", *AiSamplingCount);
}
DLL_EXPORT LONG WINAPI XanGetAiRepeatCount(short Id, LONG* AiRepeatCount) {
  return Run(kGetAiRepeatCount, Id, {AiRepeatCount});
}
DLL_EXPORT LONG WINAPI XanGetAiStopTriggerCount(short Id, LONG* AiStopTriggerCount) {
  return Run(kGetAiStopTriggerCount, Id, {AiStopTriggerCount});
}
DLL_EXPORT LONG WINAPI XanGetAiTransferCount(short Id, LONG* AiTransferCount) {
  return Run(kGetAiTransferCount, Id, {AiTransferCount});
}
DLL_EXPORT LONG WINAPI XanGetAiTransferLap(short Id, LONG* AiTransferLap) {
  return Run(kGetAiTransferLap, Id, {AiTransferLap});
}
DLL_EXPORT LONG WINAPI XanGetAiStopTriggerTransferCount(short Id, LONG* AiStopTriggerTransferCount) {
  return Run(kGetAiStopTriggerTransferCount, Id, {AiStopTriggerTransferCount});
}
DLL_EXPORT LONG WINAPI XanResetAiStatus(short Id) { return Run(kResetAiStatus, Id); }
DLL_EXPORT LONG WINAPI XanResetAiMemory(short Id) { return Run(kResetAiMemory, Id); }
