#include "ao_event_thread.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstdio>

#include "ao_state.h"
#include "trace_log.h"
#include "transport.h"

namespace halvik::aoio {

namespace drv = halvikdrv;

namespace {

struct Event {
  UINT message;
  int32_t bit;
  const char* name;
};
// In the order they are raised for one event word.
constexpr Event kEvents[] = {
    {0x1020, drv::ao::kEventStart, "AOE_START"},        {0x1021, drv::ao::kEventRepeatEnd, "AOE_RPT_END"},
    {0x1023, drv::ao::kEventDataNumber, "AOE_DATA_NUM"}, {0x1027, drv::ao::kEventTransfer, "AOE_DATA_TSF"},
    {0x1022, drv::ao::kEventEnd, "AOE_END"},            {0x1025, drv::ao::kEventClockError, "AOE_SCERR"},
    {0x1026, drv::ao::kEventOutputError, "AOE_AOERR"},
};

struct Fetched {
  int32_t bits = 0, mask = 0, repeat = 0, times = 0, sampling = 0;
  int count = 0;
  int32_t words[drv::ao::kEventWordCapacity] = {};
  bool list = false, park = false;
  int16_t memoryType = 0;
};

template <std::size_t N>
void readReply(const drv::WireRecord<N>& w, const drv::rec::AoFetchPlaces& p, bool hasList, Fetched* f) {
  f->bits = w.template get<int32_t>(p.bits);
  f->mask = w.template get<int32_t>(p.mask);
  f->repeat = w.template get<int32_t>(p.repeat);
  f->times = w.template get<int32_t>(p.times);
  f->sampling = w.template get<int32_t>(p.sampling);
  f->list = w.template get<int16_t>(p.list) != 0;
  f->park = w.template get<int16_t>(p.park) != 0;
  f->memoryType = w.template get<int16_t>(p.memoryType);
  if (!hasList) return;
  // The driver's count is not trusted beyond the words the reply holds.
  f->count = static_cast<int>(std::min<uint32_t>(w.template get<uint32_t>(p.count), drv::ao::kEventWordCapacity));
  for (int i = 0; i < f->count; ++i) f->words[i] = w.template get<int32_t>(p.words + 4 * i);
}

void notify(const DeviceRecord& r, const Event& e, int32_t lParam) {
  io::Deliver(r, kSlotAo, "AoEventThread", e.message, e.name, 0, lParam,
              static_cast<WPARAM>(static_cast<uint16_t>(r.Id)));
}

void dispatch(const DeviceRecord& r, const Fetched& f) {
  auto one = [&](int32_t word) {
    for (const Event& e : kEvents) {
      if ((word & e.bit) == 0 || (f.mask & e.bit) == 0) continue;
      int32_t lParam = f.sampling;
      if (e.bit == drv::ao::kEventStart) lParam = 0;
      if (e.bit == drv::ao::kEventRepeatEnd) lParam = f.repeat;
      if (e.bit == drv::ao::kEventDataNumber && f.memoryType == 0) lParam = f.times;
      notify(r, e, lParam);
    }
  };
  if (!f.list) return one(f.bits);
  for (int i = 0; i < f.count; ++i) one(f.words[i]);
}

constexpr io::WorkerTraits kTraits{"AoEventThread", "XANAOEVENT%X", io::NameKey::TableIndex, "XANAOMUTEXA%X",
                                   "XANAOMUTEXB%X", "XANAOEVENTWAIT%X", 1, 2, 3, 7};

class AoFamily final : public io::WorkerFamily {
 public:
  constexpr AoFamily() : WorkerFamily(kTraits) {}

  io::Armed arm(io::WorkerContext& c) const override {
    const DeviceRecord& r = c.record;
    unsigned char* wire = c.completion.wire;
    std::fill(wire, wire + drv::kAoBlockSize, 0);
    DWORD returned = 0;
    if (RoadOf(r) == Road::Kernel) {
      if (DeviceIoControl(r.Handle, drv::kAoEventWait, wire, drv::kAoBlockSize, wire, drv::kAoBlockSize, &returned,
                          &c.completion.overlapped))
        return io::Armed::Ready;
      // A wait the driver neither took nor answered would never wake the worker.
      if (GetLastError() == ERROR_IO_PENDING) return io::Armed::Pending;
      return fail("AoEventThread End :Error 3\r\n");
    }
    auto call = RoadOf(r) == Road::Virtual ? Bus().HalvikVmIoControl : Bus().KelbusIoControl;
    const DWORD result = call(static_cast<DWORD>(static_cast<uint16_t>(r.BusKind)), r.Handle, drv::kCmdAoEventWait,
                              wire, drv::rec::kAoWaitSize, wire, drv::rec::kAoWaitSize, &returned,
                              &c.completion.overlapped);
    if (result == ERROR_IO_PENDING) return io::Armed::Pending;
    if (result == 0) return io::Armed::Ready;
    return fail("AoEventThread End :Error 3\r\n");
  }

  io::Fetched fetch(io::WorkerContext& c) const override {
    const DeviceRecord& r = c.record;
    Fetched f;
    if (RoadOf(r) == Road::Kernel) {
      drv::AoBlock b;
      b.put<int32_t>(drv::ao::kEventWordCount, 0);
      if (SendKernel(r, drv::kAoEventFetch, b.data(), b.size(), drv::ao::kStatus) == kStatusDriverCall)
        return failFetch("AoEventThread End :Error 5\r\n");
      readReply(b, drv::ao::kFetch, true, &f);
    } else {
      const bool vm = RoadOf(r) == Road::Virtual;
      const DWORD size = vm ? drv::rec::kAoFetchSizeVm : drv::rec::kAoFetchSizeBus;
      drv::WireRecord<drv::rec::kAoFetchSizeVm> w;
      LONG status = 0;
      if (BusCall(r, drv::kCmdAoEventFetch, w.data(), size, size, &status) != 0)
        return failFetch("AoEventThread End :Error 4\r\n");
      readReply(w, vm ? drv::rec::kAoFetchVm : drv::rec::kAoFetchBus, vm, &f);
    }
    dispatch(r, f);
    return f.park ? io::Fetched::Park : io::Fetched::Again;
  }

 private:
  static io::Armed fail(const char* line) {
    if (DebugLogOn()) WriteDebugLog("%s", line);
    return io::Armed::Failed;
  }
  static io::Fetched failFetch(const char* line) {
    if (DebugLogOn()) WriteDebugLog("%s", line);
    return io::Fetched::Failed;
  }
};

const AoFamily kFamily;

}  // namespace

const io::WorkerFamily& AoWorkerFamily() { return kFamily; }

}  // namespace halvik::aoio
