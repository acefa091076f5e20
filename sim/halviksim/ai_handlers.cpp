// What the analog-input requests do: the run, its counts and data, the
// immediate conversions and the event wait and fetch, on all three roads.
#include <outside/halvikdrv.h>

#include <algorithm>
#include <bit>

#include "model_figures.h"
#include "record_address.h"
#include "requests.h"
#include "run_reset.h"
#include "setting_place.h"

namespace halviksim {

namespace {

using namespace halvikdrv;

// The trigger kind of a start or a stop and the settings of each kind.
struct TriggerPlaces {
  Place kind, level, inRange, outRange;
};
struct RunPlaces {
  Place channels, sequence, clock, stopTrigger, stopTimes, repeatTimes, eventEvery, range;
  bool floatClock;  // the bus library's clock is single precision
  TriggerPlaces start, stop;
  Place stopDelay;
  bool windows;  // the bus library's devices have no window triggers
};

constexpr DWORD kAi = kAiBlockSize;
// Range codes the block holds from ai::kChannelRanges on.
constexpr int64_t kKernelRangeRoom = (ai::kChannelEnabled - ai::kChannelRanges) / 2;
constexpr TriggerPlaces kKernelStart{{kAiStartTrigger, kAi}, {kAiStartLevel, kAi}, {kAiStartInRange, kAi},
                                     {kAiStartOutRange, kAi}};
constexpr TriggerPlaces kKernelStop{{kAiStopTrigger, kAi}, {kAiStopLevel, kAi}, {kAiStopInRange, kAi},
                                    {kAiStopOutRange, kAi}};
constexpr TriggerPlaces kBusStart{{kCmdAiStartTrigger, 8}, {kCmdAiStartLevel, rec::kAiFormGSize},
                                  {kCmdAiStartInRange, rec::kAiFormHSize}, {kCmdAiStartOutRange, rec::kAiFormHSize}};
constexpr TriggerPlaces kBusStop{{kCmdAiStopTrigger, 8}, {kCmdAiStopLevel, rec::kAiFormGSize},
                                 {kCmdAiStopInRange, rec::kAiFormHSize}, {kCmdAiStopOutRange, rec::kAiFormHSize}};
constexpr RunPlaces kKernelPlaces{{kAiChannels, kAi}, {kAiChannelSequence, kAi}, {kAiSamplingClock, kAi},
                                  {kAiStopTrigger, kAi}, {kAiStopTimes, kAi}, {kAiRepeatTimes, kAi},
                                  {kAiEventSamplingTimes, kAi}, {kAiRange, kAi}, false,
                                  kKernelStart, kKernelStop, {kAiStopDelayTimes, kAi}, true};
constexpr RunPlaces kVmPlaces{{kCmdAiChannels, 8}, {kCmdAiChannelSequence, 12}, {kCmdAiSamplingClock, 16},
                              {kCmdAiStopTrigger, 8}, {kCmdAiStopTimes, 12}, {kCmdAiRepeatTimes, 12},
                              {kCmdAiEventSamplingTimes, 12}, {kCmdAiRange, 12}, false,
                              kBusStart, kBusStop, {kCmdAiStopDelayTimes, 12}, true};
constexpr RunPlaces kBusPlaces{{kCmdAiChannels, 8}, {kCmdAiChannelSequence, 12}, {kCmdAiSamplingClock, 12},
                               {kCmdAiStopTrigger, 8}, {kCmdAiStopTimes, 12}, {kCmdAiRepeatTimes, 12},
                               {kCmdAiEventSamplingTimes, 12}, {kCmdAiRange, 12}, true,
                               kBusStart, kBusStop, {kCmdAiStopDelayTimes, 12}, false};

const RunPlaces& placesOf(int busKind) {
  return busKind == 10 ? kVmPlaces : busKind == 3 ? kBusPlaces : kKernelPlaces;
}

AiConfig configOf(const Device& device, int busKind) {
  const RunPlaces& p = placesOf(busKind);
  AiConfig config;
  config.channels = static_cast<int>(std::clamp<int64_t>(settingAt(device, p.channels), 1, 256));
  for (int entry = 0; entry < config.channels; ++entry) {
    // A sequence entry never set reads its own channel.
    const bool set = device.isSet(p.sequence.code, p.sequence.size, entry);
    config.sequence.push_back(
        static_cast<int16_t>(set ? device.setting(p.sequence.code, p.sequence.size, entry)[0] : entry));
  }
  const int64_t clockBits = settingAt(device, p.clock);
  config.clockUs = p.floatClock ? std::bit_cast<float>(static_cast<uint32_t>(clockBits))
                                : std::bit_cast<double>(clockBits);
  config.byCommand = settingAt(device, p.stopTrigger) == ai::kStopByCommand;
  config.stopTimes = settingAt(device, p.stopTimes);
  config.repeatTimes = settingAt(device, p.repeatTimes);
  config.eventEvery = settingAt(device, p.eventEvery);
  config.bits = device.model().aiBits;
  return config;
}

// The condition a start or stop trigger setting asks for; false when the
// device cannot watch it. A stop by the stop request leaves it at None.
bool conditionOf(const Device& device, const RunPlaces& p, const TriggerPlaces& t, bool stop, AiCondition& out) {
  using Kind = AiCondition::Kind;
  out = {};
  Place place{};
  switch (settingAt(device, t.kind)) {
    case ai::kTriggerNone:
      return true;
    case ai::kTriggerLevel:
      out.kind = Kind::Level;
      place = t.level;
      break;
    case ai::kTriggerInRange:
      out.kind = Kind::InRange;
      place = t.inRange;
      break;
    case ai::kTriggerOutRange:
      out.kind = Kind::OutRange;
      place = t.outRange;
      break;
    case ai::kStopByCommand:
      return stop;
    default:
      return false;
  }
  if (out.kind != Kind::Level && !p.windows) return false;
  const int64_t channel = device.lastKey(place.code, place.size);
  if (channel < 0 || channel >= device.model().aiChannels) return false;
  const Device::Values v = device.setting(place.code, place.size, channel);
  out.channel = static_cast<int>(channel);
  if (out.kind == Kind::Level) {
    out.level = static_cast<int32_t>(v[0]);
    out.direction = static_cast<int>(v[1]);
  } else {
    out.level1 = static_cast<int32_t>(v[0]);
    out.level2 = static_cast<int32_t>(v[1]);
    out.stateTimes = v[2];
  }
  return true;
}

// The triggers of a start: 0, or the status that refuses it.
int32_t triggersOf(const Device& device, int busKind, AiConfig& config) {
  const RunPlaces& p = placesOf(busKind);
  if (!conditionOf(device, p, p.start, false, config.startOn)) return kStatusAiStartTriggerUnfit;
  if (!conditionOf(device, p, p.stop, true, config.stopOn)) return kStatusAiStopTriggerUnfit;
  config.stopDelay = std::max<int64_t>(settingAt(device, p.stopDelay), 0);
  return 0;
}

bool isGetRequest(const Record& record, const Row& row) {
  return row.layout.getFlag.width == 0 || record.read(row.layout.getFlag) == 1;
}

}  // namespace

int16_t aiRangeOf(const Device& device, int busKind, int64_t channel) {
  return static_cast<int16_t>(settingAt(device, placesOf(busKind).range, channel));
}

// A start the device cannot trigger changes nothing.
int32_t serveAiStart(Device& device, Record& record, const Row&) {
  AiConfig config = configOf(device, record.busKind);
  if (int32_t status = triggersOf(device, record.busKind, config); status != 0) return status;
  device.aiRun().start(config);
  return 0;
}

// A stop also clears the bits a test set.
int32_t serveAiStop(Device& device, Record&, const Row&) {
  device.setStatusBits(Function::Ai, 0, 0);
  device.aiRun().stop();
  return 0;
}

// A read, or (kernel, get flag 0) a set or clear of one bit, then a read.
int32_t serveAiStatus(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  if (!isGetRequest(record, row)) {
    device.aiRun().changeStatusBit(static_cast<int32_t>(record.read(l.value)), record.read(l.value2) == 1);
  }
  record.write(l.value, device.statusBits(Function::Ai, 0) | device.aiRun().statusBits());
  return 0;
}

int32_t serveAiCount(Device& device, Record& record, const Row& row) {
  int64_t count = 0;
  switch (row.code) {
    case kAiSamplingCount:
    case kCmdAiSamplingCount:
      count = device.aiRun().samplingCount();
      break;
    case kAiRepeatCount:
    case kCmdAiRepeatCount:
      count = device.aiRun().repeatCount();
      break;
    default:
      count = device.aiRun().stopTriggerCount();
      break;
  }
  record.write(row.layout.value, count);
  return 0;
}

int32_t serveAiReset(Device& device, Record&, const Row& row) {
  resetRun(device, Function::Ai, device.aiRun(), row.code == kAiResetStatus || row.code == kCmdAiResetStatus);
  return 0;
}

int32_t serveAiFixed(Device& device, Record& record, const Row& row) {
  const Model& m = device.model();
  return serveModelFigure(record, row, {kAiMaxChannels, kCmdAiMaxChannels, kAiResolution, kCmdAiResolution},
                          m.aiChannels, m.aiBits);
}

// Counts of a transfer into a caller's buffer, which these devices never do.
int32_t serveAiZero(Device&, Record& record, const Row& row) {
  record.write(row.layout.value, 0);
  return 0;
}

int32_t serveAiEventMask(Device& device, Record& record, const Row& row) {
  if (!isGetRequest(record, row)) device.aiRun().setMask(static_cast<int32_t>(record.read(row.layout.value)));
  return serveSetting(device, record, row);
}

// Scans asked in, delivered out; the samples go to the caller's array.
int32_t serveAiData(Device& device, Record& record, const Row& row) {
  const int64_t asked = std::max<int64_t>(record.read(row.layout.value), 0);
  int32_t* out = addressIn<int32_t>(record, row.layout.value2);
  if (out == nullptr && asked > 0) return kRefuseCall;
  const int64_t delivered = device.aiRun().readScans(asked, out);
  record.write(row.layout.value, delivered);
  return delivered < asked ? kStatusAiBeyondStored : 0;
}

// One chunk of values in the record's body.
int32_t serveAiChunk(Device& device, Record& record, const Row& row) {
  const int64_t asked = record.read(row.layout.value);
  if (asked < 0 || asked > rec::kAiChunkCapacity) return kRefuseCall;
  uint16_t values[rec::kAiChunkCapacity];
  const int64_t delivered = device.aiRun().readValues(asked, values);
  std::memcpy(record.bytes + rec::kAiChunkValues, values, static_cast<size_t>(delivered) * sizeof values[0]);
  record.write(row.layout.value, delivered);
  return delivered < asked ? kStatusAiBeyondStored : 0;
}

// The range code of each configured channel, as many as the record holds.
int32_t serveAiRanges(Device& device, Record& record, const Row& row) {
  const Field first = row.layout.value;
  const int64_t capacity = (record.size - first.at) / 2;
  const int64_t channels = std::min<int64_t>(configOf(device, record.busKind).channels, capacity);
  for (int64_t c = 0; c < channels; ++c) {
    record.write(f16(first.at + 2 * c), aiRangeOf(device, record.busKind, c));
  }
  record.write(row.layout.key, channels);
  record.write(row.layout.resolutionOut, device.model().aiBits);
  return 0;
}

int32_t serveAiSingle(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  const int64_t channel = record.read(l.key);
  if (channel < 0 || channel >= device.model().aiChannels) return kStatusAiChannelOutOfRange;
  const int32_t value = device.aiRun().convert(static_cast<int>(channel), device.model().aiBits);
  if (record.busKind == 0) {
    int32_t* out = addressIn<int32_t>(record, l.value);
    if (out == nullptr) return kRefuseCall;
    *out = value;
  } else {
    record.write(l.value, value);
  }
  record.write(l.rangeOut, aiRangeOf(device, record.busKind, channel));
  record.write(l.resolutionOut, device.model().aiBits);
  return 0;
}

// Channels 0 to n - 1; beyond the model's channels or the record's room the
// ones there are converted.
int32_t serveAiMulti(Device& device, Record& record, const Row& row) {
  const Layout& l = row.layout;
  const bool kernel = record.busKind == 0;
  const int64_t asked = record.read(l.key);
  if (asked < 1) return kStatusAiChannelOutOfRange;
  const int64_t room = kernel ? kKernelRangeRoom : record.busKind == 10 ? rec::kAiMultiChannelsVm
                                                                         : rec::kAiMultiChannelsBus;
  const int64_t channels = std::min<int64_t>({asked, device.model().aiChannels, room});
  int32_t* out = kernel ? addressIn<int32_t>(record, l.value) : nullptr;
  if (kernel && out == nullptr) return kRefuseCall;
  for (int64_t c = 0; c < channels; ++c) {
    const int32_t value = device.aiRun().convert(static_cast<int>(c), device.model().aiBits);
    if (kernel) {
      out[c] = value;
    } else {
      record.write(f16(l.value.at + 2 * c), value);
    }
    record.write(f16(l.rangeOut.at + 2 * c), aiRangeOf(device, record.busKind, c));
  }
  record.write(l.resolutionOut, device.model().aiBits);
  return channels < asked ? kStatusAiTooManyChannels : 0;
}

int32_t serveAiWait(Device& device, Record& record, const Row&) {
  AiRun& run = device.aiRun();
  if (record.busKind == 0) {
    return run.queueWait(static_cast<PlatRequest*>(record.request)) ? kKeptPending : 0;
  }
  if (record.overlapped == nullptr) return kRefuseCall;  // a wait that completes later needs one
  return run.queueWait(record.handle, record.overlapped, record.bytes) ? kKeptPending : 0;
}

int32_t serveAiFetch(Device& device, Record& record, const Row&) {
  const AiFetch answer = device.aiRun().fetch();
  const bool kernel = record.busKind == 0;
  const size_t listAt = kernel ? ai::kEventList : rec::kAiFetchList;
  const size_t room = kernel ? ai::kEventListCapacity : record.size > listAt ? (record.size - listAt) / 4 : 0;
  const size_t listed = std::min(answer.list.size(), room);
  for (size_t i = 0; i < listed; ++i) record.write(f32(listAt + 4 * i), answer.list[i]);
  record.write(f32(kernel ? ai::kEventMask : rec::kAiFetchMask), answer.mask);
  record.write(f32(kernel ? ai::kEventFactor : rec::kAiFetchFactor), answer.factor);
  record.write(f32(kernel ? ai::kSamplingCount : rec::kAiFetchSamplingCount), answer.samplingCount);
  record.write(f32(kernel ? ai::kRepeatCount : rec::kAiFetchRepeatCount), answer.repeatCount);
  record.write(f32(kernel ? ai::kEventListLength : rec::kAiFetchListLength), static_cast<int64_t>(listed));
  record.write(f16(kernel ? ai::kEventEnd : rec::kAiFetchEnd), answer.end ? 1 : 0);
  return 0;
}

}  // namespace halviksim
