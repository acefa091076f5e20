// The older boards: the library's board opened and its range set at
// SetupSampling, the board-memory acquisition started and read on the
// acquisition thread, stopped and closed on the caller's.
#include "backends/older_vendor_a/older_backend.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <limits>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "backends/older_vendor_a/morvel_call.h"
#include "backends/older_vendor_a/records.h"
#include "backends/older_vendor_a/status_texts.h"
#include "backends/older_vendor_a/triggered_block.h"

namespace vekmath {
namespace {

using M = MorvelBinding;

constexpr uint16_t kFreeRunMode = 4;
constexpr uint16_t kLevelMode = 2;
constexpr uint16_t kLevelBeforeTriggerMode = 3;
// Board states of a board memory that can go on: finished, running,
// stopped. Any other (an error, a full memory, a closed board) ends the run.
constexpr uint16_t kBoardFinished = 0;
constexpr uint16_t kBoardStopped = 4;
constexpr uint16_t kNoSuchIndex = 0xFFFF;  // the library answers it "index out of range"
constexpr uint16_t kNoSuchGroup = 0;       // and this "group out of range"

struct OlderState {
  // Read by the acquisition thread; written only while none runs.
  std::atomic<uint32_t> handle{0};
  std::atomic<bool> open{false};
  OlderBoardRecords records;
};

OlderState& state() {
  static OlderState* instance = new OlderState;
  return *instance;
}

// The values of one read, before they go into the ring sample by sample: a
// read is never more than the ring's slack.
uint16_t* readBuffer() {
  static uint16_t buffer[kRingSlack];
  return buffer;
}

int32_t failWith(int32_t code) {
  setOlderVendorAStatusText(code);
  return code;
}

// A call on the thread failed: the board is stopped and the thread ends
// with the call's code.
int32_t stopAndFail(uint32_t handle, int32_t code) {
  callMorvel<&M::XanStop>(handle);
  return failWith(code);
}

bool boardFailed(uint16_t boardState) {
  return boardState != kBoardFinished && boardState != kOlderBoardRunning && boardState != kBoardStopped;
}

// The device name is the board index in decimal. One beyond 16 bits must
// not wrap onto a real board: it becomes an index the library refuses.
uint16_t boardIndexOf(const char* name) {
  const long index = std::strtol(name, nullptr, 10);
  return index < 0 || index > std::numeric_limits<uint16_t>::max() ? kNoSuchIndex : static_cast<uint16_t>(index);
}

uint16_t groupOf(int32_t boardValue) {
  return boardValue < 0 || boardValue > std::numeric_limits<uint16_t>::max() ? kNoSuchGroup
                                                                             : static_cast<uint16_t>(boardValue);
}

// The library reads the record by the mode it is given.
XanInpBdMemParams* startRecord(OlderBoardRecords& r) {
  if (r.mode == kFreeRunMode) return reinterpret_cast<XanInpBdMemParams*>(&r.freeRun);
  return reinterpret_cast<XanInpBdMemParams*>(&r.level);
}

class OlderVendorABackEnd final : public BackEnd {
 public:
  void attach() override { bindMorvel(); }
  void detach() override { unbindMorvel(); }

  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    OlderState& s = state();
    // A board left open by an earlier set-up would stay open after
    // CloseBoard.
    closeDevice();
    uint32_t handle = 0;
    const SelectionState& sel = selection();
    if (int32_t r = callMorvel<&M::XanOpen>(&handle, boardIndexOf(sel.deviceName), groupOf(sel.boardValue)); r != 0) {
      return failWith(r);
    }
    s.handle.store(handle);
    s.open.store(true);
    if (int32_t r = callMorvel<&M::XanSetRange>(handle, uint8_t{0}, uint8_t{0}, uint16_t{0}, uint16_t{0}); r != 0) {
      closeDevice();
      return failWith(r);
    }
    for (std::size_t i = 0; i < kMaxChannels; ++i) cfg.channelList[i] = static_cast<int16_t>(channelList[i] - 1);
    OlderBoardRecords& records = s.records;
    if (cfg.triggerChannel == 0) {
      cfg.samplingMode = 0;
      records.mode = kFreeRunMode;
      records.freeRun = freeRunRecord(cfg);
    } else {
      cfg.samplingMode = 1;
      records.mode = cfg.eventOffset >= 0 ? kLevelMode : kLevelBeforeTriggerMode;
      records.level = levelRecord(cfg, sel.zeroOffset);
    }
    records.read.firstPosition = 0;
    return 0;
  }

  int32_t start(const SamplingConfig& cfg, bool& useThread) override {
    // A level-triggered block is the block reader's.
    useThread = cfg.samplingMode != 1;
    return 0;
  }

  int32_t fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) override;

  bool readsTriggeredBlocks() const override { return true; }
  int32_t readTriggeredBlock(TriggeredBlock& block) override {
    return readOlderTriggeredBlock(block, state().handle.load(), state().records);
  }

  int32_t stop() override {
    OlderState& s = state();
    if (!s.open.load()) return 0;
    const uint32_t handle = s.handle.load();
    uint16_t boardState = 0;
    uint32_t count = 0;
    if (int32_t r = callMorvel<&M::XanSts>(handle, &boardState, &count, nullptr); r != 0) return failWith(r);
    if (boardState != kOlderBoardRunning) return 0;
    if (int32_t r = callMorvel<&M::XanStop>(handle); r != 0) return failWith(r);
    return 0;
  }

  int32_t close() override {
    const int32_t r = closeDevice();
    return r != 0 ? failWith(r) : 0;
  }

  void setStatusText(int32_t code) const override { setOlderVendorAStatusText(code); }

 private:
  static int32_t closeDevice() {
    OlderState& s = state();
    if (!s.open.exchange(false)) return 0;
    return callMorvel<&M::XanClose>(s.handle.exchange(0));
  }
};

}  // namespace

// One pass: starts the board memory when the board does not run, waits
// until a chunk of scans is held there, and reads it into the ring. The
// wait ends on a stop, on a failed status request and on a board that
// failed; a board that stopped sampling without an error ends the pass
// empty, and the next pass starts it again.
int32_t OlderVendorABackEnd::fetch(uint16_t* dest, int32_t channels, int32_t maxScans, int32_t& scans) {
  scans = 0;
  OlderState& s = state();
  const uint32_t handle = s.handle.load();
  uint16_t boardState = 0;
  uint32_t count = 0;
  if (int32_t r = callMorvel<&M::XanSts>(handle, &boardState, &count, nullptr); r != 0) {
    return stopAndFail(handle, r);
  }
  if (boardFailed(boardState)) return stopAndFail(handle, kOlderBoardError);
  if (boardState != kOlderBoardRunning) {
    if (int32_t r = callMorvel<&M::XanInpBdMem>(handle, s.records.mode, startRecord(s.records), uint32_t{0},
                                                uint16_t{0}, uint32_t{0}, uint16_t{0});
        r != 0) {
      return stopAndFail(handle, r);
    }
  }
  // Never more than the ring takes at the write index.
  const int32_t wanted = channels < 1 ? 0 : std::min({config().chunk, maxScans, kRingSlack / channels});
  if (wanted < 1) {
    // Nothing to wait for: without this the thread would spin a core.
    Sleep(1);
    return 0;
  }
  const uint32_t needed = static_cast<uint32_t>(wanted) * static_cast<uint32_t>(channels);
  for (;;) {
    if (ring().stopRequested.load() != 0) return 0;
    Sleep(1);
    if (int32_t r = callMorvel<&M::XanSts>(handle, &boardState, &count, nullptr); r != 0) {
      return stopAndFail(handle, r);
    }
    if (boardFailed(boardState)) return stopAndFail(handle, kOlderBoardError);
    if (count >= needed) break;
    if (boardState != kOlderBoardRunning) return 0;
  }

  XanReadBufParams& read = s.records.read;
  read.scans = wanted;
  read.array = reinterpret_cast<uintptr_t>(readBuffer());
  if (int32_t r = callMorvel<&M::XanReadBuf>(handle, &read); r != 0) return stopAndFail(handle, r);
  const uint16_t* values = readBuffer();
  for (uint32_t i = 0; i < needed; ++i) storeSample(dest[i], values[i]);
  scans = wanted;
  return 0;
}

const OlderBoardRecords& olderBoardRecords() { return state().records; }

BackEnd& olderVendorABackEnd() {
  static OlderVendorABackEnd* instance = new OlderVendorABackEnd;
  return *instance;
}

}  // namespace vekmath
