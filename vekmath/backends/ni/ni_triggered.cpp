// A level-triggered block: the task waits for its start trigger on PFI0,
// NI-DAQmx calls back on its own thread once the block has come, and the
// caller's thread converts it into the event-window buffer.
#include <windows.h>

#include <algorithm>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_state.h"

namespace vekmath {
namespace {

using namespace daqmx;

// A handler run from here may stop or close the acquisition.
void pumpOneMessage() {
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

int32_t WINAPI niBlockArrived(TaskHandle task, int32_t, uint32_t, void*) {
  NiState& s = niState();
  int32 read = 0;
  const int32_t r = callNi<NiEntry::ReadBinaryU16>(task, s.blockScans, -1.0, kValGroupByScanNumber, s.staging.data(),
                                                   static_cast<uInt32>(s.channels * s.blockScans), &read,
                                                   static_cast<bool32*>(nullptr));
  s.scansRead.store(read);
  s.callbackResult.store(r);
  s.callbackDone.store(1, std::memory_order_release);
  return 0;
}

int32_t niReadTriggeredBlock(TriggeredBlock& block) {
  NiState& s = niState();
  const Ring& r = ring();
  block.filled = 0;
  if (r.stopRequested.load() != 0) return 0;
  TaskHandle task = s.analog.load();
  if (task == nullptr) {
    block.writeOutputs = false;
    return 0;
  }
  // Cleared before the start: a trigger that fires at once may call back
  // before the start returns.
  s.callbackDone.store(0);
  if (const int32_t e = callNi<NiEntry::StartTask>(task); niFailed(e)) return niFailure(e);
  while (s.callbackDone.load(std::memory_order_acquire) == 0) {
    // Closed by a handler meanwhile: the task is gone, and so is the block.
    if (s.analog.load() == nullptr) {
      block.writeOutputs = false;
      return 0;
    }
    // A trigger that never comes must not keep the caller here for good.
    if (r.stopRequested.load() != 0) {
      callNi<NiEntry::StopTask>(task);
      return 0;
    }
    pumpOneMessage();
    Sleep(1);
  }
  s.callbackDone.store(0);
  const int32_t result = s.callbackResult.load();
  if (niFailed(result) && result != kErrorSamplesNotYetAvailable) {
    callNi<NiEntry::StopTask>(task);
    return niFailure(result);
  }
  // Never more than the caller's block, whatever the block length was.
  const int32_t scans = std::clamp(s.scansRead.load(), 0, std::min(block.scans, s.blockScans));
  const int32_t channels = std::min(block.channels, s.channels);
  for (int32_t scan = 0; scan < scans; ++scan) {
    const uint16_t* from = s.staging.data() + static_cast<std::size_t>(scan) * s.channels;
    uint16_t* to = block.window + static_cast<std::size_t>(scan) * block.channels;
    for (int32_t c = 0; c < channels; ++c) to[c] = applyRawRule(s.rule, from[c]);
  }
  block.filled = scans;
  if (const int32_t e = callNi<NiEntry::StopTask>(task); niFailed(e)) return niFailure(e);
  return 0;
}

}  // namespace vekmath
