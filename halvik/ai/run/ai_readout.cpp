// Reading the stored samples out of the device: raw counts, or physical
// values through each channel's range.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <algorithm>
#include <vector>

#include "ai_host_ring.h"
#include "ai_readout.h"
#include "ai_wire.h"
#include "export_frame.h"
#include "halvik.h"
#include "range_codes.h"
#include "transport.h"

namespace halvik::airun {

namespace drv = halvikdrv;

namespace {

constexpr LONG kStatusBeyondStored = 21580;

LONG readKernel(const DeviceRecord& r, LONG* scans, int32_t* data) {
  drv::AiBlock b;
  b.put<int32_t>(kDataCount, *scans);
  b.put<uint64_t>(drv::ai::kDataAddress, reinterpret_cast<uintptr_t>(data));
  LONG status = SendKernel(r, drv::kAiSamplingData, b.data(), b.size(), drv::ai::kStatus);
  if (status != kStatusDriverCall) *scans = b.get<int32_t>(kDataCount);
  return status;
}

LONG readVirtual(const DeviceRecord& r, LONG* scans, int32_t* data) {
  drv::WireRecord<kReadSizeVm> c;
  c.put<int32_t>(kReadCount, *scans);
  c.put<uint64_t>(kReadAddress, reinterpret_cast<uintptr_t>(data));
  LONG status = SendCommand(r, drv::kCmdAiSamplingData, c.data(), c.size());
  *scans = c.get<int32_t>(kReadCount);
  return status;
}

// The bus library hands the values over in chunks of its record.
LONG readAttached(const DeviceRecord& r, LONG* scans, int32_t* data) {
  int16_t channels = 0;
  if (LONG status = ReadChannelCount(r, &channels); status != 0) return status;
  const int64_t total = int64_t{std::max<int16_t>(channels, 1)} * std::max<LONG>(*scans, 0);
  int64_t done = 0;
  LONG status = 0;
  for (int32_t chunk = 0; done < total; ++chunk) {
    drv::WireRecord<kChunkSize> c;
    const int32_t want = static_cast<int32_t>(std::min<int64_t>(kChunkMax, total - done));
    c.put<int32_t>(kChunkIndex, chunk);
    c.put<int32_t>(kChunkCount, want);
    status = SendCommand(r, drv::kCmdAiSamplingData, c.data(), c.size());
    if (status != 0 && status != kStatusBeyondStored) return status;
    const int32_t got = std::clamp(c.get<int32_t>(kChunkCount), 0, want);
    for (int32_t i = 0; i < got; ++i) data[done + i] = c.get<uint16_t>(kChunkValues + 2 * i);
    done += got;
    if (status != 0 || got < want) break;
  }
  *scans = static_cast<LONG>(done / std::max<int16_t>(channels, 1));
  return status;
}

}  // namespace

LONG ReadChannelCount(const DeviceRecord& r, int16_t* channels) {
  if (RoadOf(r) == Road::Kernel) {
    drv::AiBlock b;
    b.put<int16_t>(drv::ai::kGetFlag, 1);
    LONG status = SendKernel(r, drv::kAiChannels, b.data(), b.size(), drv::ai::kStatus);
    *channels = b.get<int16_t>(drv::ai::kChannels);
    return status;
  }
  drv::WireRecord<kChannelsSize> c;
  c.put<int16_t>(kChannelsGetFlag, 1);
  LONG status = SendCommand(r, drv::kCmdAiChannels, c.data(), c.size());
  *channels = c.get<int16_t>(kChannelsValue);
  return status;
}

LONG ReadSamples(const DeviceRecord& r, LONG* scans, int32_t* data) {
  switch (RoadOf(r)) {
    case Road::Kernel:
      if (HostRingInUse(r)) return ReadHostRing(const_cast<DeviceRecord&>(r), scans, data);
      return readKernel(r, scans, data);
    case Road::Virtual: return readVirtual(r, scans, data);
    case Road::Attached: return readAttached(r, scans, data);
  }
  return 0;
}

}  // namespace halvik::airun

using namespace halvik;
using namespace halvik::airun;

DLL_EXPORT LONG WINAPI XanGetAiSamplingData(short Id, LONG* AiSamplingTimes, LONG* AiData) {
  ExportFrame frame("XanGetAiSamplingData");
  frame.start("Id=%d, *AiSamplingTimes=%d", Id, AiSamplingTimes != nullptr ? *AiSamplingTimes : 0);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AiSamplingTimes == nullptr) return frame.end(11580);
  if (AiData == nullptr) return frame.end(11581);
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  static_assert(sizeof(LONG) == sizeof(int32_t));
  LONG status = ReadSamples(frame.record(), AiSamplingTimes, reinterpret_cast<int32_t*>(AiData));
  if (status != 0) return frame.end(status);
  return frame.endWith("*AiSamplingTimes=%d", *AiSamplingTimes);
}
