// Starting and stopping a counter channel, and its event thread: the
// worker waits on the driver for the channel's events and turns each event
// word into the messages whose bits the word and the enabled mask share.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

#include "event_worker.h"
#include "halvik.h"
#include "setting_rows.h"
#include "trace_log.h"
#include "transport.h"
#include "unit_index.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;
using io::Armed;
using io::Fetched;
using io::WorkerContext;

constexpr io::WorkerTraits kTraits{"CntEventThread", "XANCNTEVENT%X", io::NameKey::ThreadHandle, "XANCNTMUTEXA%X",
                                   "XANCNTMUTEXB%X",  "XANCNTEVENTWAIT%X", 2, 3, 3, 6};

struct Message {
  int32_t bits;  // all of them in the word and in the mask
  UINT message;
  const char* name;
};
// In the order they are raised for one word.
constexpr Message kMessages[] = {
    {0x10, 0x1042, "XANM_CNTE_DATA_NUM"},
    {0x01, 0x1041, "XANM_CNTE_END"},
    {0x10000, 0x1043, "XANM_CNTE_ORERR"},
    {0x10001, 0x1044, "XANM_CNTE_ERR"},
};

template <class T>
void put(unsigned char* bytes, std::size_t at, T value) {
  std::memcpy(bytes + at, &value, sizeof value);
}
template <class T>
T get(const unsigned char* bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes + at, sizeof value);
  return value;
}

int16_t channelOf(int slot) { return static_cast<int16_t>(slot - kSlotCnt0); }

class CounterFamily final : public io::WorkerFamily {
 public:
  constexpr CounterFamily() : WorkerFamily(kTraits) {}

  // A wait the driver refuses at once is left to the close: it signals
  // nothing, so the worker does not spin on it.
  Armed arm(WorkerContext& c) const override {
    unsigned char* wire = c.completion.wire;
    std::memset(wire, 0, kCntBlockSize);
    DWORD returned = 0;
    if (RoadOf(c.record) == Road::Kernel) {
      put<int16_t>(wire, cnt::kChannel, channelOf(c.slot));
      put<int32_t>(wire, cnt::kIoEvent, static_cast<int32_t>(reinterpret_cast<intptr_t>(c.completion.overlapped.hEvent)));
      const BOOL done = DeviceIoControl(c.record.Handle, kCntEventWait, wire, kCntBlockSize, wire, kCntBlockSize,
                                        &returned, &c.completion.overlapped);
      return done ? Armed::Ready : Armed::Pending;
    }
    put<int16_t>(wire, rec::kCntWaitChannel, channelOf(c.slot));
    const DWORD result = Bus().HalvikVmIoControl(static_cast<DWORD>(c.record.BusKind), c.record.Handle, kCmdCntEventWait,
                                                 wire, rec::kCntWaitSize, wire, rec::kCntWaitSize, &returned,
                                                 &c.completion.overlapped);
    return result == 0 ? Armed::Ready : Armed::Pending;
  }

  Fetched fetch(WorkerContext& c) const override {
    const bool kernel = RoadOf(c.record) == Road::Kernel;
    if (!kernel && get<int32_t>(c.completion.wire, rec::kCntWaitEvents) == 0) return Fetched::Again;
    CntBlock b;
    b.put<int16_t>(cnt::kChannel, channelOf(c.slot));
    DWORD returned = 0;
    const bool read = kernel ? DeviceIoControl(c.record.Handle, kCntEventRead, b.data(), b.size(), b.data(), b.size(),
                                               &returned, nullptr) != FALSE
                             : Bus().HalvikVmIoControl(static_cast<DWORD>(c.record.BusKind), c.record.Handle,
                                                       kCmdCntEventRead, b.data(), b.size(), b.data(), b.size(),
                                                       &returned, nullptr) == 0;
    if (!read) {
      if (DebugLogOn()) WriteDebugLog("CntEventThread End :Error 4\r\n");
      return Fetched::Failed;
    }
    dispatch(c, b);
    return b.get<int16_t>(cnt::kStopped) != 0 ? Fetched::Park : Fetched::Again;
  }

 private:
  static void dispatch(WorkerContext& c, const CntBlock& b) {
    const int32_t mask = b.get<int32_t>(cnt::kEventMask);
    const int32_t param = b.get<int32_t>(cnt::kCount);
    const int count = std::clamp<int>(b.get<int16_t>(cnt::kEventWordCount), 0, kCntEventWordsMax);
    const int16_t channel = channelOf(c.slot);
    const WPARAM wParam = (static_cast<WPARAM>(channel) << 16) | static_cast<uint16_t>(c.record.Id);
    for (int i = 0; i < count; ++i) {
      const int32_t word = b.get<int32_t>(cnt::kEventWords + 4 * i);
      for (const Message& m : kMessages) {
        if ((word & m.bits) != m.bits || (mask & m.bits) != m.bits) continue;
        io::Deliver(c.record, c.slot, "CntEventThread", m.message, m.name, channel, param, wParam);
      }
    }
  }
};
constexpr CounterFamily kFamily;

constexpr Row counterRow(Row row) {
  row.attached = refused();
  row.busFailure10002 = true;
  return row;
}

// Arguments: the channel and the device-table index.
constexpr Row kStartCnt = counterRow({
    .name = "XanStartCnt",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::I16}},
    .checks = {outside(0, 0, 1, 15140)},
    .kernel = kernel(kCntStart, kCntFamily, 0, {put16(cnt::kChannel, 0)}),
    .virtualDevice = command(kCmdCntStart, rec::kCntStartSize,
                             {put16(rec::kCntChannelAt8, 0), put16(rec::kCntStartTableIndex, 1)}),
});
// Its request is the status read; the stop follows as its own row.
constexpr Row kStopCnt = counterRow({
    .name = "XanStopCnt",
    .args = {{Kind::I16, "CntChannel=%d"}, {Kind::OutI32}},
    .checks = {outside(0, 0, 1, 15160)},
    .kernel = kernel(kCntStatus, kCntFamily, 1, {put16(cnt::kChannel, 0)}, {get32(cnt::kCounterStatus, 1)}),
    .virtualDevice = command(kCmdCntStatus, 12, {put16(rec::kCntChannelAt8, 0), const16(rec::kCntGetFlagAt10, 1)},
                             {get32(rec::kValue, 1)}),
});
// Arguments: the channel and the message flag. A failed sibling call is
// returned as it stands.
constexpr Row kStopRequest = {
    .args = {{Kind::I16}, {Kind::I32}},
    .kernel = kernel(kCntStop, kCntFamily, 0, {put16(cnt::kChannel, 0), put32(cnt::kEventMask, 1)}),
    .virtualDevice = command(kCmdCntStop, 12,
                             {put32(rec::kValue, 1), put16(rec::kCntChannelAt8, 0), const16(rec::kCntGetFlagAt10, 0)}),
    .attached = refused(),
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanStartCnt(short Id, short CntChannel) {
  ExportFrame frame(kStartCnt.name);
  const short index = static_cast<short>(io::RecordIndexOf(Id));
  if (LONG status = rows::Front(frame, kStartCnt, Id, {CntChannel, index})) return status;
  if (LONG status = rows::Send(frame, kStartCnt, {CntChannel, index})) return status;
  return frame.end(io::StartWorker(frame.index(), kSlotCnt0 + CntChannel, kFamily));
}

DLL_EXPORT LONG WINAPI XanStopCnt(short Id, short CntChannel) {
  ExportFrame frame(kStopCnt.name);
  LONG bits = 0;
  if (LONG status = rows::Front(frame, kStopCnt, Id, {CntChannel, &bits})) return status;
  if (LONG status = rows::Send(frame, kStopCnt, {CntChannel, &bits})) return status;
  const int slot = kSlotCnt0 + CntChannel;
  io::WorkerSlot worker(frame.index(), slot);
  if ((bits & 0x1) == 0) {
    worker.waitParked(io::kParkWaitMs);
    return frame.end(0);
  }
  // The message flag is read with the worker met in its wait.
  const LONG status = worker.stopInWait([&] {
    const LONG notify = io::load(frame.record().NotifyKind[slot]) != 1 ? 1 : 0;
    return rows::Send(frame, kStopRequest, {CntChannel, notify});
  });
  if (status != 0) return status;
  return frame.end(0);
}
