// The output exports that move data: immediate output of physical values
// and of several raw counts, the output's sample data (raw or physical),
// and a caller's buffer for bus-master output.
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "ao_state.h"
#include "device_buffer_step.h"
#include "export_frame.h"
#include "halvik.h"
#include "library_state.h"
#include "range_codes.h"
#include "transport.h"

namespace halvik::aoio {
namespace {

namespace drv = halvikdrv;

constexpr LONG kStatusNoMemory = 20000;
constexpr LONG kStatusNotHere = 20001;
constexpr LONG kStatusBusy = 20002;
constexpr LONG kStatusUnknownRange = -1;
constexpr int16_t kInfoAoCapabilities = 20016;
constexpr int16_t kBusMasterBit = 0x2;
constexpr uint32_t kMostBufferWords = 0x1000000;
// How long an earlier buffer is given to come back after its release.
constexpr DWORD kGiveBackMs = 1000;

// A driver status renumbered for the physical-value exports; any other
// passes unchanged.
struct Renumber {
  LONG from, to;
};
template <std::size_t N>
LONG renumbered(LONG status, const Renumber (&map)[N]) {
  for (const Renumber& r : map)
    if (r.from == status) return r.to;
  return status;
}
constexpr Renumber kSingleMap[] = {{23000, 23500}, {23001, 23501}, {23004, 23502}};
constexpr Renumber kMultiMap[] = {{23020, 23520}, {23021, 23521}, {23024, 23522}};
constexpr Renumber kDataMap[] = {{23220, 23540}, {23221, 23541}, {23222, 23542}, {23223, 23543}};

bool onBus(const DeviceRecord& r) { return RoadOf(r) != Road::Kernel; }

// The ranges the conversion needs and the resolution they came with.
struct Ranges {
  int16_t code[256] = {};
  int16_t resolution = 0;
};

// Channel 0..n-1's range codes; kernel: `block` keeps the reply for the
// output request that follows. Statuses in `accepted` pass as success.
LONG readRanges(const DeviceRecord& r, int16_t channels, drv::AoBlock& block, Ranges* out, bool accept20002) {
  if (!onBus(r)) {
    block.put<int16_t>(drv::ao::kChannels, channels);
    block.put<int16_t>(drv::ao::kGetFlag, 1);
    LONG status = SendKernel(r, drv::kAoChannelRanges, block.data(), block.size(), drv::ao::kStatus);
    if (status != 0) return status;
    for (int i = 0; i < channels; ++i) out->code[i] = block.get<int16_t>(drv::ao::kChannelRanges + 2 * i);
    out->resolution = block.get<int16_t>(drv::ao::kResolution);
    return 0;
  }
  drv::WireRecord<drv::rec::kAoRangesSize> c;
  c.put<int16_t>(drv::rec::kShortGetFlag, 1);
  c.put<int16_t>(drv::rec::kAoRangesCount, channels);
  LONG status = SendCommand(r, drv::kCmdAoChannelRanges, c.data(), c.size());
  if (status != 0 && !(accept20002 && status == kStatusBusy)) return status;
  for (int i = 0; i < channels && i < drv::rec::kAoRangesCapacity; ++i)
    out->code[i] = c.get<int16_t>(drv::rec::kAoRangesCodes + 2 * i);
  out->resolution = c.get<int16_t>(drv::rec::kAoRangesResolution);
  return 0;
}

// The device's channel count (the setting), for the sample data.
LONG readChannels(const DeviceRecord& r, int16_t* channels) {
  if (!onBus(r)) {
    drv::AoBlock b;
    b.put<int16_t>(drv::ao::kGetFlag, 1);
    LONG status = SendKernel(r, drv::kAoChannels, b.data(), b.size(), drv::ao::kStatus);
    *channels = b.get<int16_t>(drv::ao::kChannels);
    return status;
  }
  drv::WireRecord<8> c;
  c.put<int16_t>(drv::rec::kShortGetFlag, 1);
  LONG status = 0;
  DWORD result = BusCall(r, drv::kCmdAoChannels, c.data(), c.size(), c.size(), &status);
  *channels = c.get<int16_t>(drv::rec::kShortValue);
  if (result != 0) return static_cast<LONG>(result);
  return status == kStatusBusy ? 0 : status;
}

// One value to a count with its channel's range; false for a code without limits.
bool toCount(int16_t code, int16_t resolution, float value, int32_t* count) {
  float max = 0, min = 0;
  if (GetRangeLimits(code, &max, &min) != 1) return false;
  *count = ValueToCount(max, min, resolution, value);
  return true;
}

LONG multiOut(const DeviceRecord& r, int16_t channels, const int32_t* counts, drv::AoBlock& block) {
  if (!onBus(r)) {
    block.put<int16_t>(drv::ao::kChannels, channels);
    block.put<uint64_t>(drv::ao::kDataAddress, reinterpret_cast<uintptr_t>(counts));
    return SendKernel(r, drv::kAoMulti, block.data(), block.size(), drv::ao::kStatus);
  }
  drv::WireRecord<drv::rec::kAoMultiSize> c;
  c.put<int16_t>(drv::rec::kShortGetFlag, channels);
  for (int i = 0; i < channels; ++i) c.put<int16_t>(drv::rec::kAoMultiValues + 2 * i, static_cast<int16_t>(counts[i]));
  return SendCommand(r, drv::kCmdAoMulti, c.data(), c.size());
}

// The bus library takes the data in chunks of 1024 low halves; a total
// that is a multiple of 1024 ends with an empty chunk.
LONG sendChunks(const DeviceRecord& r, const int32_t* values, int64_t total) {
  const int64_t chunks = total / drv::rec::kAoChunkCapacity;
  const int64_t rest = total % drv::rec::kAoChunkCapacity;
  drv::WireRecord<drv::rec::kAoChunkSize> c;
  for (int64_t i = 0; i <= chunks; ++i) {
    const int n = i < chunks ? drv::rec::kAoChunkCapacity : static_cast<int>(rest);
    std::memset(c.data(), 0, c.size());
    c.put<int32_t>(drv::rec::kAoChunkCount, n);
    c.put<int32_t>(drv::rec::kAoChunkIndex, static_cast<int32_t>(i));
    const int32_t* from = values + i * drv::rec::kAoChunkCapacity;
    for (int k = 0; k < n; ++k) c.put<int16_t>(drv::rec::kAoChunkValues + 2 * k, static_cast<int16_t>(from[k]));
    LONG status = 0;
    if (DWORD result = BusCall(r, drv::kCmdAoSamplingData, c.data(), drv::rec::kAoChunkInLength, c.size(), &status))
      return static_cast<LONG>(result);
    if (status != 0) return status;
  }
  return 0;
}

// The data by address: bus kind 10's record, or the kernel request.
LONG sendData(const DeviceRecord& r, LONG times, const int32_t* values, drv::AoBlock& block) {
  const uint64_t address = reinterpret_cast<uintptr_t>(values);
  if (onBus(r)) {
    drv::WireRecord<drv::rec::kAoDataSizeVm> c;
    c.put<int32_t>(drv::rec::kAoDataTimes, times);
    c.put<uint32_t>(drv::rec::kAoDataAddressLow, static_cast<uint32_t>(address));
    c.put<int16_t>(drv::rec::kAoDataGetFlagVm, 0);
    c.put<uint64_t>(drv::rec::kAoDataAddress, address);
    return SendCommand(r, drv::kCmdAoSamplingData, c.data(), c.size(), true);
  }
  block.put<int32_t>(drv::ao::kSamplingTimes, times);
  block.put<uint64_t>(drv::ao::kDataAddress, address);
  block.put<int16_t>(drv::ao::kGetFlag, 0);
  return SendKernel(r, drv::kAoSamplingData, block.data(), block.size(), drv::ao::kStatus);
}

// One event per device, named after the process and the device, so two
// devices never take each other's completion for their own.
HANDLE bufferEvent(DeviceRecord& r, uint16_t index) {
  if (!validHandle(r.AoBufferEvent)) {
    char name[64];
    std::snprintf(name, sizeof name, "XANAOBUFEVENT%X",
                  static_cast<unsigned>(GetCurrentProcessId() << 8) ^ static_cast<unsigned>(index));
    r.AoBufferEvent = CreateEventA(nullptr, TRUE, TRUE, name);
  }
  return r.AoBufferEvent;
}

// The earlier buffer of the device, released already, must be back before
// its completion record serves the next one.
void awaitEarlier(const DeviceRecord& r, BufferHandOver& h) {
  if (!h.pending) return;
  DWORD n = 0;
  if (!HasOverlappedIoCompleted(&h.overlapped) && WaitForSingleObject(h.overlapped.hEvent, kGiveBackMs) != WAIT_OBJECT_0)
    CancelIoEx(r.Handle, &h.overlapped);
  GetOverlappedResult(r.Handle, &h.overlapped, &n, TRUE);
  h.pending = false;
}

void withdraw(const DeviceRecord& r, BufferHandOver& h) {
  CancelIoEx(r.Handle, &h.overlapped);
  DWORD n = 0;
  GetOverlappedResult(r.Handle, &h.overlapped, &n, TRUE);
  h.pending = false;
}

LONG transferData(ExportFrame& frame, LONG dataNumber, LONG* buffer) {
  DeviceRecord& r = frame.record();
  int16_t flags = 0;
  int32_t wide = 0;
  if (XanGetDeviceInfo(BoardTableModelName(r), kInfoAoCapabilities, &wide, nullptr, nullptr) != 0) return kStatusNotHere;
  flags = static_cast<int16_t>(wide);
  if ((flags & kBusMasterBit) == 0) return kStatusNotHere;
  int32_t bits = 0;
  if (LONG status = ReadStatus(r, &bits); status != 0) return status;
  if ((bits & drv::ao::kStatusRunning) != 0) return kStatusBusy;
  if (onBus(r)) return kStatusNotHere;
  drv::AoBlock release;
  if (SendKernel(r, drv::kAoBufferRelease, release.data(), release.size(), drv::ao::kStatus) == kStatusDriverCall)
    return kStatusDriverCall;
  BufferHandOver& h = StateOf(frame.index()).buffer;
  awaitEarlier(r, h);
  HANDLE event = bufferEvent(r, frame.index());
  h.overlapped = OVERLAPPED{};
  ResetEvent(event);
  h.overlapped.hEvent = event;
  const uint64_t bytes = static_cast<uint64_t>(static_cast<uint32_t>(dataNumber)) * sizeof(LONG);
  DWORD returned = 0;
  const BOOL done = DeviceIoControl(r.Handle, drv::kAoHostBuffer, buffer, static_cast<DWORD>(bytes), buffer,
                                    static_cast<DWORD>(bytes), &returned, &h.overlapped);
  if (done || GetLastError() != ERROR_IO_PENDING) return 13602;
  h.pending = true;
  drv::AoBlock setUp;
  setUp.put<int32_t>(drv::ao::kDataNumber, dataNumber);
  setUp.put<uint64_t>(drv::ao::kTransferBuffer, reinterpret_cast<uintptr_t>(buffer));
  setUp.put<int32_t>(drv::ao::kProcessId, static_cast<int32_t>(Library().processId));
  setUp.put<int16_t>(drv::ao::kGetFlag, 0);
  if (LONG status = SendKernel(r, drv::kAoBufferSetup, setUp.data(), setUp.size(), drv::ao::kStatus); status != 0) {
    // The caller takes the buffer back on a failure: the driver must not keep it.
    withdraw(r, h);
    return status;
  }
  return 0;
}

}  // namespace
}  // namespace halvik::aoio

using namespace halvik;
using namespace halvik::aoio;
namespace drv = halvikdrv;

DLL_EXPORT LONG WINAPI XanSingleAoEx(short Id, short AoChannel, float AoData) {
  ExportFrame frame("XanSingleAoEx");
  frame.start("Id=%d, AoChannel=%d, AoData=%f", Id, AoChannel, static_cast<double>(AoData));
  if (!frame.find(Id)) return kStatusNoDevice;
  if (static_cast<uint16_t>(AoChannel) > 255) return frame.end(13500);
  const DeviceRecord& r = frame.record();
  int16_t code = 0, resolution = 0;
  drv::AoBlock block;
  drv::WireRecord<12> c;
  LONG status;
  if (!onBus(r)) {
    block.put<int16_t>(drv::ao::kChannel, AoChannel);
    block.put<int16_t>(drv::ao::kGetFlag, 1);
    status = SendKernel(r, drv::kAoRange, block.data(), block.size(), drv::ao::kStatus);
    code = block.get<int16_t>(drv::ao::kRange);
    resolution = block.get<int16_t>(drv::ao::kResolution);
  } else {
    c.put<int16_t>(drv::rec::kShortGetFlag, 1);
    c.put<int16_t>(drv::rec::kAoRangeChannel, AoChannel);
    status = SendCommand(r, drv::kCmdAoRange, c.data(), c.size());
    code = c.get<int16_t>(drv::rec::kAoRangeValue);
    resolution = c.get<int16_t>(drv::rec::kAoRangeResolution);
  }
  if (status != 0) return frame.end(status);
  int32_t count = 0;
  if (!toCount(code, resolution, AoData, &count)) return frame.end(kStatusUnknownRange);
  if (!onBus(r)) {
    block.put<uint64_t>(drv::ao::kDataAddress, reinterpret_cast<uintptr_t>(&count));
    status = SendKernel(r, drv::kAoSingle, block.data(), block.size(), drv::ao::kStatus);
  } else {
    drv::WireRecord<8> out;
    out.put<int16_t>(drv::rec::kShortGetFlag, AoChannel);
    out.put<int16_t>(drv::rec::kShortValue, static_cast<int16_t>(count));
    status = SendCommand(r, drv::kCmdAoSingle, out.data(), out.size());
  }
  return frame.end(renumbered(status, kSingleMap));
}

DLL_EXPORT LONG WINAPI XanMultiAo(short Id, short AoChannels, const LONG* AoData) {
  ExportFrame frame("XanMultiAo");
  frame.start("Id=%d, AoChannels=%d", Id, AoChannels);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AoChannels < 1 || AoChannels > 256) return frame.end(13020);
  if (AoData == nullptr) return frame.end(13021);
  const DeviceRecord& r = frame.record();
  // The sibling record carries 17 values.
  if (onBus(r) && AoChannels > drv::rec::kAoMultiCapacity) return frame.end(13020);
  drv::AoBlock block;
  return frame.end(multiOut(r, AoChannels, reinterpret_cast<const int32_t*>(AoData), block));
}

DLL_EXPORT LONG WINAPI XanMultiAoEx(short Id, short AoChannels, const float* AoData) {
  ExportFrame frame("XanMultiAoEx");
  frame.start("Id=%d, AoChannels=%d", Id, AoChannels);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AoChannels < 1 || AoChannels > 256) return frame.end(13520);
  if (AoData == nullptr) return frame.end(13521);
  const DeviceRecord& r = frame.record();
  // The sibling range record carries 16 codes.
  if (onBus(r) && AoChannels > drv::rec::kAoRangesCapacity) return frame.end(13520);
  drv::AoBlock block;
  Ranges ranges;
  if (LONG status = readRanges(r, AoChannels, block, &ranges, false); status != 0) return frame.end(status);
  int32_t counts[256];
  for (int i = 0; i < AoChannels; ++i) {
    if (!toCount(ranges.code[i], ranges.resolution, AoData[i], &counts[i])) return frame.end(kStatusUnknownRange);
  }
  return frame.end(renumbered(multiOut(r, AoChannels, counts, block), kMultiMap));
}

DLL_EXPORT LONG WINAPI XanSetAoSamplingData(short Id, LONG AoSamplingTimes, const LONG* AoData) {
  ExportFrame frame("XanSetAoSamplingData");
  frame.start("Id=%d, AoSamplingTimes=%d", Id, AoSamplingTimes);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AoSamplingTimes < 1) return frame.end(13220);
  if (AoData == nullptr) return frame.end(13221);
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  const DeviceRecord& r = frame.record();
  const auto* values = reinterpret_cast<const int32_t*>(AoData);
  if (RoadOf(r) == Road::Attached) {
    int16_t channels = 0;
    if (LONG status = readChannels(r, &channels); status != 0) return frame.end(status);
    return frame.end(sendChunks(r, values, int64_t{AoSamplingTimes} * channels));
  }
  drv::AoBlock block;
  return frame.end(sendData(r, AoSamplingTimes, values, block));
}

DLL_EXPORT LONG WINAPI XanSetAoSamplingDataEx(short Id, LONG AoSamplingTimes, const float* AoData) {
  ExportFrame frame("XanSetAoSamplingDataEx");
  frame.start("Id=%d, AoSamplingTimes=%d", Id, AoSamplingTimes);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (AoSamplingTimes < 1) return frame.end(13540);
  if (AoData == nullptr) return frame.end(13541);
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  const DeviceRecord& r = frame.record();
  int16_t channels = 0;
  if (LONG status = readChannels(r, &channels); status != 0) return frame.end(status);
  if (channels < 1 || channels > 256) channels = 1;
  // The sibling range record carries 16 codes: more channels have none to convert with.
  if (onBus(r) && channels > drv::rec::kAoRangesCapacity) return frame.end(kStatusNotHere);
  drv::AoBlock block;
  Ranges ranges;
  if (LONG status = readRanges(r, channels, block, &ranges, true); status != 0) return frame.end(status);
  const int64_t total = int64_t{AoSamplingTimes} * channels;
  std::unique_ptr<int32_t[]> counts(new (std::nothrow) int32_t[static_cast<std::size_t>(total)]);
  if (counts == nullptr) return frame.end(kStatusNoMemory);
  for (int64_t i = 0; i < total; ++i) {
    if (!toCount(ranges.code[i % channels], ranges.resolution, AoData[i], &counts[i]))
      return frame.end(kStatusUnknownRange);
  }
  if (RoadOf(r) == Road::Attached) return frame.end(sendChunks(r, counts.get(), total));
  return frame.end(renumbered(sendData(r, AoSamplingTimes, counts.get(), block), kDataMap));
}

DLL_EXPORT LONG WINAPI XanSetAoTransferData(short Id, LONG DataNumber, LONG* Buffer) {
  ExportFrame frame("XanSetAoTransferData");
  frame.start("Id=%d, DataNumber=%d", Id, DataNumber);
  if (!frame.find(Id)) return kStatusNoDevice;
  if (static_cast<uint32_t>(DataNumber) > kMostBufferWords) return frame.end(13600);
  if (Buffer == nullptr) return frame.end(13601);
  if (LONG owner = frame.ownership(); owner != 0) return owner;
  return frame.end(transferData(frame, DataNumber, Buffer));
}
