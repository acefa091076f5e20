// The readout as physical values: each count through its channel's range.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <vector>

#include "ai_readout.h"
#include "ai_wire.h"
#include "export_frame.h"
#include "halvik.h"
#include "range_codes.h"
#include "transport.h"

namespace halvik::airun {
namespace {

namespace drv = halvikdrv;

constexpr int kMaxChannels = 512;

struct Ranges {
  int16_t code[kMaxChannels] = {};
  int16_t resolution = 0;
};

LONG readRanges(const DeviceRecord& r, int channels, Ranges* out) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    LONG status = SendKernel(r, drv::kAiChannelRanges, b.data(), b.size(), drv::ai::kStatus);
    for (int i = 0; i < channels; ++i) out->code[i] = b.get<int16_t>(drv::ai::kChannelRanges + 2 * i);
    out->resolution = b.get<int16_t>(drv::ai::kResolution);
    return status;
  }
  const bool vm = RoadOf(r) == Road::Virtual;
  drv::WireRecord<kRangesSizeVm> c;
  const DWORD size = vm ? kRangesSizeVm : kRangesSizeBus;
  if (LONG status = SendCommand(r, drv::kCmdAiChannelRanges, c.data(), size); status != 0) return status;
  const int fits = static_cast<int>((size - kRangesAt) / 2);
  for (int i = 0; i < std::min(channels, fits); ++i) out->code[i] = c.get<int16_t>(kRangesAt + 2 * i);
  drv::WireRecord<kValueSize> res;
  LONG status = SendCommand(r, drv::kCmdAiResolution, res.data(), res.size());
  out->resolution = res.get<int16_t>(kValue);
  return status;
}

// The readout's own codes, as the physical form reports them.
LONG renumber(LONG status) {
  switch (status) {
    case 21580: return 21881;
    case 21581: return 21882;
    case 21582: return 21883;
    case 21583: return 21884;
    case 21584: return 21885;
    case 21585: return 21886;
    default: return status;
  }
}

}  // namespace
}  // namespace halvik::airun

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanGetAiSamplingDataEx(short Id, LONG* AiSamplingTimes, float* AiData) {
  ExportFrame frame("XanGetAiSamplingDataEx");
  frame.start("Id=%d, *AiSamplingTimes=%d", Id, AiSamplingTimes != nullptr ? *AiSamplingTimes : 0);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AiSamplingTimes == nullptr) return frame.end(11880);
  if (AiData == nullptr) return frame.end(11881);
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  const DeviceRecord& r = frame.record();
  int16_t channels = 0;
  if (LONG status = ReadChannelCount(r, &channels); status != 0) return frame.end(status);
  channels = std::clamp<int16_t>(channels, 1, kMaxChannels);
  Ranges ranges;
  if (LONG status = readRanges(r, channels, &ranges); status != 0) return frame.end(status);
  float max[kMaxChannels], min[kMaxChannels];
  for (int c = 0; c < channels; ++c)
    if (!GetRangeLimits(ranges.code[c], &max[c], &min[c])) return frame.end(-1);
  // The driver writes counts, never into the caller's floats.
  std::vector<int32_t> raw(static_cast<size_t>(channels) * static_cast<size_t>(std::max<LONG>(*AiSamplingTimes, 0)));
  LONG status = ReadSamples(r, AiSamplingTimes, raw.data());
  if (status != 0 && status != 21580 && status != 21585) return frame.end(renumber(status));
  const size_t values = std::min(raw.size(), static_cast<size_t>(channels) * std::max<LONG>(*AiSamplingTimes, 0));
  for (size_t i = 0; i < values; ++i) {
    const int c = static_cast<int>(i % channels);
    AiData[i] = CountToValue(max[c], min[c], ranges.resolution, raw[i]);
  }
  if (status != 0) return frame.end(renumber(status));
  return frame.endWith("*AiSamplingTimes=%d", *AiSamplingTimes);
}
