// One-shot conversions outside an acquisition: one channel, or channels 0
// to n-1, as raw counts or as physical values. They make no ownership
// check, so they answer while another process holds the device.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

#include "ai_wire.h"
#include "export_frame.h"
#include "halvik.h"
#include "range_codes.h"
#include "transport.h"

namespace halvik::airun {
namespace {

namespace drv = halvikdrv;

constexpr int kMaxChannels = 256;

// The single conversion 0x3131 (12 bytes on both buses).
constexpr std::size_t kSingleSize = 12, kSingleChannel = 4, kSingleRaw = 6, kSingleRange = 8, kSingleResolution = 10;
// The multi conversion 0x3132: channel count at 4, raw values at 6, then
// the range codes and the resolution; how many channels fit is the bus's.
struct MultiForm {
  DWORD size;
  int capacity;
  std::size_t ranges, resolution;
};
constexpr MultiForm kMultiVm{520, 128, 262, 518};
constexpr MultiForm kMultiBus{136, 32, 70, 134};
constexpr std::size_t kMultiCount = 4, kMultiRaw = 6;

struct Converted {
  int32_t count[kMaxChannels] = {};
  int16_t range[kMaxChannels] = {};
  int16_t resolution = 0;
};

LONG convertOne(const DeviceRecord& r, int16_t channel, Converted* out) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int16_t>(drv::ai::kChannel, channel);
    b.put<uint64_t>(drv::ai::kDataAddress, reinterpret_cast<uintptr_t>(out->count));
    LONG status = SendKernel(r, drv::kAiSingle, b.data(), b.size(), drv::ai::kStatus);
    out->range[0] = b.get<int16_t>(drv::ai::kRange);
    out->resolution = b.get<int16_t>(drv::ai::kResolution);
    return status;
  }
  drv::WireRecord<kSingleSize> c;
  c.put<int16_t>(kSingleChannel, channel);
  LONG status = SendCommand(r, drv::kCmdAiSingle, c.data(), c.size());
  out->count[0] = c.get<uint16_t>(kSingleRaw);
  out->range[0] = c.get<int16_t>(kSingleRange);
  out->resolution = c.get<int16_t>(kSingleResolution);
  return status;
}

// The channels a road carries at most in one conversion.
int capacityOf(const DeviceRecord& r) {
  switch (RoadOf(r)) {
    case Road::Kernel: return kMaxChannels;
    case Road::Virtual: return kMultiVm.capacity;
    case Road::Attached: return kMultiBus.capacity;
  }
  return 0;
}

LONG convertMany(const DeviceRecord& r, int16_t channels, Converted* out) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int16_t>(drv::ai::kChannels, channels);
    b.put<uint64_t>(drv::ai::kDataAddress, reinterpret_cast<uintptr_t>(out->count));
    LONG status = SendKernel(r, drv::kAiMulti, b.data(), b.size(), drv::ai::kStatus);
    for (int i = 0; i < channels; ++i) out->range[i] = b.get<int16_t>(drv::ai::kChannelRanges + 2 * i);
    out->resolution = b.get<int16_t>(drv::ai::kResolution);
    return status;
  }
  const MultiForm& form = RoadOf(r) == Road::Virtual ? kMultiVm : kMultiBus;
  drv::WireRecord<kMultiVm.size> c;
  c.put<int16_t>(kMultiCount, channels);
  LONG status = SendCommand(r, drv::kCmdAiMulti, c.data(), form.size);
  for (int i = 0; i < channels; ++i) {
    out->count[i] = c.get<uint16_t>(kMultiRaw + 2 * i);
    out->range[i] = c.get<int16_t>(form.ranges + 2 * i);
  }
  out->resolution = c.get<int16_t>(form.resolution);
  return status;
}

// The driver's codes as the physical forms report them.
LONG renumberEx(LONG status) {
  constexpr LONG kPairs[][2] = {{21420, 21840}, {21421, 21841}, {21422, 21842}, {21423, 21843},
                                {21440, 21860}, {21441, 21861}, {21442, 21862}};
  for (const auto& p : kPairs)
    if (p[0] == status) return p[1];
  return status;
}

constexpr LONG kStatusTooManyChannels = 21441;  // the values still come

// The one model whose channel 4 is a temperature in 1/16 degree steps.
bool sixteenthsOnChannel4(const DeviceRecord& r) { return std::memcmp(r.ModelName, "RWE58-3T(PCI)", 14) == 0; }

// false (nothing written) for a range code the table does not know.
bool toValue(const Converted& c, int i, float* value) {
  float max, min;
  if (!GetRangeLimits(c.range[i], &max, &min)) return false;
  *value = CountToValue(max, min, c.resolution, c.count[i]);
  return true;
}

}  // namespace
}  // namespace halvik::airun

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanSingleAi(short Id, short AiChannel, LONG* AiData) {
  ExportFrame frame("XanSingleAi");
  frame.start("Id=%d, AiChannel=%d", Id, AiChannel);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (static_cast<uint16_t>(AiChannel) > 255) return frame.end(11420);
  if (AiData == nullptr) return frame.end(11421);
  Converted c;
  if (LONG status = convertOne(frame.record(), AiChannel, &c); status != 0) return frame.end(status);
  *AiData = c.count[0];
  return frame.endWith("*AiData=%d", *AiData);
}

DLL_EXPORT LONG WINAPI XanSingleAiEx(short Id, short AiChannel, float* AiData) {
  ExportFrame frame("XanSingleAiEx");
  frame.start("Id=%d, AiChannel=%d", Id, AiChannel);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (static_cast<uint16_t>(AiChannel) > 255) return frame.end(11840);
  if (AiData == nullptr) return frame.end(11841);
  Converted c;
  if (LONG status = convertOne(frame.record(), AiChannel, &c); status != 0) return frame.end(renumberEx(status));
  if (AiChannel == 4 && sixteenthsOnChannel4(frame.record())) {
    *AiData = static_cast<float>(c.count[0]) * 0.0625f;
  } else if (!toValue(c, 0, AiData)) {
    return frame.end(-1);
  }
  return frame.endWith("*AiData=%f", static_cast<double>(*AiData));
}

DLL_EXPORT LONG WINAPI XanMultiAi(short Id, short AiChannels, LONG* AiData) {
  ExportFrame frame("XanMultiAi");
  frame.start("Id=%d, AiChannels=%d", Id, AiChannels);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AiChannels < 1 || AiChannels > capacityOf(frame.record())) return frame.end(11440);
  if (AiData == nullptr) return frame.end(11441);
  Converted c;
  LONG status = convertMany(frame.record(), AiChannels, &c);
  if (status != 0 && status != kStatusTooManyChannels) return frame.end(status);
  std::copy(c.count, c.count + AiChannels, AiData);
  return frame.end(status);
}

DLL_EXPORT LONG WINAPI XanMultiAiEx(short Id, short AiChannels, float* AiData) {
  ExportFrame frame("XanMultiAiEx");
  frame.start("Id=%d, AiChannels=%d", Id, AiChannels);
  if (!frame.find(Id)) return kStatusNoDevice;
  const DeviceRecord& r = frame.record();
  if (AiChannels < 1 || AiChannels > capacityOf(r)) return frame.end(11860);
  if (AiData == nullptr) return frame.end(11861);
  Converted c;
  LONG status = convertMany(r, AiChannels, &c);
  if (status != 0 && status != kStatusTooManyChannels) return frame.end(renumberEx(status));
  float values[kMaxChannels];
  for (int i = 0; i < AiChannels; ++i)
    if (!toValue(c, i, &values[i])) return frame.end(-1);
  if (RoadOf(r) == Road::Kernel && AiChannels == 5 && sixteenthsOnChannel4(r))
    values[4] = static_cast<float>(c.count[4]) * 0.0625f;
  std::copy(values, values + AiChannels, AiData);
  return frame.end(renumberEx(status));
}
