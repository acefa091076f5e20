// The multi-function counter's channel settings: single requests as rows,
// and the settings that live in the channel block as a read, a change of
// the block's fields and a write back.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <utility>

#include "cntm_frame.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;
using mcnt::kStatusNullData;
using mcnt::kStatusOutOfRange;
using mcnt::Record;
using Block = WireRecord<cntm::kBlockSize>;

constexpr ArgSpec kChNo{Kind::I16, "CntmChNo=%d"};

constexpr Row kSetZMode = mcnt::Row({
    .name = "XanSetCntmZMode",
    .args = {kChNo, {Kind::I16, "CntMode=%d"}},
    .checks = {outside(1, 1, 3, kStatusOutOfRange)},
    .kernel = kernel(kCntmSetZMode, Record(8), -1, {put16(0, 0), put16(2, 1)}),
});
constexpr Row kGetZMode = mcnt::Row({
    .name = "XanGetCntmZMode",
    .args = {kChNo, {Kind::OutI16}},
    .checks = {null(1, kStatusNullData)},
    .kernel = kernel(kCntmGetZMode, Record(8), -1, {put16(0, 0)}, {get16(2, 1)}),
});
constexpr Row kSetPulseWidth = mcnt::Row({
    .name = "XanSetCntmPulseWidth",
    .args = {kChNo, {Kind::I16, "CntmPlsWidth=%d"}},
    .checks = {aboveUnsigned(1, 15, kStatusOutOfRange)},
    .kernel = kernel(kCntmPulseWidth, Record(8), -1, {put16(0, 0), put16(2, 1)}),
});
constexpr Row kSetOutputHardwareEvent = mcnt::Row({
    .name = "XanSetCntmOutputHardwareEvent",
    .args = {kChNo, {Kind::I16, "CntmValue1=%d"}, {Kind::I32, "CntmValue2=%d"}, {Kind::I16, "CntmValue3=%d"}},
    .checks = {},
    .kernel = kernel(kCntmOutputHardwareEvent, Record(16), -1, {put16(0, 0), put16(2, 1), put32(4, 2), put16(8, 3)}),
});
constexpr Row kSetInputHardwareEvent = mcnt::Row({
    .name = "XanSetCntmInputHardwareEvent",
    .args = {kChNo, {Kind::I32, "CntmValue1=%d"}, {Kind::I16, "CntmValue2=%d"}, {Kind::I16, "CntmValue3=%d"}},
    .checks = {},
    .kernel = kernel(kCntmInputHardwareEvent, Record(16), -1, {put16(0, 0), put32(4, 1), put16(8, 2), put16(10, 3)}),
});
constexpr Row kSetCountMatchHardwareEvent = mcnt::Row({
    .name = "XanSetCntmCountMatchHardwareEvent",
    .args = {kChNo, {Kind::I16, "CntmRegisterNo=%d"}, {Kind::I32, "CntmEventType=%d"}},
    .checks = {},
    .kernel = kernel(kCntmCountMatchEvent, Record(12), -1, {put16(0, 0), put16(2, 1), put32(4, 2)}),
});
constexpr Row kSetPresetRegister = mcnt::Row({
    .name = "XanSetCntmPresetRegister",
    .args = {kChNo, {Kind::I32, "CntmPresetData=%d"}},
    .checks = {},
    .kernel = kernel(kCntmPresetRegister, Record(12), -1, {put16(0, 0), put32(4, 1)}),
});
constexpr Row kSetTestPulse = mcnt::Row({
    .name = "XanSetCntmTestPulse",
    .args = {{Kind::I16, "CntmInternal=%d"}, {Kind::I16, "CntmOut=%d"}},
    .checks = {},
    .kernel = kernel(kCntmTestPulse, Record(8), -1, {put16(0, 0), put16(2, 1)}),
});
constexpr Row kReadStatusEx = mcnt::Row({
    .name = "XanCntmReadStatusEx",
    .args = {kChNo, {Kind::OutI16}},
    .checks = {null(1, kStatusNullData)},
    .kernel = kernel(kCntmReadStatus, Record(12), -1, {put16(0, 0)}, {get16(4, 1)}),
});

// ---- The channel block -------------------------------------------------------
// The rows of these exports give their trace and checks only.
constexpr Row blockRow(const char* name, std::initializer_list<ArgSpec> args, std::initializer_list<Check> checks) {
  Row row{.name = name};
  std::size_t i = 0;
  for (const ArgSpec& a : args) row.args[i++] = a;
  i = 0;
  for (const Check& c : checks) row.checks[i++] = c;
  return mcnt::Row(row);
}
constexpr Row kSetZLogic = blockRow("XanSetCntmZLogic", {kChNo, {Kind::I16, "CntmZLogic=%d"}},
                                    {outside(1, 0, 1, kStatusOutOfRange)});
constexpr Row kSelectSignal = blockRow("XanSelectCntmChannelSignal", {kChNo, {Kind::I16, "CntmSigType=%d"}},
                                       {outside(1, 0, 2, kStatusOutOfRange)});
constexpr Row kSetDirection = blockRow("XanSetCntmCountDirection", {kChNo, {Kind::I16, "CntmDir=%d"}},
                                       {outside(1, 0, 1, kStatusOutOfRange)});
constexpr Row kSetOperation = blockRow(
    "XanSetCntmOperationMode",
    {kChNo, {Kind::I16, "CntmOpMode=%d"}, {Kind::I16, "CntmMul=%d"}, {Kind::I16, "CntmSyncClr=%d"}},
    {outside(1, 0, 2, kStatusOutOfRange), outside(2, 0, 2, kStatusOutOfRange), outside(3, 0, 1, kStatusOutOfRange)});
constexpr Row kSetFilter = blockRow("XanSetCntmDigitalFilter", {{Kind::I16, "CntmChannel=%d"}, {Kind::I16, "CntmFilterValue=%d"}},
                                    {aboveUnsigned(1, 15, kStatusOutOfRange)});
constexpr Row getterRow(const char* name, int outs = 1) {
  Row row{.name = name, .args = {kChNo}};
  for (int i = 1; i <= outs; ++i) {
    row.args[i] = {Kind::OutI16};
    row.checks[i - 1] = null(static_cast<uint8_t>(i), kStatusNullData);
  }
  return mcnt::Row(row);
}
constexpr Row kGetZLogic = getterRow("XanGetCntmZLogic");
constexpr Row kGetSignal = getterRow("XanGetCntmChannelSignal");
constexpr Row kGetDirection = getterRow("XanGetCntmCountDirection");
constexpr Row kGetOperation = getterRow("XanGetCntmOperationMode", 3);
constexpr Row kGetFilter = getterRow("XanGetCntmDigitalFilter");
constexpr Row kGetPulseWidth = getterRow("XanGetCntmPulseWidth");

LONG readBlock(const DeviceRecord& record, short channel, Block& block) {
  block.put<int16_t>(cntm::kChannel, channel);
  return mcnt::Send(record, kCntmGetChannelBlock, block);
}

using Change = std::pair<std::size_t, short>;
// After the frame: 28001 for a channel above `highest` (unsigned), when given.
LONG changeBlock(const Row& row, short id, std::initializer_list<Arg> args, short channel,
                 std::initializer_list<Change> changes, int highest = -1) {
  ExportFrame frame(row.name, row.spacing, row.tracing);
  if (LONG status = Front(frame, row, id, args)) return status;
  if (LONG status = mcnt::KernelOnly(frame)) return status;
  if (highest >= 0 && static_cast<uint16_t>(channel) > highest) return mcnt::kStatusNoSuchChannel;
  Block block;
  if (LONG status = readBlock(frame.record(), channel, block)) return status;
  for (const Change& c : changes) block.put<int16_t>(c.first, c.second);
  block.put<int16_t>(cntm::kChannel, channel);
  return mcnt::Send(frame.record(), kCntmSetChannelBlock, block);
}

using Reading = std::pair<std::size_t, short*>;
LONG readFields(const Row& row, short id, std::initializer_list<Arg> args, short channel,
                std::initializer_list<Reading> readings) {
  ExportFrame frame(row.name, row.spacing, row.tracing);
  if (LONG status = Front(frame, row, id, args)) return status;
  if (LONG status = mcnt::KernelOnly(frame)) return status;
  Block block;
  if (LONG status = readBlock(frame.record(), channel, block)) return status;
  for (const Reading& r : readings) *r.second = block.get<int16_t>(r.first);
  return 0;
}

}  // namespace
}  // namespace halvik

using namespace halvik;
namespace drvc = halvikdrv::cntm;

DLL_EXPORT LONG WINAPI XanSetCntmZMode(short Id, short CntmChNo, short CntMode) {
  return rows::Run(kSetZMode, Id, {CntmChNo, CntMode});
}
DLL_EXPORT LONG WINAPI XanGetCntmZMode(short Id, short CntmChNo, short* CntmMode) {
  return rows::Run(kGetZMode, Id, {CntmChNo, CntmMode});
}
// The driver takes channels 0 to 8 here.
DLL_EXPORT LONG WINAPI XanSetCntmZLogic(short Id, short CntmChNo, short CntmZLogic) {
  return changeBlock(kSetZLogic, Id, {CntmChNo, CntmZLogic}, CntmChNo, {{drvc::kZLogic, CntmZLogic}}, 8);
}
DLL_EXPORT LONG WINAPI XanSelectCntmChannelSignal(short Id, short CntmChNo, short CntmSigType) {
  return changeBlock(kSelectSignal, Id, {CntmChNo, CntmSigType}, CntmChNo, {{drvc::kSignal, CntmSigType}});
}
DLL_EXPORT LONG WINAPI XanSetCntmCountDirection(short Id, short CntmChNo, short CntmDir) {
  return changeBlock(kSetDirection, Id, {CntmChNo, CntmDir}, CntmChNo, {{drvc::kDirection, CntmDir}});
}
DLL_EXPORT LONG WINAPI XanSetCntmOperationMode(short Id, short CntmChNo, short CntmOpMode, short CntmMul,
                                               short CntmSyncClr) {
  return changeBlock(kSetOperation, Id, {CntmChNo, CntmOpMode, CntmMul, CntmSyncClr}, CntmChNo,
                     {{drvc::kOperation, CntmOpMode}, {drvc::kMultiply, CntmMul}, {drvc::kSyncClear, CntmSyncClr}});
}
DLL_EXPORT LONG WINAPI XanSetCntmDigitalFilter(short Id, short CntmChannel, short CntmFilterValue) {
  return changeBlock(kSetFilter, Id, {CntmChannel, CntmFilterValue}, CntmChannel, {{drvc::kFilter, CntmFilterValue}});
}
DLL_EXPORT LONG WINAPI XanSetCntmPulseWidth(short Id, short CntmChNo, short CntmPlsWidth) {
  return rows::Run(kSetPulseWidth, Id, {CntmChNo, CntmPlsWidth});
}
DLL_EXPORT LONG WINAPI XanGetCntmZLogic(short Id, short CntmChNo, short* CntmZLogic) {
  return readFields(kGetZLogic, Id, {CntmChNo, CntmZLogic}, CntmChNo, {{drvc::kZLogic, CntmZLogic}});
}
DLL_EXPORT LONG WINAPI XanGetCntmChannelSignal(short Id, short CntmChNo, short* CntmSigType) {
  return readFields(kGetSignal, Id, {CntmChNo, CntmSigType}, CntmChNo, {{drvc::kSignal, CntmSigType}});
}
DLL_EXPORT LONG WINAPI XanGetCntmCountDirection(short Id, short CntmChNo, short* CntmDir) {
  return readFields(kGetDirection, Id, {CntmChNo, CntmDir}, CntmChNo, {{drvc::kDirection, CntmDir}});
}
DLL_EXPORT LONG WINAPI XanGetCntmOperationMode(short Id, short CntmChNo, short* CntmOpMode, short* CntmMul,
                                               short* CntmSyncClr) {
  return readFields(kGetOperation, Id, {CntmChNo, CntmOpMode, CntmMul, CntmSyncClr}, CntmChNo,
                    {{drvc::kOperation, CntmOpMode}, {drvc::kMultiply, CntmMul}, {drvc::kSyncClear, CntmSyncClr}});
}
DLL_EXPORT LONG WINAPI XanGetCntmDigitalFilter(short Id, short CntmChNo, short* CntmFilterValue) {
  return readFields(kGetFilter, Id, {CntmChNo, CntmFilterValue}, CntmChNo, {{drvc::kFilter, CntmFilterValue}});
}
DLL_EXPORT LONG WINAPI XanGetCntmPulseWidth(short Id, short CntmChNo, short* CntmPlsWidth) {
  return readFields(kGetPulseWidth, Id, {CntmChNo, CntmPlsWidth}, CntmChNo, {{drvc::kPulseWidth, CntmPlsWidth}});
}
DLL_EXPORT LONG WINAPI XanSetCntmOutputHardwareEvent(short Id, short CntmChNo, short CntmValue1, LONG CntmValue2,
                                                     short CntmValue3) {
  return rows::Run(kSetOutputHardwareEvent, Id, {CntmChNo, CntmValue1, CntmValue2, CntmValue3});
}
DLL_EXPORT LONG WINAPI XanSetCntmInputHardwareEvent(short Id, short CntmChNo, LONG CntmValue1, short CntmValue2,
                                                    short CntmValue3, short) {
  return rows::Run(kSetInputHardwareEvent, Id, {CntmChNo, CntmValue1, CntmValue2, CntmValue3});
}
DLL_EXPORT LONG WINAPI XanSetCntmCountMatchHardwareEvent(short Id, short CntmChNo, short CntmRegisterNo,
                                                         LONG CntmEventType, short) {
  return rows::Run(kSetCountMatchHardwareEvent, Id, {CntmChNo, CntmRegisterNo, CntmEventType});
}
DLL_EXPORT LONG WINAPI XanSetCntmPresetRegister(short Id, short CntmChNo, LONG CntmPresetData, short) {
  return rows::Run(kSetPresetRegister, Id, {CntmChNo, CntmPresetData});
}
DLL_EXPORT LONG WINAPI XanSetCntmTestPulse(short Id, short CntmInternal, short CntmOut, short) {
  return rows::Run(kSetTestPulse, Id, {CntmInternal, CntmOut});
}
DLL_EXPORT LONG WINAPI XanCntmReadStatusEx(short Id, short CntmChNo, short* Status) {
  return rows::Run(kReadStatusEx, Id, {CntmChNo, Status});
}
