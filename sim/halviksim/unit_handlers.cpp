// What the counter and timer requests do to the device's counter channels
// and timers (counter_bank.h, timer_bank.h). The unit is the row's key.
#include <outside/halvikdrv.h>

#include <algorithm>

#include "requests.h"

namespace halviksim {

bool isGet(const Record& record, const Row& row);

namespace {

using namespace halvikdrv;

int unitOf(const Record& record, const Row& row) { return static_cast<int>(record.read(row.layout.key)); }

// The unit check of the row, with its status.
bool present(const Device& device, const Record& record, const Row& row, int32_t* status) {
  const Layout& l = row.layout;
  if (!l.unitCheck || device.hasUnit(l.function, record.read(l.key))) return true;
  *status = l.function == Function::Timer ? kStatusNoSuchTimer : kStatusNoSuchCounter;
  return false;
}

template <class Work>
int32_t onUnit(Device& device, Record& record, const Row& row, Work work) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  work(unitOf(record, row));
  return 0;
}

// A wait on the unit's events, on either road.
int32_t wait(UnitEvents& events, Record& record, int unit, size_t eventsAt) {
  if (record.busKind == 0) return events.queueWait(unit, static_cast<PlatRequest*>(record.request)) ? kKeptPending : 0;
  if (record.overlapped == nullptr) return kRefuseCall;  // a wait that completes later needs one
  if (events.queueWait(unit, record.handle, record.overlapped, record.bytes, eventsAt)) return kKeptPending;
  record.write(f32(eventsAt), 1);
  return 0;
}

// An event read into a block of the family's layout.
void read(UnitEvents& events, Record& record, int unit, size_t wordsAt, size_t countAt, size_t maskAt,
          size_t paramAt, size_t stoppedAt) {
  const UnitEvents::Read r = events.take(unit);
  const size_t room = countAt > wordsAt ? (countAt - wordsAt) / 4 : 0;
  const size_t n = std::min(r.words.size(), room);
  for (size_t i = 0; i < n; ++i) record.write(f32(wordsAt + 4 * i), r.words[i]);
  record.write(f16(countAt), static_cast<int64_t>(n));
  record.write(f32(maskAt), r.mask);
  if (paramAt != 0) record.write(f32(paramAt), r.param);
  record.write(f16(stoppedAt), r.stopped ? 1 : 0);
}

int32_t eventMask(UnitEvents& events, Record& record, const Row& row) {
  const int unit = unitOf(record, row);
  if (isGet(record, row)) {
    record.write(row.layout.value, events.mask(unit));
  } else {
    events.setMask(unit, static_cast<int32_t>(record.read(row.layout.value)));
  }
  return 0;
}

// Status bits a test set (SetStatusBits) and what the unit does itself.
int32_t clearedBits(Device& device, Function function, int unit, int32_t bits) {
  int32_t left = device.statusBits(function, unit) & ~bits;
  if ((left & ~tm::kRunning) == 0) left = 0;
  device.setStatusBits(function, unit, left);
  return left;
}

}  // namespace

int32_t serveCntStart(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) { device.counterBank().start(ch); });
}

int32_t serveCntStop(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) {
    device.setStatusBits(Function::Counter, ch, 0);
    device.counterBank().stop(ch);
  });
}

int32_t serveCntStatus(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) {
    const int32_t counting = device.counterBank().counting(ch) ? 0x1 : 0;
    record.write(row.layout.value, device.statusBits(Function::Counter, ch) | counting);
  });
}

int32_t serveCntResetStatus(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) {
    device.setStatusBits(Function::Counter, ch,
                         device.statusBits(Function::Counter, ch) & ~static_cast<int32_t>(record.read(row.layout.value)));
  });
}

int32_t serveCntPreset(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) {
    device.counterBank().preset(ch, static_cast<int32_t>(record.read(row.layout.value)));
  });
}

int32_t serveCntCount(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int ch) { record.write(row.layout.value, device.counterBank().count(ch)); });
}

// The register is kept as a setting; its values are read where the
// caller's array is.
int32_t serveCntComparison(Device& device, Record& record, const Row& row) {
  if (const int32_t status = serveSetting(device, record, row)) return status;
  if (isGet(record, row)) return 0;
  const auto* values = reinterpret_cast<const int32_t*>(static_cast<uintptr_t>(record.read(row.layout.value3)));
  device.counterBank().setComparison(unitOf(record, row), values, record.read(row.layout.value));
  return 0;
}

int32_t serveCntEventMask(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  return eventMask(device.counterBank().events(), record, row);
}

int32_t serveCntWait(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  return wait(device.counterBank().events(), record, unitOf(record, row), rec::kCntWaitEvents);
}

int32_t serveCntRead(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  read(device.counterBank().events(), record, unitOf(record, row), cnt::kEventWords, cnt::kEventWordCount,
       cnt::kEventMask, cnt::kCount, cnt::kStopped);
  return 0;
}

int32_t serveTmStart(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) {
    device.timerBank().startInterval(t, static_cast<int32_t>(record.read(row.layout.value)));
  });
}

int32_t serveTmStop(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) {
    clearedBits(device, Function::Timer, t, tm::kIntervalRunning);
    device.timerBank().stopInterval(t);
  });
}

int32_t serveTmStartCount(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) { device.timerBank().startCount(t); });
}

int32_t serveTmStopCount(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) {
    clearedBits(device, Function::Timer, t, tm::kTimeCountRunning);
    device.timerBank().stopCount(t);
  });
}

int32_t serveTmResetCount(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) { device.timerBank().resetCount(t); });
}

int32_t serveTmLap(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) { record.write(row.layout.value, device.timerBank().lapMs(t)); });
}

// The driver's wait lets its time pass on the device's clock.
int32_t serveTmWait(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row,
                [&](int) { device.timerBank().advance(record.read(row.layout.value) * int64_t{1000}); });
}

int32_t serveTmStatus(Device& device, Record& record, const Row& row) {
  return onUnit(device, record, row, [&](int t) {
    record.write(row.layout.value, device.statusBits(Function::Timer, t) | device.timerBank().statusBits(t));
  });
}

int32_t serveTmEventMask(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  return eventMask(device.timerBank().events(), record, row);
}

int32_t serveTmEventWait(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  return wait(device.timerBank().events(), record, unitOf(record, row), 0);
}

int32_t serveTmEventRead(Device& device, Record& record, const Row& row) {
  int32_t status = 0;
  if (!present(device, record, row, &status)) return status;
  read(device.timerBank().events(), record, unitOf(record, row), tm::kEventWords, tm::kEventWordCount, tm::kEventMask,
       0, tm::kStopped);
  return 0;
}

int32_t serveNotSuitable(Device&, Record&, const Row&) { return kStatusNotSupported; }

}  // namespace halviksim
