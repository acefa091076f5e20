// What the analog-output requests do: the run and its data, the immediate
// output, the ranges, the bus-master buffer and the event wait and fetch,
// on all three roads.
#include <outside/halvikdrv.h>

#include <algorithm>
#include <vector>

#include "model_figures.h"
#include "record_address.h"
#include "requests.h"
#include "run_reset.h"
#include "setting_place.h"

namespace halviksim {

namespace {

using namespace halvikdrv;

// Where a road keeps the settings a start takes.
struct AoPlaces {
  Place channels, clock, repeatTimes, stopTrigger, eventEvery, memoryType, range, samplingTimes;
};
constexpr DWORD kAo = kAoBlockSize;
constexpr AoPlaces kKernel{{kAoChannels, kAo},     {kAoSamplingClock, kAo},      {kAoRepeatTimes, kAo},
                           {kAoStopTrigger, kAo},  {kAoEventSamplingTimes, kAo}, {kAoMemoryType, kAo},
                           {kAoRange, kAo},        {kAoSamplingData, kAo}};
constexpr AoPlaces kVm{{kCmdAoChannels, 8},        {kCmdAoSamplingClock, 12}, {kCmdAoRepeatTimes, 12},
                       {kCmdAoStopTrigger, 8},     {kCmdAoEventSamplingTimes, 12}, {kCmdAoMemoryType, 8},
                       {kCmdAoRange, 12},          {kCmdAoSamplingData, rec::kAoDataSizeVm}};
constexpr AoPlaces kBus{{kCmdAoChannels, 8},       {kCmdAoSamplingClock, 12}, {kCmdAoRepeatTimes, 12},
                        {kCmdAoStopTrigger, 8},    {kCmdAoEventSamplingTimes, 12}, {kCmdAoMemoryType, 8},
                        {kCmdAoRange, 12},         {kCmdAoSamplingData, rec::kAoDataGetSizeBus}};

const AoPlaces& placesOf(int busKind) { return busKind == 10 ? kVm : busKind == 3 ? kBus : kKernel; }

int channelsOf(const Device& device, int busKind) {
  return static_cast<int>(std::clamp<int64_t>(settingAt(device, placesOf(busKind).channels), 1, 256));
}

bool isGet(const Record& record, const Row& row) {
  return row.layout.getFlag.width != 0 && record.read(row.layout.getFlag) == 1;
}

// Microseconds per sample, never below the model's fastest clock. The bus
// library keeps the truncated value; the others whole part and thousandths.
double clockOf(const Device& device, int busKind) {
  const Place p = placesOf(busKind).clock;
  const Device::Values v = device.setting(p.code, p.size, 0);
  double us = busKind == 3 ? static_cast<double>(v[0]) : static_cast<double>(v[0]) + static_cast<double>(v[1]) / 1000.0;
  if (!device.isSet(p.code, p.size, 0)) us = 1000.0;
  return std::max(us, static_cast<double>(std::max(device.model().aoMinClock, 1)));
}

}  // namespace

int32_t serveAoStart(Device& device, Record& record, const Row&) {
  const AoPlaces& p = placesOf(record.busKind);
  AoConfig config;
  config.channels = channelsOf(device, record.busKind);
  config.clockUs = clockOf(device, record.busKind);
  config.repeatTimes = settingAt(device, p.repeatTimes);
  config.byCommand = settingAt(device, p.stopTrigger) == ao::kStopByCommand;
  config.eventEvery = settingAt(device, p.eventEvery);
  if (record.busKind == 0) {
    config.transferEvery = settingAt(device, {kAoEventTransferTimes, kAo});
    config.busMaster = settingAt(device, {kAoTransferMode, kAo}) == 1;
  }
  device.aoRun().start(config);
  return 0;
}

int32_t serveAoStop(Device& device, Record&, const Row&) {
  device.setStatusBits(Function::Ao, 0, 0);
  device.aoRun().stop();
  return 0;
}

int32_t serveAoStatus(Device& device, Record& record, const Row& row) {
  const int32_t running = device.aoRun().running() ? ao::kStatusRunning : 0;
  record.write(row.layout.value, device.statusBits(Function::Ao, 0) | running);
  return 0;
}

// A range setting; a read also gives the output resolution.
int32_t serveAoRange(Device& device, Record& record, const Row& row) {
  const bool get = isGet(record, row);
  serveSetting(device, record, row);
  if (get) record.write(record.busKind == 0 ? f16(ao::kResolution) : f16(rec::kAoRangeResolution), device.model().aoBits);
  return 0;
}

int32_t serveAoRanges(Device& device, Record& record, const Row& row) {
  const bool kernel = record.busKind == 0;
  const Place range = placesOf(record.busKind).range;
  const int64_t room = kernel ? ao::kEventWordCapacity : rec::kAoRangesCapacity;
  const int64_t channels = std::clamp<int64_t>(record.read(row.layout.key), 0, room);
  const size_t first = kernel ? ao::kChannelRanges : rec::kAoRangesCodes;
  for (int64_t c = 0; c < channels; ++c) record.write(f16(first + 2 * c), settingAt(device, range, c));
  record.write(kernel ? f16(ao::kResolution) : f16(rec::kAoRangesResolution), device.model().aoBits);
  return 0;
}

int32_t serveAoEventMask(Device& device, Record& record, const Row& row) {
  if (!isGet(record, row)) device.aoRun().setMask(static_cast<int32_t>(record.read(row.layout.value)));
  return serveSetting(device, record, row);
}

// Samples per channel in, the count array read through the address; a get
// gives the samples of the last data.
int32_t serveAoData(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  const Place times = placesOf(record.busKind).samplingTimes;
  if (isGet(record, row)) {
    record.write(l.value, settingAt(device, times));
    return 0;
  }
  const int64_t samples = record.read(l.value);
  const int32_t* values = addressIn<const int32_t>(record, l.value2);
  if (samples < 1 || values == nullptr) return kRefuseCall;
  if (!device.aoRun().putData(values, samples * channelsOf(device, record.busKind), true)) return kStatusAoMemoryFull;
  device.store(times.code, times.size, 0, {samples, 0, 0});
  return 0;
}

// One chunk of low halves from the bus library; chunk 0 begins new data.
int32_t serveAoChunk(Device& device, Record& record, const Row& row) {
  const int64_t count = record.read(row.layout.value);
  const int64_t index = record.read(f32(rec::kAoChunkIndex));
  if (count < 0 || count > rec::kAoChunkCapacity) return kRefuseCall;
  std::vector<int32_t> values(static_cast<size_t>(count));
  for (int64_t i = 0; i < count; ++i) values[i] = static_cast<uint16_t>(record.read(f16(rec::kAoChunkValues + 2 * i)));
  if (!device.aoRun().putData(values.data(), count, index == 0)) return kStatusAoMemoryFull;
  const Place times = placesOf(3).samplingTimes;
  const int64_t before = index == 0 ? 0 : settingAt(device, times, 1);
  const int64_t all = before + count;
  device.store(times.code, times.size, 1, {all, 0, 0});  // values so far, under key 1
  device.store(times.code, times.size, 0, {all / channelsOf(device, 3), 0, 0});
  return 0;
}

int32_t serveAoSingle(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  const int64_t channel = record.read(l.key);
  if (channel < 0 || channel >= device.model().aoChannels) return kStatusAoChannelOutOfRange;
  int32_t value = 0;
  if (record.busKind == 0) {
    const int32_t* in = addressIn<const int32_t>(record, l.value);
    if (in == nullptr) return kRefuseCall;
    value = *in;
  } else {
    value = static_cast<uint16_t>(record.read(l.value));
  }
  device.aoRun().setLevel(static_cast<int>(channel), value);
  return 0;
}

int32_t serveAoMulti(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  const int64_t channels = record.read(l.key);
  if (channels < 1 || channels > device.model().aoChannels) return kStatusAoMultiOutOfRange;
  const int32_t* in = record.busKind == 0 ? addressIn<const int32_t>(record, l.value) : nullptr;
  if (record.busKind == 0 && in == nullptr) return kRefuseCall;
  for (int64_t c = 0; c < channels; ++c) {
    const int32_t value = in != nullptr ? in[c] : static_cast<uint16_t>(record.read(f16(l.value.at + 2 * c)));
    device.aoRun().setLevel(static_cast<int>(c), value);
  }
  return 0;
}

int32_t serveAoCount(Device& device, Record& record, const Row& row) {
  const bool repeat = row.code == kAoRepeatCount || row.code == kCmdAoRepeatCount;
  record.write(row.layout.value, repeat ? device.aoRun().repeatCount() : device.aoRun().samplingCount());
  return 0;
}

int32_t serveAoReset(Device& device, Record&, const Row& row) {
  resetRun(device, Function::Ao, device.aoRun(), row.code == kAoResetStatus || row.code == kCmdAoResetStatus);
  return 0;
}

int32_t serveAoFixed(Device& device, Record& record, const Row& row) {
  const Model& m = device.model();
  return serveModelFigure(record, row, {kAoMaxChannels, kCmdAoMaxChannels, kAoResolution, kCmdAoResolution},
                          m.aoChannels, m.aoBits);
}

LONG serveAoHostBuffer(Device& device, PlatRequest* request) {
  if (request->majorFunction != PLAT_REQUEST_DEVICE_CONTROL || request->method != METHOD_IN_DIRECT ||
      request->outputBuffer == nullptr || request->outputSize % 4 != 0) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  if (const auto fault = device.takeFault(request->code)) {
    // A driver that does not keep the buffer answers at once.
    return fault->kind == Fault::Kind::CallFails ? PLAT_STATUS_INVALID_DEVICE_REQUEST : PLAT_STATUS_SUCCESS;
  }
  return device.aoRun().keepBuffer(request);
}

int32_t serveAoBufferSetUp(Device& device, Record& record, const Row& row) {
  const bool named = device.aoRun().setUpBuffer(static_cast<uint64_t>(record.read(row.layout.value2)),
                                                record.read(row.layout.value));
  return named ? 0 : kStatusAiNoBuffer;
}

int32_t serveAoBufferRelease(Device& device, Record&, const Row&) {
  device.aoRun().releaseBuffer();
  return 0;
}

int32_t serveAoTransferCount(Device& device, Record& record, const Row& row) {
  AoRun& run = device.aoRun();
  record.write(row.layout.value, row.code == kAoTransferLap ? run.transferLap() : run.transferCount());
  return 0;
}

int32_t serveAoWait(Device& device, Record& record, const Row&) {
  AoRun& run = device.aoRun();
  if (record.busKind == 0) return run.queueWait(static_cast<PlatRequest*>(record.request)) ? kKeptPending : 0;
  if (record.overlapped == nullptr) return kRefuseCall;  // a wait that completes later needs one
  return run.queueWait(record.handle, record.overlapped, record.bytes) ? kKeptPending : 0;
}

// The kernel driver and bus kind 10 list the words; bus kind 3 gives their OR.
int32_t serveAoFetch(Device& device, Record& record, const Row&) {
  const AoFetch answer = device.aoRun().fetch();
  const AoPlaces& places = placesOf(record.busKind);
  const rec::AoFetchPlaces& p = record.busKind == 0 ? ao::kFetch : record.busKind == 10 ? rec::kAoFetchVm
                                                                                         : rec::kAoFetchBus;
  const bool listed = record.busKind != 3;
  if (listed) {
    const size_t n = std::min<size_t>(answer.words.size(), ao::kEventWordCapacity);
    for (size_t i = 0; i < n; ++i) record.write(f32(p.words + 4 * i), answer.words[i]);
    record.write(f32(p.count), static_cast<int64_t>(n));
  }
  record.write(f16(p.list), listed ? 1 : 0);
  record.write(f32(p.bits), answer.bits);
  record.write(f32(p.mask), answer.mask);
  record.write(f32(p.repeat), answer.repeatCount);
  record.write(f32(p.times), settingAt(device, places.samplingTimes));
  record.write(f32(p.sampling), answer.samplingCount);
  record.write(f16(p.park), answer.park ? 1 : 0);
  record.write(f16(p.memoryType), settingAt(device, places.memoryType));
  return 0;
}

}  // namespace halviksim
