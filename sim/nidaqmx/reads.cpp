// Analog reads: block until the scans asked for have come or the time-out
// passes, then hand out the raw values of each channel's signal.
#include <algorithm>
#include <limits>

#include "nisim.h"
#include "sim_state.h"

using namespace daqmx;
using namespace nisim;

namespace {

constexpr auto kPoll = std::chrono::milliseconds(5);

uint16_t rawValue(const Task& t, std::size_t channel, uint64_t scan, bool sine) {
  const std::vector<int16_t>& script = t.scripts[channel];
  if (!script.empty()) return static_cast<uint16_t>(script[scan % script.size()]);
  const int32_t k = t.ai[channel];
  return sine ? sineValue(k, scan) : rampValue(k, scan);
}

// Waits for n scans (all that come when n is -1) and takes them from the
// task; the number taken goes to scans. 0, or the time-out code with the
// scans that did come.
template <typename Put>
int32 takeScans(Task& t, int32 n, float64 timeout, bool32 fillMode, std::size_t room, int32* scans, Put put) {
  std::unique_lock<std::mutex> lock(t.m);
  *scans = 0;
  if (t.kind != Kind::Analog) return refuse(kErrBadArgument, "The task has no analog input.");
  const std::size_t channels = t.ai.size();
  if (n > 0 && static_cast<uint64_t>(n) * channels > room) {
    return refuse(kErrBufferTooSmall, "The read buffer is too small.");
  }
  const Clock::time_point start = Clock::now();
  const Clock::time_point deadline =
      timeout < 0 ? Clock::time_point::max()
                  : start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeout));
  const Sim& s = sim();
  uint64_t count = 0;
  int32 result = 0;
  for (;;) {
    if (t.cleared) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
    if (!t.running) return refuse(kErrNotRunning, "The task is not running.");
    const Clock::time_point now = Clock::now();
    const uint64_t available = acquired(t, now) - t.readPos;
    const bool allThere = n < 0 ? true : available >= static_cast<uint64_t>(n);
    const bool finiteDone = t.finite && t.readPos + available >= t.sampsPerChan;
    if (allThere || finiteDone) {
      count = n < 0 ? std::min<uint64_t>(available, room / std::max<std::size_t>(channels, 1))
                    : std::min<uint64_t>(available, static_cast<uint64_t>(n));
      break;
    }
    if (now >= deadline) {
      count = available;
      result = refuse(kErrorSamplesNotYetAvailable, "Some or all of the samples requested have not yet been acquired.");
      break;
    }
    Clock::time_point wake = deadline;
    if (!t.triggered || s.stalled.load() || s.freeClock.load()) {
      wake = std::min(deadline, now + kPoll);
    } else {
      wake = std::min(deadline, whenAcquired(t, t.readPos + static_cast<uint64_t>(n)));
    }
    t.cv.wait_until(lock, wake);
  }
  const bool sine = s.sine.load();
  for (uint64_t scan = 0; scan < count; ++scan) {
    for (std::size_t c = 0; c < channels; ++c) {
      const std::size_t at = fillMode == kValGroupByScanNumber ? scan * channels + c : c * count + scan;
      put(at, rawValue(t, c, t.readPos + scan, sine));
    }
  }
  t.readPos += count;
  *scans = static_cast<int32>(count);
  return result;
}

}  // namespace

extern "C" {

DLL_EXPORT int32 WINAPI DAQmxReadBinaryU16(TaskHandle task, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                                           uInt16 readArray[], uInt32 arraySizeInSamps, int32* sampsPerChanRead,
                                           bool32* reserved) {
  if (int32 e = enter("DAQmxReadBinaryU16", format("%d,%g,%u,%u", numSampsPerChan, timeout, fillMode, arraySizeInSamps))) {
    return e;
  }
  (void)reserved;
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  int32 ignored = 0;
  int32* scans = sampsPerChanRead != nullptr ? sampsPerChanRead : &ignored;
  if (readArray == nullptr) return refuse(kErrBadArgument, "No read buffer.");
  return takeScans(*t, numSampsPerChan, timeout, fillMode, arraySizeInSamps, scans,
                   [readArray](std::size_t at, uint16_t v) { readArray[at] = v; });
}

DLL_EXPORT int32 WINAPI DAQmxReadAnalogF64(TaskHandle task, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                                           float64 readArray[], uInt32 arraySizeInSamps, int32* sampsPerChanRead,
                                           bool32* reserved) {
  if (int32 e = enter("DAQmxReadAnalogF64", format("%d,%g,%u,%u", numSampsPerChan, timeout, fillMode, arraySizeInSamps))) {
    return e;
  }
  (void)reserved;
  std::shared_ptr<Task> t = findTask(task);
  if (t == nullptr) return refuse(kErrInvalidTask, "Task specified is invalid or does not exist.");
  int32 ignored = 0;
  int32* scans = sampsPerChanRead != nullptr ? sampsPerChanRead : &ignored;
  if (readArray == nullptr) return refuse(kErrBadArgument, "No read buffer.");
  // The raw count spans the channels' -10 V to +10 V.
  return takeScans(*t, numSampsPerChan, timeout, fillMode, arraySizeInSamps, scans, [readArray](std::size_t at, uint16_t v) {
    readArray[at] = static_cast<int16_t>(v) * (10.0 / 32768.0);
  });
}

}  // extern "C"

static_assert(std::is_same_v<decltype(&DAQmxReadBinaryU16), ReadBinaryU16Proc>);
static_assert(std::is_same_v<decltype(&DAQmxReadAnalogF64), ReadAnalogF64Proc>);
