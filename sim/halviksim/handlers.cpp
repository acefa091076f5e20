// What each kind of request does to the device model.
#include <outside/halvikdrv.h>

#include <algorithm>

#include "requests.h"

namespace halviksim {

namespace {

int32_t missingUnit(Function function) {
  return function == Function::Timer ? halvikdrv::kStatusNoSuchTimer : halvikdrv::kStatusNoSuchCounter;
}

bool unitPresent(const Device& device, const Record& record, const Layout& layout) {
  return !layout.unitCheck || device.hasUnit(layout.function, record.read(layout.key));
}

int32_t pidOf(const Record& record, const Row& row) { return static_cast<int32_t>(record.read(row.layout.value)); }

}  // namespace

// A get flag is 1. The virtual device's output clock record keeps its get
// flag where a set carries the thousandths, so there a get also has a zero
// whole part (a set of a whole part 0 and one thousandth reads as a get).
bool isGet(const Record& record, const Row& row) {
  const Layout& l = row.layout;
  if (l.getFlag.width == 0 || record.read(l.getFlag) != 1) return false;
  const bool clockOverlaps = row.code == halvikdrv::kCmdAoSamplingClock && l.value2.width != 0 && l.getFlag.at == l.value2.at;
  return !clockOverlaps || record.read(l.value) == 0;
}

// Up to three 16-bit keys in one.
int64_t settingKey(const Record& record, const Layout& l) {
  auto part = [&](Field f) { return f.width != 0 ? record.read(f) & 0xFFFF : 0; };
  return (l.key.width != 0 ? record.read(l.key) : 0) + (part(l.key2) << 16) + (part(l.key3) << 32);
}

int32_t serveSetting(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  if (!unitPresent(device, record, l)) return missingUnit(l.function);
  const int64_t key = settingKey(record, l);
  if (isGet(record, row)) {
    const Device::Values values = device.setting(row.code, row.size, key);
    record.write(l.value, values[0]);
    record.write(l.value2, values[1]);
    record.write(l.value3, values[2]);
    if (l.rangeOut.width != 0) record.write(l.rangeOut, aiRangeOf(device, record.busKind, record.read(l.key)));
    record.write(l.resolutionOut, device.model().aiBits);
  } else {
    device.store(row.code, row.size, key, {record.read(l.value), record.read(l.value2), record.read(l.value3)});
  }
  return 0;
}

// One range for every channel of the family: what the per-channel reads
// then give.
int32_t serveRangeAll(Device& device, Record& record, const Row& row) {
  using namespace halvikdrv;
  const bool kernel = record.busKind == 0;
  const bool input = row.code == kAiRangeAll || row.code == kCmdAiRangeAll;
  const DWORD target = input ? (kernel ? kAiRange : kCmdAiRange) : (kernel ? kAoRange : kCmdAoRange);
  const DWORD size = !kernel ? 12 : static_cast<DWORD>(input ? kAiBlockSize : kAoBlockSize);
  const int16_t channels = input ? device.model().aiChannels : device.model().aoChannels;
  const int64_t range = record.read(row.layout.value);
  for (int16_t channel = 0; channel < channels; ++channel) device.store(target, size, channel, {range, 0, 0});
  return 0;
}

// Registering a process keeps nothing: an open of a process that is
// registered already changes nothing, and its close gives up its hold.
int32_t serveClose(Device& device, Record& record, const Row& row) {
  device.release(pidOf(record, row));
  return 0;
}

int32_t serveClaim(Device& device, Record& record, const Row& row) { return device.claim(pidOf(record, row)); }

int32_t serveRelease(Device& device, Record& record, const Row& row) {
  device.release(pidOf(record, row));
  return 0;
}

int32_t serveAccept(Device&, Record&, const Row&) { return 0; }

int32_t serveRevision(Device& device, Record& record, const Row& row) {
  const std::string text = device.revision();
  const Field f = row.layout.value;
  std::memset(record.bytes + f.at, 0, f.width);
  std::memcpy(record.bytes + f.at, text.data(), std::min<size_t>(text.size(), f.width - 1u));
  return 0;
}

int32_t serveStatus(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  if (!unitPresent(device, record, l)) return missingUnit(l.function);
  record.write(l.value, device.statusBits(l.function, l.key.width != 0 ? record.read(l.key) : 0));
  return 0;
}

int32_t serveStop(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  if (!unitPresent(device, record, l)) return missingUnit(l.function);
  device.setStatusBits(l.function, l.key.width != 0 ? record.read(l.key) : 0, 0);
  return 0;
}

int32_t serveMinClock(Device& device, Record& record, const Row& row) {
  const Model& m = device.model();
  if (row.layout.function == Function::Ao) {
    record.write(row.layout.value, m.aoMinClock);
  } else {
    record.write(row.layout.value, m.aiMinClockWhole);
    record.write(row.layout.value2, m.aiMinClockThousandths);
  }
  return 0;
}

int32_t serveMaxChannels(Device& device, Record& record, const Row& row) {
  record.write(row.layout.value, device.counters());
  return 0;
}

}  // namespace halviksim
