// The multi-function counter's requests on the simulated driver, and the
// time-up commands of the bus library's units. Only the models below have
// the counter; the others answer 20001 (the information request 20003:
// not this board).
#include <outside/halvikdrv.h>

#include <cstring>
#include <string>

#include "cntm_dio_rows.h"

namespace halviksim {

namespace {

namespace drv = halvikdrv;
namespace rec = halvikdrv::cntm;

constexpr int32_t kNoSuchChannel = 28001;

struct CntmModel {
  const char* name;
  int16_t channels;
};
constexpr CntmModel kCntmModels[] = {{"HVA-1632PE", 8}};

int16_t cntmChannels(const std::string& model) {
  for (const CntmModel& m : kCntmModels)
    if (model == m.name) return m.channels;
  return 0;
}

template <class T>
T at(const Record& r, std::size_t offset) {
  T v;
  std::memcpy(&v, r.bytes + offset, sizeof v);
  return v;
}
template <class T>
void put(Record& r, std::size_t offset, T v) {
  std::memcpy(r.bytes + offset, &v, sizeof v);
}

bool present(const Device& device) { return cntmChannels(device.model().name) > 0; }

// The channels of a group record, or 28001 for one the board lacks.
int32_t eachChannel(const Record& r, void (*work)(CntmUnit&, int, int, Record&), Device& device, Record& out) {
  const int count = std::min<int>(at<int16_t>(r, rec::kGroupCount), rec::kChannels);
  for (int i = 0; i < count; ++i)
    if (at<int16_t>(r, 2 * i) < 0 || at<int16_t>(r, 2 * i) >= rec::kChannels) return kNoSuchChannel;
  for (int i = 0; i < count; ++i) work(device.cntm(), at<int16_t>(r, 2 * i), i, out);
  return 0;
}

int32_t serveBlock(Device& device, Record& r, const Row& row) {
  if (!present(device)) return drv::kStatusNotSupported;
  const int16_t c = at<int16_t>(r, rec::kChannel);
  if (c < 0 || c >= rec::kChannels) return kNoSuchChannel;
  CntmUnit::Channel ch = device.cntm().channel(c);
  if (row.code == drv::kCntmSetChannelBlock) {
    for (std::size_t f = rec::kZLogic; f <= rec::kFilter; f += 2) ch.block[f / 2] = at<int16_t>(r, f);
    device.cntm().setBlock(c, ch.block);
    return 0;
  }
  for (std::size_t f = rec::kZLogic; f <= rec::kFilter; f += 2) put<int16_t>(r, f, ch.block[f / 2]);
  put<int16_t>(r, rec::kPulseWidth, static_cast<int16_t>(device.setting(drv::kCntmPulseWidth, 8, c)[0]));
  return 0;
}

int32_t serveSettingHere(Device& device, Record& r, const Row& row) {
  return present(device) ? serveSetting(device, r, row) : drv::kStatusNotSupported;
}

// The Z mode is read back with its own code.
int32_t serveZModeRead(Device& device, Record& r, const Row&) {
  if (!present(device)) return drv::kStatusNotSupported;
  put<int16_t>(r, 2, static_cast<int16_t>(device.setting(drv::kCntmSetZMode, 8, at<int16_t>(r, 0))[0]));
  return 0;
}

int32_t serveStatusWord(Device& device, Record& r, const Row&) {
  if (!present(device)) return drv::kStatusNotSupported;
  put<int16_t>(r, 4, device.cntm().channel(at<int16_t>(r, 0)).running ? 1 : 0);
  return 0;
}

// The digital output is wired back to the digital input.
int32_t serveDigital(Device& device, Record& r, const Row& row) {
  if (!present(device)) return drv::kStatusNotSupported;
  if (row.code == drv::kCntmOutputDo) {
    device.cntm().setDigitalOutputBit(at<int16_t>(r, 0), at<uint8_t>(r, 2) != 0);
  } else {
    put<uint8_t>(r, 2, device.cntm().digitalOutput());
  }
  return 0;
}

// Type 1: the number of channels, as int16 through the first pointer.
int32_t serveInfo(Device& device, Record& r, const Row&) {
  std::string name;
  for (std::size_t i = 0; i < rec::kInfoNameUnits; ++i) {
    const char16_t unit = at<char16_t>(r, rec::kInfoName + 2 * i);
    if (unit == 0) break;
    name += static_cast<char>(unit);
  }
  const int16_t channels = cntmChannels(name);
  if (channels == 0 || name != device.model().name) return drv::kStatusOtherProcess;
  if (at<int16_t>(r, rec::kInfoType) != 1) return drv::kStatusNotSupported;
  if (auto* out = reinterpret_cast<int16_t*>(at<uint64_t>(r, rec::kInfoOut1))) *out = channels;
  return 0;
}

int32_t serveGroup(Device& device, Record& r, const Row& row) {
  if (!present(device)) return drv::kStatusNotSupported;
  switch (row.code) {
    case drv::kCntmStart:
      return eachChannel(r, [](CntmUnit& u, int c, int, Record&) { u.setRunning(c, true); }, device, r);
    case drv::kCntmStop:
      return eachChannel(r, [](CntmUnit& u, int c, int, Record&) { u.setRunning(c, false); }, device, r);
    case drv::kCntmZeroClear:
      return eachChannel(r, [](CntmUnit& u, int c, int, Record&) { u.setCount(c, 0); }, device, r);
    case drv::kCntmPreset:
      return eachChannel(
          r, [](CntmUnit& u, int c, int i, Record& o) { u.setCount(c, at<uint32_t>(o, rec::kGroupValues + 4 * i)); },
          device, r);
    default:
      return eachChannel(
          r, [](CntmUnit& u, int c, int i, Record& o) { put<uint32_t>(o, rec::kGroupValues + 4 * i, u.channel(c).count); },
          device, r);
  }
}

int32_t serveNotify(Device& device, Record& r, const Row& row) {
  if (!present(device)) return drv::kStatusNotSupported;
  CntmUnit& u = device.cntm();
  switch (row.code) {
    case drv::kCntmNotifyCountUp:
      u.notifyCountUp(at<int16_t>(r, 2), at<int16_t>(r, 0), at<int32_t>(r, 4), at<int16_t>(r, 12) != 0);
      break;
    case drv::kCntmNotifyError: u.notifyErrors(at<int16_t>(r, 4) != 0); break;
    case drv::kCntmNotifyCarryBorrow: u.notifyCarryBorrow(at<int16_t>(r, 4) != 0); break;
    default: u.notifyTimer(at<int16_t>(r, 8) != 0); break;
  }
  return 0;
}

int32_t serveEventWait(Device& device, Record& r, const Row&) {
  if (!present(device)) return drv::kStatusNotSupported;
  return device.cntm().queueWait(static_cast<PlatRequest*>(r.request)) ? kKeptPending : 0;
}

int32_t serveEventRead(Device& device, Record& r, const Row&) {
  if (!present(device)) return drv::kStatusNotSupported;
  const CntmUnit::Events e = device.cntm().takeEvents();
  std::memset(r.bytes, 0, rec::kEventStatus);
  for (std::size_t i = 0; i < e.countUps.size(); ++i) {
    const auto& c = e.countUps[i];
    const std::size_t k = i * 16 + c.row * 8 + c.channel;
    put<int32_t>(r, rec::kCountUpValues + 4 * k, c.value);
    put<int16_t>(r, rec::kCountUpFlags + 2 * k, c.flag);
  }
  for (int kind = 0; kind < 3; ++kind) {
    for (std::size_t i = 0; i < e.errors[kind].size(); ++i)
      put<int16_t>(r, rec::kErrorFlags[kind] + 2 * (i * 8 + e.errors[kind][i].channel), 1);
    put<int16_t>(r, rec::kErrorEntries[kind], static_cast<int16_t>(e.errors[kind].size()));
  }
  for (std::size_t i = 0; i < e.carryBorrows.size(); ++i)
    put<int16_t>(r, rec::kCarryBorrow + 2 * (i * 8 + e.carryBorrows[i].channel), e.carryBorrows[i].value);
  put<int16_t>(r, rec::kCarryBorrowEntries, static_cast<int16_t>(e.carryBorrows.size()));
  put<int16_t>(r, rec::kCountUpEntries, static_cast<int16_t>(e.countUps.size()));
  put<int16_t>(r, rec::kTimerEvents, static_cast<int16_t>(e.timers));
  put<int16_t>(r, rec::kEventChannels, rec::kChannels);
  put<int16_t>(r, rec::kEventRows, rec::kRows);
  if (e.forced) {
    put<int16_t>(r, rec::kEventChannels, e.channels);
    put<int16_t>(r, rec::kEventRows, e.rows);
    for (std::size_t offset : {rec::kCountUpEntries, rec::kErrorEntries[0], rec::kErrorEntries[1],
                               rec::kErrorEntries[2], rec::kCarryBorrowEntries, rec::kTimerEvents})
      put<int16_t>(r, offset, e.entries);
  }
  return 0;
}

// ---- Time-ups of the bus library's units --------------------------------------
int32_t serveTimeUpEnable(Device& device, Record& r, const Row&) {
  device.cntm().enableTimeUp(at<int32_t>(r, 4));
  return 0;
}
int32_t serveTimeUpWait(Device& device, Record& r, const Row&) {
  if (r.overlapped == nullptr) return kRefuseCall;
  return device.cntm().queueTimeUpWait(r.handle, r.overlapped, r.bytes) ? kKeptPending : 0;
}
int32_t serveTimeUpRead(Device&, Record& r, const Row&) {
  std::memset(r.bytes + rec::kTimeUpValues, 0, rec::kTimeUpProcessId - rec::kTimeUpValues);
  return 0;
}
int32_t serveTimeUpCount(Device& device, Record& r, const Row&) {
  put<int32_t>(r, 4, device.cntm().takeTimeUps());
  return 0;
}

constexpr Layout keyed(Field value, Field value2 = {}, Field value3 = {}) {
  return Layout{}.keys(f16(0)).values(value, value2, value3);
}

// clang-format off
constexpr Row kKernelRows[] = {
    {drv::kCntmGetChannelBlock, rec::kBlockSize, serveBlock, fields({})},
    {drv::kCntmSetChannelBlock, rec::kBlockSize, serveBlock, fields({})},
    {drv::kCntmSetZMode, 8, serveSettingHere, keyed(f16(2))},
    {drv::kCntmGetZMode, 8, serveZModeRead, fields({})},
    {drv::kCntmPulseWidth, 8, serveSettingHere, keyed(f16(2))},
    {drv::kCntmOutputHardwareEvent, 16, serveSettingHere, keyed(f16(2), f32(4), f16(8))},
    {drv::kCntmInputHardwareEvent, 16, serveSettingHere, keyed(f32(4), f16(8), f16(10))},
    {drv::kCntmCountMatchEvent, 12, serveSettingHere, keyed(f16(2), f32(4))},
    {drv::kCntmPresetRegister, 12, serveSettingHere, keyed(f32(4))},
    {drv::kCntmTestPulse, 8, serveSettingHere, keyed(f16(2))},
    {drv::kCntmReadStatus, 12, serveStatusWord, fields({})},
    {drv::kCntmInputDi, 8, serveDigital, fields({})},
    {drv::kCntmOutputDo, 8, serveDigital, fields({})},
    {drv::kCntmInfo, rec::kInfoSize, serveInfo, fields({})},
    {drv::kCntmStart, rec::kCountSize, serveGroup, fields({})},
    {drv::kCntmStop, rec::kCountSize, serveGroup, fields({})},
    {drv::kCntmZeroClear, rec::kCountSize, serveGroup, fields({})},
    {drv::kCntmPreset, rec::kPresetSize, serveGroup, fields({})},
    {drv::kCntmReadCount, rec::kPresetSize, serveGroup, fields({})},
    {drv::kCntmNotifyCountUp, rec::kCountUpSize, serveNotify, fields({})},
    {drv::kCntmNotifyError, rec::kFlagNotifySize, serveNotify, fields({})},
    {drv::kCntmNotifyCarryBorrow, rec::kFlagNotifySize, serveNotify, fields({})},
    {drv::kCntmNotifyTimer, rec::kTimerNotifySize, serveNotify, fields({})},
    {drv::kCntmEventWait, 8, serveEventWait, fields({})},
    {drv::kCntmEventRead, rec::kEventSize, serveEventRead, fields({})},
};
constexpr Row kBusRows[] = {
    {drv::kCmdCntmTimeUpEnable, rec::kTimeUpEnableSize, serveTimeUpEnable, fields({})},
    {drv::kCmdCntmTimeUpWait, rec::kTimeUpWaitSize, serveTimeUpWait, fields({})},
    {drv::kCmdCntmTimeUpRead, rec::kTimeUpSize, serveTimeUpRead, fields({})},
    {drv::kCmdCntmTimeUpCount, rec::kTimeUpCountSize, serveTimeUpCount, fields({})},
};
// clang-format on

}  // namespace

const Row* cntmKernelRow(DWORD code, DWORD size, uint16_t& statusAt) {
  for (const Row& row : kKernelRows) {
    if (row.code == code && row.size == size) {
      statusAt = static_cast<uint16_t>(size - 4);
      return &row;
    }
  }
  return nullptr;
}

// Only the bus library's units have time-ups.
const Row* cntmBusRow(int busKind, DWORD command, DWORD size, bool& commandKnown) {
  if (busKind != 3) return nullptr;
  for (const Row& row : kBusRows) {
    if (row.code != command) continue;
    commandKnown = true;
    if (row.size == size) return &row;
  }
  return nullptr;
}

}  // namespace halviksim
