// The WDM boards: Halvik's device opened and its analog input configured at
// SetupSampling, started and read on the acquisition thread, stopped and
// closed on the caller's.
#include "backends/wdm/wdm_backend.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/wdm/halvik_call.h"
#include "backends/wdm/status_texts.h"
#include "backends/wdm/triggered_block.h"

namespace vekmath {
namespace {

using H = HalvikBinding;

constexpr int32_t kZeroOffset = 32768;
// The one board of the group whose channels run in their fixed order.
constexpr int32_t kFixedOrderBoard = 7;
constexpr int32_t kScanClockMin = 2;
constexpr int32_t kScanClockMax = 1638;
constexpr short kStopByCommand = 4;
constexpr short kStopByLevel = 3;
constexpr LONG kEventMask = 0x700A0;
constexpr LONG kRunning = 1;
constexpr std::size_t kHalvikTextBytes = 256;

struct WdmState {
  // Read by the acquisition thread; written only while none runs.
  std::atomic<short> id{-1};
  std::atomic<bool> open{false};
  // Values of the read buffer that a fetch has written since the last close.
  int32_t used = 0;
};

WdmState& state() {
  static WdmState* instance = new WdmState;
  return *instance;
}

// Each sample arrives in the low 16 bits of one value. Static and untouched
// until a fetch writes it, so it costs no memory before a WDM run.
LONG* readBuffer() {
  static LONG buffer[kRingSize];
  return buffer;
}

int32_t failWith(int32_t code) {
  setHalvikStatusText(code);
  return code;
}

// Level B against level A: 0 equal, 1 falling, 2 rising.
short stopDirection(int16_t levelB, int16_t levelA) {
  if (levelB == levelA) return 0;
  return levelB < levelA ? 1 : 2;
}

// The stop trigger and the sampling mode for the trigger channel. A
// channel below 0 reached here as 0: no level trigger, so the mode of an
// earlier run does not stay.
int32_t configureStop(SamplingConfig& cfg, short id) {
  if (cfg.triggerChannel <= 0) {
    cfg.samplingMode = 0;
    return callHalvik<&H::XanSetAiStopTrigger>(id, kStopByCommand);
  }
  cfg.samplingMode = 1;
  // A block that starts before the trigger takes one scan more.
  const LONG extra = cfg.eventOffset < 0 ? 1 : 0;
  const LONG level = LONG{cfg.levelB} + kZeroOffset;
  if (int32_t r = callHalvik<&H::XanSetAiStopLevel>(id, static_cast<short>(cfg.triggerChannel - 1), level,
                                                    stopDirection(cfg.levelB, cfg.levelA));
      r != 0) {
    return r;
  }
  if (int32_t r = callHalvik<&H::XanSetAiStopTimes>(id, LONG{cfg.blockScans} + extra); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiStopDelayTimes>(id, LONG{cfg.blockScans} + cfg.eventOffset + extra);
      r != 0) {
    return r;
  }
  return callHalvik<&H::XanSetAiStopTrigger>(id, kStopByLevel);
}

// Every step after the open, in order, up to the first refusal.
int32_t configureInput(SamplingConfig& cfg, short id, bool withSequence) {
  if (int32_t r = callHalvik<&H::XanResetDevice>(id); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiChannels>(id, static_cast<short>(cfg.channels)); r != 0) return r;
  for (int32_t i = 0; withSequence && i < cfg.channels; ++i) {
    const short channel = static_cast<short>(cfg.channelList[i] - 1);
    if (int32_t r = callHalvik<&H::XanSetAiChannelSequence>(id, static_cast<short>(i), channel); r != 0) return r;
  }
  if (int32_t r = callHalvik<&H::XanSetAiMemoryType>(id, short{0}); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiClockType>(id, short{0}); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiSamplingClock>(id, static_cast<float>(cfg.periodUs)); r != 0) return r;
  cfg.scanClockUs = std::clamp(cfg.scanClockUs, kScanClockMin, kScanClockMax);
  // A device on the USB bus has no scan clock to set (Halvik answers that
  // the function can't be used): its channels follow the sampling clock.
  if (int32_t r = callHalvik<&H::XanSetAiScanClock>(id, static_cast<float>(cfg.scanClockUs));
      r != 0 && r != kHalvikFunctionMissing) {
    return r;
  }
  if (int32_t r = callHalvik<&H::XanSetAiStartTrigger>(id, short{0}); r != 0) return r;
  if (int32_t r = configureStop(cfg, id); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiEvent>(id, HWND{}, kEventMask); r != 0) return r;
  if (int32_t r = callHalvik<&H::XanSetAiRepeatTimes>(id, LONG{1}); r != 0) return r;
  return callHalvik<&H::XanResetAiMemory>(id);
}

// A call on the thread failed: the input is stopped and the thread ends
// with the call's code.
int32_t stopAndFail(short id, int32_t code) {
  callHalvik<&H::XanStopAi>(id);
  return failWith(code);
}

class WdmBackEnd final : public BackEnd {
 public:
  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    WdmState& s = state();
    selection().zeroOffset = kZeroOffset;
    std::memcpy(cfg.channelList, channelList, sizeof cfg.channelList);
    // Halvik's opens nest: an open left by an earlier set-up would keep
    // the device open after CloseBoard.
    closeDevice();
    short id = -1;
    if (int32_t r = callHalvik<&H::XanInit>(static_cast<const char*>(selection().deviceName), &id); r != 0) {
      return failWith(r);
    }
    s.id.store(id);
    s.open.store(true);
    const BoardTypeInfo* row = selection().row.load();
    const bool withSequence = row == nullptr || row->code != kFixedOrderBoard;
    if (int32_t r = configureInput(cfg, id, withSequence); r != 0) return failWith(r);
    return 0;
  }

  int32_t start(const SamplingConfig& cfg, bool& useThread) override {
    // A level-triggered block is the block reader's, for the boards that
    // set the back-end flag; every other run is read by the thread.
    useThread = !(cfg.samplingMode == 1 && readsTriggeredBlocks());
    return 0;
  }

  // The flag stays set once any board set it: the board in use decides,
  // so that the reader never drives a device the thread reads.
  bool readsTriggeredBlocks() const override {
    const BoardTypeInfo* row = selection().row.load();
    return row != nullptr && row->setsBackEndFlag;
  }

  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override;

  int32_t readTriggeredBlock(TriggeredBlock& block) override {
    WdmState& s = state();
    return readWdmTriggeredBlock(block, s.id.load(), WdmReadBuffer{readBuffer(), kRingSize, s.used});
  }

  int32_t stop() override {
    if (!state().open.load()) return 0;
    if (int32_t r = callHalvik<&H::XanStopAi>(state().id.load()); r != 0) return failWith(r);
    return 0;
  }

  int32_t close() override {
    const int32_t r = closeDevice();
    WdmState& s = state();
    std::fill(readBuffer(), readBuffer() + s.used, LONG{0});
    s.used = 0;
    return r != 0 ? failWith(r) : 0;
  }

  void listDevices(DeviceLists& lists) const override { listWdmDevices(lists); }

  void setStatusText(int32_t code) const override { setHalvikStatusText(code); }

 private:
  static int32_t closeDevice() {
    WdmState& s = state();
    if (!s.open.exchange(false)) return 0;
    return callHalvik<&H::XanExit>(s.id.exchange(-1));
  }
};

}  // namespace

// One pass: starts the input when it does not run, waits until two chunks
// are sampled, and fetches one chunk (in scans) into the ring.
int32_t WdmBackEnd::fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) {
  scans = 0;
  WdmState& s = state();
  const short id = s.id.load();
  LONG status = 0;
  if (int32_t r = callHalvik<&H::XanGetAiStatus>(id, &status); r != 0) return failWith(r);
  if ((status & kRunning) == 0) {
    if (int32_t r = callHalvik<&H::XanStartAi>(id); r != 0) return stopAndFail(id, r);
  }
  const int32_t chunk = config().chunk;
  LONG sampled = 0;
  do {
    if (ring().stopRequested.load() != 0) return 0;
    Sleep(1);
    if (int32_t r = callHalvik<&H::XanGetAiSamplingCount>(id, &sampled); r != 0) return stopAndFail(id, r);
    if (int32_t r = callHalvik<&H::XanGetAiStatus>(id, &status); r != 0) return stopAndFail(id, r);
    if ((status & kRunning) == 0) {
      // The device ended the run itself (overflow, clock or conversion
      // error): no call failed, so the last status stays; the text says
      // why, and the thread ends as if stopped.
      callHalvik<&H::XanStopAi>(id);
      setWdmInputStatusText(static_cast<uint32_t>(status));
      ring().stopRequested.store(1);
      return 0;
    }
  } while (sampled < LONG{2} * chunk);

  // Never more than the ring takes at the write index.
  const int32_t wanted = std::min(chunk, maxScans);
  if (wanted < 1) return 0;
  LONG count = wanted;
  if (int32_t r = callHalvik<&H::XanGetAiSamplingData>(id, &count, readBuffer()); r != 0) return stopAndFail(id, r);
  // What the device wrote back is what came, never more than was asked.
  const int32_t delivered = static_cast<int32_t>(std::clamp<LONG>(count, 0, wanted));
  const int32_t values = delivered * channels;
  const LONG* buffer = readBuffer();
  for (int32_t i = 0; i < values; ++i) storeSample(dest[i], static_cast<uint16_t>(buffer[i] & 0xFFFF));
  s.used = std::max(s.used, values);
  scans = delivered;
  return 0;
}

void setHalvikStatusText(int32_t code) {
  char text[kHalvikTextBytes] = {};
  if (callHalvik<&H::XanGetErrorString>(static_cast<LONG>(code), text) != 0) text[0] = '\0';
  text[kHalvikTextBytes - 1] = '\0';
  setWdmStatusText(code, text);
}

BackEnd& wdmBackEnd() {
  static WdmBackEnd* instance = new WdmBackEnd;
  return *instance;
}

}  // namespace vekmath
