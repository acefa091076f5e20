// The output exports that are one setting, one reading or one plain
// request: rows of the setting engine.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

constexpr uint16_t kGetFlagAt = rec::kShortGetFlag, kValueAt = rec::kShortValue;
constexpr uint16_t kCountAt = rec::kValue, kCountGetFlagAt = rec::kCountGetFlag;

// A reading of one int16 in the 8-byte form {get flag 1, value out}.
constexpr Row shortReading(const char* name, LONG nullCode, DWORD code, uint16_t blockAt, WORD cmd,
                           const char* endText) {
  return {.name = name,
          .args = {{Kind::OutI16}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAoFamily, 1, {}, {get16(blockAt, 0)}),
          .virtualDevice = command(cmd, 8, {const16(kGetFlagAt, 1)}, {get16(kValueAt, 0)}),
          .endText = endText};
}
// A reading of one int32 in the 12-byte form {value out, get flag 1}.
constexpr Row countReading(const char* name, LONG nullCode, DWORD code, uint16_t blockAt, WORD cmd,
                           const char* endText) {
  return {.name = name,
          .args = {{Kind::OutI32}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAoFamily, 1, {}, {get32(blockAt, 0)}),
          .virtualDevice = command(cmd, 12, {const16(kCountGetFlagAt, 1)}, {get32(kCountAt, 0)}),
          .endText = endText};
}
// A reading the device gives without a get flag: 8-byte {value out}.
constexpr Row plainReading(const char* name, Kind kind, LONG nullCode, DWORD code, Out blockOut, WORD cmd,
                           Out cmdOut, const char* endText, bool ownership = true) {
  return {.name = name,
          .args = {{kind}},
          .checks = {null(0, nullCode)},
          .ownership = ownership,
          .kernel = kernel(code, kAoFamily, -1, {}, {blockOut}),
          .virtualDevice = command(cmd, 8, {}, {cmdOut}),
          .endText = endText};
}
// A kernel-only reading of one int32 under get flag 1.
constexpr Row kernelReading(const char* name, Kind kind, LONG nullCode, DWORD code, Out blockOut,
                            const char* endText) {
  return {.name = name,
          .args = {{kind}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAoFamily, 1, {}, {blockOut}),
          .virtualDevice = refused(),
          .endText = endText};
}
// A request with no fields.
constexpr Row bare(const char* name, DWORD code, WORD cmd) {
  Row row;
  row.name = name;
  row.kernel = kernel(code, kAoFamily, -1, {});
  row.virtualDevice = command(cmd, 4, {});
  return row;
}
constexpr Row channelSwitch(const char* name, LONG code, int flag) {
  return {.name = name,
          .args = {{Kind::I16, "AoChannel=%d"}},
          .checks = {aboveUnsigned(0, 255, code)},
          .kernel = kernel(kAoEnable, kAoFamily, flag, {put16(ao::kChannel, 0)}),
          .virtualDevice = command(kCmdAoEnable, 8, {const16(kGetFlagAt, static_cast<int16_t>(flag)), put16(kValueAt, 0)})};
}
// The adjustment rows: checks of range, type, data and channel in that
// order; the bus library has none.
constexpr Row adjustment(const char* name, LONG first, bool get, DWORD code, WORD cmd) {
  Row row{.name = name,
          .args = {{Kind::I16, "AoChannel=%d"}, {Kind::I16, "Range=%d"}, {Kind::I16, "Type=%d"},
                   {get ? Kind::OutI16 : Kind::I16, get ? nullptr : "Data=%d"}},
          .checks = {aboveUnsigned(1, 300, first), aboveUnsigned(2, 1, first + 1),
                     get ? null(3, first + 2) : below(3, 0, first + 2), aboveUnsigned(0, 255, first + 3)},
          .kernel = kernel(code, kAoFamily, get ? 1 : 0,
                           {put16(ao::kChannel, 0), put16(ao::kRange, 1), put16(ao::kAdjustType, 2)}),
          .virtualDevice = command(cmd, rec::kAoAdjustSize,
                                   {const16(4, get ? 1 : 0), put16(6, 0), put16(8, 1), put16(10, 2)}),
          .attached = refused(),
          .endText = get ? "*Data=%d" : nullptr};
  if (get) {
    row.kernel = detail::fill(row.kernel, {}, {get16(ao::kAdjustData, 3)});
    row.virtualDevice = detail::fill(row.virtualDevice, {}, {get16(12, 3)});
  } else {
    row.kernel = detail::fill(row.kernel, {put16(ao::kAdjustData, 3)}, {});
    row.virtualDevice = detail::fill(row.virtualDevice, {put16(12, 3)}, {});
  }
  return row;
}

constexpr Row kGetAoChannels = shortReading("XanGetAoChannels", 13070, kAoChannels, ao::kChannels, kCmdAoChannels,
                                            "*AoChannels=%d");
constexpr Row kGetAoMemoryType = shortReading("XanGetAoMemoryType", 13150, kAoMemoryType, ao::kMemoryType,
                                              kCmdAoMemoryType, "*AoMemoryType=%d");
constexpr Row kGetAoClockType = shortReading("XanGetAoClockType", 13190, kAoClockType, ao::kClockType,
                                             kCmdAoClockType, "*AoClockType=%d");
constexpr Row kGetAoStartTrigger = shortReading("XanGetAoStartTrigger", 13250, kAoStartTrigger, ao::kStartTrigger,
                                                kCmdAoStartTrigger, "*AoStartTrigger=%d");
constexpr Row kGetAoStopTrigger = shortReading("XanGetAoStopTrigger", 13270, kAoStopTrigger, ao::kStopTrigger,
                                               kCmdAoStopTrigger, "*AoStopTrigger=%d");
constexpr Row kGetAoClockEdge = [] {
  Row row = shortReading("XanGetAoClockEdge", 13780, kAoClockEdge, ao::kClockEdge, kCmdAoClockEdge,
                         "*AoClockEdge=%d");
  row.attached = refused();
  return row;
}();
constexpr Row kGetAoRepeatTimes = countReading("XanGetAoRepeatTimes", 13170, kAoRepeatTimes, ao::kRepeatTimes,
                                               kCmdAoRepeatTimes, "*AoRepeatTimes=%d");
constexpr Row kGetAoEventSamplingTimes =
    countReading("XanGetAoEventSamplingTimes", 13310, kAoEventSamplingTimes, ao::kEventSamplingTimes,
                 kCmdAoEventSamplingTimes, "*AoSamplingTimes=%d");

constexpr Row kGetAoResolution = plainReading("XanGetAoResolution", Kind::OutI16, 13040, kAoResolution,
                                                     get16(ao::kResolution, 0), kCmdAoResolution,
                                                     get16(rec::kValue, 0), "*AoResolution=%d", false);
constexpr Row kGetAoMaxChannels = plainReading("XanGetAoMaxChannels", Kind::OutI16, 13080, kAoMaxChannels,
                                                      get16(ao::kChannels, 0), kCmdAoMaxChannels,
                                                      get16(rec::kValue, 0), "*AoMaxChannels=%d", false);
constexpr Row kGetAoStatus = plainReading("XanGetAoStatus", Kind::OutI32, 13380, kAoStatus,
                                                 get32(ao::kStatusBits, 0), kCmdAoStatus, get32(rec::kValue, 0),
                                                 "*AoStatus=%xH");
constexpr Row kGetAoSamplingCount =
    plainReading("XanGetAoSamplingCount", Kind::OutI32, 13400, kAoSamplingCount, get32(ao::kSamplingCount, 0),
                        kCmdAoSamplingCount, get32(rec::kValue, 0), "*AoSamplingCount=%d");
constexpr Row kGetAoRepeatCount =
    plainReading("XanGetAoRepeatCount", Kind::OutI32, 13420, kAoRepeatCount, get32(ao::kRepeatCount, 0),
                        kCmdAoRepeatCount, get32(rec::kValue, 0), "*AoRepeatCount=%d");

constexpr Row kGetAoSamplingDataSize = kernelReading("XanGetAoSamplingDataSize", Kind::OutI16, 13640,
                                                     kAoSamplingDataSize, get16(ao::kSamplingDataSize, 0),
                                                     "*DataSize=%d");
constexpr Row kGetAoEventTransferTimes = kernelReading("XanGetAoEventTransferTimes", Kind::OutI32, 13670,
                                                       kAoEventTransferTimes, get32(ao::kTransferTimes, 0),
                                                       "*AoTransferTimes=%d");
constexpr Row kGetAoTransferCount = kernelReading("XanGetAoTransferCount", Kind::OutI32, 13680, kAoTransferCount,
                                                  get32(ao::kTransferCount, 0), "*AoTransferCount=%d");
constexpr Row kGetAoTransferLap = kernelReading("XanGetAoTransferLap", Kind::OutI32, 13700, kAoTransferLap,
                                                get32(ao::kTransferLap, 0), "*Lap=%d");

// The sibling libraries only know transfer mode 0.
constexpr Row kGetAoTransferMode{
    .name = "XanGetAoTransferMode",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 13590)},
    .kernel = kernel(kAoTransferMode, kAoFamily, 1, {}, {get16(ao::kTransferMode, 0)}),
    .virtualDevice = answer({const16(0, 0)}, {get16(0, 0)}),
    .endText = "*AoTransferMode=%d",
};
constexpr Row kSetAoDeviceBufferMode{
    .name = "XanSetAoDeviceBufferMode",
    .args = {{Kind::I16, "AoBufferMode=%d"}},
    .checks = {aboveUnsigned(0, 1, 13840)},
    .ownership = false,
    .kernel = kernel(kDeviceBufferMode, kAoFamily, 0, {put16(ao::kDeviceBufferMode, 0)}),
    .virtualDevice = refused(),
};
constexpr Row kGetAoDeviceBufferMode{
    .name = "XanGetAoDeviceBufferMode",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 13850)},
    .ownership = false,
    .kernel = kernel(kDeviceBufferMode, kAoFamily, 1, {}, {get16(ao::kDeviceBufferMode, 0)}),
    .virtualDevice = refused(),
    .endText = "*AoBufferMode=%d",
};
constexpr Row kGetAoRange{
    .name = "XanGetAoRange",
    .args = {{Kind::I16, "AoChannel=%d"}, {Kind::OutI16}},
    .checks = {aboveUnsigned(0, 255, 13110), null(1, 13111)},
    .ownership = false,
    .kernel = kernel(kAoRange, kAoFamily, 1, {put16(ao::kChannel, 0)}, {get16(ao::kRange, 1)}),
    .virtualDevice = command(kCmdAoRange, 12, {const16(kGetFlagAt, 1), put16(rec::kAoRangeChannel, 0)},
                             {get16(rec::kAoRangeValue, 1)}),
    .endText = "*AoRange=%d",
};
// Bus kind 10 sends the 24-byte data record, bus kind 3 the 18-byte get.
constexpr Row kGetAoSamplingTimes{
    .name = "XanGetAoSamplingTimes",
    .args = {{Kind::OutI32}},
    .checks = {null(0, 13230)},
    .kernel = kernel(kAoSamplingData, kAoFamily, 1, {}, {get32(ao::kSamplingTimes, 0)}),
    .virtualDevice = command(kCmdAoSamplingData, rec::kAoDataSizeVm, {const16(rec::kAoDataGetFlagVm, 1)},
                             {get32(rec::kAoDataTimes, 0)}),
    .attached = command(kCmdAoSamplingData, rec::kAoDataGetSizeBus, {const16(rec::kAoDataGetFlagBus, 1)},
                        {get32(rec::kAoDataTimesBus, 0)}),
    .endText = "*AoSamplingTimes=%d",
};
// Neither memory-size export traces its start or its success.
constexpr Row kSetAoMemorySize{
    .name = "XanSetAoMemorySize",
    .tracing = ExportFrame::Tracing::None,
    .args = {{Kind::I32}},
    .checks = {aboveUnsigned(0, 256, 13480)},
    .kernel = kernel(kAoMemorySize, kAoFamily, 0, {put32(ao::kMemorySize, 0)}),
    .virtualDevice = refused(),
};
constexpr Row kGetAoMemorySize{
    .name = "XanGetAoMemorySize",
    .tracing = ExportFrame::Tracing::Failures,
    .args = {{Kind::OutI32}},
    .checks = {null(0, 13490)},
    .kernel = kernel(kAoMemorySize, kAoFamily, 1, {}, {get32(ao::kMemorySize, 0)}),
    .virtualDevice = command(kCmdAoMemorySize, 12, {const16(rec::kShortGetFlag, 1)}, {get32(8, 0)}),
    .attached = answer({const32(0, static_cast<int32_t>(ao::kMemoryValues))}, {get32(0, 0)}),
};
constexpr Row kSetAoAttachedData{
    .name = "XanSetAoAttachedData",
    .args = {{Kind::I32, "AttachedData=%d"}},
    .kernel = kernel(kAoAttachedData, kAoFamily, 0, {put32(ao::kAttachedData, 0)}),
    .virtualDevice = refused(),
};
// The event registrations; the record keeps the window or the procedure
// once the device took the mask. The window does not travel to a sibling.
constexpr Row kSetAoEvent{
    .name = "XanSetAoEvent",
    .args = {{Kind::I32, "hWnd=%xH"}, {Kind::I32, "AoEvent=%xH"}},
    .kernel = kernel(kAoEvent, kAoFamily, 0, {put32(ao::kEventMask, 1), put32(ao::kWindow, 0)}),
    .virtualDevice = command(kCmdAoEvent, 12, {put32(kCountAt, 1), const16(kCountGetFlagAt, 0)}),
};
constexpr Row kSetAoCallBackProc{
    .name = "XanSetAoCallBackProc",
    .args = {{Kind::I32, "AoEvent=%xH"}},
    .kernel = kernel(kAoCallBackEvent, kAoFamily, 0, {put32(ao::kEventMask, 0)}),
    .virtualDevice = command(kCmdAoCallBackEvent, 12, {put32(kCountAt, 0), const16(kCountGetFlagAt, 0)}),
};
// Its success line names the window too: the start and success lines are
// the export's own.
constexpr Row kGetAoEventMask{
    .name = "XanGetAoEvent",
    .tracing = ExportFrame::Tracing::Failures,
    .args = {{Kind::OutI32}},
    .checks = {null(0, 13290)},
    .kernel = kernel(kAoEvent, kAoFamily, 1, {}, {get32(ao::kEventMask, 0)}),
    .virtualDevice = command(kCmdAoEvent, 12, {const16(kCountGetFlagAt, 1)}, {get32(kCountAt, 0)}),
};

constexpr Row kEnableAo = channelSwitch("XanEnableAo", 13360, 0);
constexpr Row kDisableAo = channelSwitch("XanDisableAo", 13370, 1);
constexpr Row kResetAoStatus = bare("XanResetAoStatus", kAoResetStatus, kCmdAoResetStatus);
constexpr Row kResetAoMemory = bare("XanResetAoMemory", kAoResetMemory, kCmdAoResetMemory);
constexpr Row kSetAoAdjustment = adjustment("XanSetAoAdjustment", 13720, false, kAoAdjustment, kCmdAoAdjustment);
constexpr Row kGetAoAdjustment = adjustment("XanGetAoAdjustment", 13730, true, kAoAdjustment, kCmdAoAdjustment);
constexpr Row kGetAoDefaultAdjustment =
    adjustment("XanGetAoDefaultAdjustment", 13740, true, kAoDefaultAdjustment, kCmdAoDefaultAdjustment);

// The clock comes back as whole part and thousandths, from bus kind 3 as
// one integer.
constexpr Row kGetAoSamplingClock{
    .name = "XanGetAoSamplingClock",
    .args = {{Kind::OutF32}},
    .checks = {null(0, 13210)},
    .kernel = kernel(kAoSamplingClock, kAoFamily, 1, {}, {getClock(ao::kClockWhole, ao::kClockThousandths, 0)}),
    .virtualDevice = command(kCmdAoSamplingClock, rec::kAoClockSizeVm, {const16(rec::kAoClockGetFlagVm, 1)},
                             {getClock(rec::kAoClockWhole, rec::kAoClockThousandths, 0)}),
    .attached = command(kCmdAoSamplingClock, rec::kAoClockSizeBus, {const16(rec::kAoClockGetFlagBus, 1)},
                        {get32(rec::kAoClockWhole, 0, Shape::Float)}),
    .endText = "*AoSamplingClock=%f",
};

// A raw count by address to the kernel driver, its low 16 bits by value
// to a sibling.
constexpr Row kSingleAo{
    .name = "XanSingleAo",
    .args = {{Kind::I16, "AoChannel=%d"}, {Kind::InAddress}, {Kind::I32, "AoData=%d"}},
    .checks = {aboveUnsigned(0, 255, 13000)},
    .ownership = false,
    .kernel = kernel(kAoSingle, kAoFamily, -1, {put16(ao::kChannel, 0), putAddress(ao::kDataAddress, 1)}),
    .virtualDevice = command(kCmdAoSingle, 8, {put16(rec::kShortGetFlag, 0), put16(rec::kShortValue, 2)}),
};

}  // namespace

}  // namespace halvik

using namespace halvik;

#define AO_READING(name, row, type) \
  DLL_EXPORT LONG WINAPI name(short Id, type* out) { return rows::Run(row, Id, {static_cast<const void*>(out)}); }

AO_READING(XanGetAoChannels, kGetAoChannels, short)
AO_READING(XanGetAoMemoryType, kGetAoMemoryType, short)
AO_READING(XanGetAoClockType, kGetAoClockType, short)
AO_READING(XanGetAoStartTrigger, kGetAoStartTrigger, short)
AO_READING(XanGetAoStopTrigger, kGetAoStopTrigger, short)
AO_READING(XanGetAoClockEdge, kGetAoClockEdge, short)
AO_READING(XanGetAoRepeatTimes, kGetAoRepeatTimes, LONG)
AO_READING(XanGetAoEventSamplingTimes, kGetAoEventSamplingTimes, LONG)
AO_READING(XanGetAoResolution, kGetAoResolution, short)
AO_READING(XanGetAoMaxChannels, kGetAoMaxChannels, short)
AO_READING(XanGetAoStatus, kGetAoStatus, LONG)
AO_READING(XanGetAoSamplingCount, kGetAoSamplingCount, LONG)
AO_READING(XanGetAoRepeatCount, kGetAoRepeatCount, LONG)
AO_READING(XanGetAoSamplingDataSize, kGetAoSamplingDataSize, short)
AO_READING(XanGetAoEventTransferTimes, kGetAoEventTransferTimes, LONG)
AO_READING(XanGetAoTransferCount, kGetAoTransferCount, LONG)
AO_READING(XanGetAoTransferLap, kGetAoTransferLap, LONG)
AO_READING(XanGetAoTransferMode, kGetAoTransferMode, short)
AO_READING(XanGetAoDeviceBufferMode, kGetAoDeviceBufferMode, short)
AO_READING(XanGetAoSamplingTimes, kGetAoSamplingTimes, LONG)
AO_READING(XanGetAoMemorySize, kGetAoMemorySize, LONG)
AO_READING(XanGetAoSamplingClock, kGetAoSamplingClock, float)

DLL_EXPORT LONG WINAPI XanSingleAo(short Id, short AoChannel, LONG AoData) {
  return rows::Run(kSingleAo, Id, {AoChannel, static_cast<const void*>(&AoData), AoData});
}
DLL_EXPORT LONG WINAPI XanGetAoRange(short Id, short AoChannel, short* AoRange) {
  return rows::Run(kGetAoRange, Id, {AoChannel, static_cast<const void*>(AoRange)});
}
DLL_EXPORT LONG WINAPI XanSetAoDeviceBufferMode(short Id, short AoBufferMode) {
  return rows::Run(kSetAoDeviceBufferMode, Id, {AoBufferMode});
}
DLL_EXPORT LONG WINAPI XanSetAoMemorySize(short Id, LONG AoMemorySize) {
  return rows::Run(kSetAoMemorySize, Id, {AoMemorySize});
}
DLL_EXPORT LONG WINAPI XanSetAoAttachedData(short Id, LONG AttachedData) {
  return rows::Run(kSetAoAttachedData, Id, {AttachedData});
}
DLL_EXPORT LONG WINAPI XanEnableAo(short Id, short AoChannel) { return rows::Run(kEnableAo, Id, {AoChannel}); }
DLL_EXPORT LONG WINAPI XanDisableAo(short Id, short AoChannel) { return rows::Run(kDisableAo, Id, {AoChannel}); }
DLL_EXPORT LONG WINAPI XanResetAoStatus(short Id) { return rows::Run(kResetAoStatus, Id); }
DLL_EXPORT LONG WINAPI XanResetAoMemory(short Id) { return rows::Run(kResetAoMemory, Id); }
DLL_EXPORT LONG WINAPI XanSetAoAdjustment(short Id, short AoChannel, short Range, short Type, short Data) {
  return rows::Run(kSetAoAdjustment, Id, {AoChannel, Range, Type, Data});
}
DLL_EXPORT LONG WINAPI XanGetAoAdjustment(short Id, short AoChannel, short Range, short Type, short* Data) {
  return rows::Run(kGetAoAdjustment, Id, {AoChannel, Range, Type, static_cast<const void*>(Data)});
}
DLL_EXPORT LONG WINAPI XanGetAoDefaultAdjustment(short Id, short AoChannel, short Range, short Type, short* Data) {
  return rows::Run(kGetAoDefaultAdjustment, Id, {AoChannel, Range, Type, static_cast<const void*>(Data)});
}

// The registrations: the record takes the window or the procedure only
// after the device accepted the mask.
DLL_EXPORT LONG WINAPI XanSetAoEvent(short Id, HWND hWnd, LONG AoEvent) {
  const LONG window = static_cast<LONG>(reinterpret_cast<intptr_t>(hWnd));
  if (LONG status = rows::Run(kSetAoEvent, Id, {window, AoEvent}); status != 0) return status;
  uint16_t index = 0;
  if (FindDeviceById(Id, &index) != 1) return 0;
  DeviceRecord& r = DeviceTable()[index];
  __atomic_store_n(&r.NotifyWindow[kSlotAo], hWnd, __ATOMIC_RELEASE);
  __atomic_store_n(&r.NotifyKind[kSlotAo], int16_t{0}, __ATOMIC_RELEASE);
  return 0;
}
DLL_EXPORT LONG WINAPI XanSetAoCallBackProc(short Id, XanAoCallBack CallBackProc, LONG AoEvent, void* Param) {
  if (LONG status = rows::Run(kSetAoCallBackProc, Id, {AoEvent}); status != 0) return status;
  uint16_t index = 0;
  if (FindDeviceById(Id, &index) != 1) return 0;
  DeviceRecord& r = DeviceTable()[index];
  __atomic_store_n(&r.CallbackParam[kSlotAo], Param, __ATOMIC_RELEASE);
  __atomic_store_n(&r.CallbackProc[kSlotAo], reinterpret_cast<XanCallBack>(CallBackProc), __ATOMIC_RELEASE);
  __atomic_store_n(&r.NotifyKind[kSlotAo], int16_t{1}, __ATOMIC_RELEASE);
  return 0;
}
DLL_EXPORT LONG WINAPI XanGetAoEvent(short Id, HWND* hWnd, LONG* AoEvent) {
  ExportFrame frame("XanGetAoEvent");
  frame.start("Id=%d", Id);
  if (LONG status = rows::Run(kGetAoEventMask, Id, {static_cast<const void*>(AoEvent)}); status != 0) return status;
  uint16_t index = 0;
  FindDeviceById(Id, &index);
  HWND window = __atomic_load_n(&DeviceTable()[index].NotifyWindow[kSlotAo], __ATOMIC_ACQUIRE);
  if (hWnd != nullptr) *hWnd = window;
  return frame.endWith("*hWnd=%xH, AoEvent=%xH", static_cast<unsigned>(reinterpret_cast<uintptr_t>(window)),
                       static_cast<unsigned>(*AoEvent));
}
