// Vendor B's boards: open and configure at SetupSampling, start at
// StartSampling, and nothing on the acquisition thread, which these boards
// do without.
#include "backends/vendor_b/vendor_b_backend.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/selection.h"
#include "backends/vendor_b/status_texts.h"
#include "backends/vendor_b/triggered_block.h"
#include "status/status_texts.h"

namespace vekmath {
namespace {

// "data format invalid": a board that reports no usable resolution.
constexpr uint32_t kDataFormatInvalid = 0xC0001061u;
constexpr int kResolutionValue = 5;  // the sixth of the ten information values
constexpr uint32_t kWaitAtOnce = 2;

// The block reader and the camera's frame callback read the handle while
// the caller's exports replace it.
struct VendorBState {
  std::atomic<HANDLE> handle{nullptr};
  // Scans fetched in this run: the board's own count is compared with it
  // to see whether anything new has come.
  std::atomic<int64_t> fetched{0};
  SkSamplingConfig normal{};
  SkBmSamplingConfig busMaster{};
};

VendorBState& state() {
  static VendorBState* instance = new VendorBState;
  return *instance;
}

int32_t failWith(uint32_t code) {
  setVendorBStatusText(code);
  return static_cast<int32_t>(code);
}

void closeHandle() {
  HANDLE h = state().handle.exchange(nullptr);
  if (h != nullptr) SkClose(h);
}

class VendorBBackEnd final : public BackEnd {
 public:
  // The board paces its own scans from the frequency it is given.
  bool checksScanClock() const override { return false; }

  int32_t configure(SamplingConfig& cfg, const int16_t* channelList) override {
    const BoardTypeInfo* board = selection().row.load();
    if (board == nullptr) return 0;
    // A second SetupSampling opens the board again; the handle of the
    // first would leak.
    closeHandle();
    HANDLE h = SkOpen(selection().deviceName);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return failWith(kVendorBDeviceNotFound);
    state().handle.store(h);

    uint32_t info[10] = {};
    if (SkResult r = SkGetDeviceInfo(h, info); r != 0) return failWith(r);
    const uint32_t bits = info[kResolutionValue];
    // The zero offset is 2^(bits - 1); anything outside 1..16 bits would
    // make it 0 or too wide for the 16-bit samples.
    if (bits < 1 || bits > 16) return failWith(kDataFormatInvalid);
    const int32_t zero = 1 << (bits - 1);
    selection().zeroOffset = zero;
    std::memcpy(cfg.channelList, channelList, sizeof cfg.channelList);
    cfg.samplingMode = cfg.triggerChannel > 0 ? 1 : 0;

    VendorBState& s = state();
    if (board->busMaster) {
      if (SkResult r = SkBmGetSamplingConfig(h, &s.busMaster); r != 0) return failWith(r);
      if (int32_t own = fillBmRecord(s.busMaster, cfg, zero); own != 0) {
        setOwnStatusText(own);
        return own;
      }
      if (SkResult r = SkSetBoardConfig(h, nullptr, nullptr, nullptr); r != 0) return failWith(r);
      if (SkResult r = SkBmSetSamplingConfig(h, &s.busMaster); r != 0) return failWith(r);
      return 0;
    }
    // What the board held is only a base: every field that matters is
    // written below, so a failed read-back changes nothing.
    (void)SkGetSamplingConfig(h, &s.normal);
    fillNormalRecord(s.normal, cfg, *board, zero);
    if (SkResult r = SkSetBoardConfig(h, nullptr, nullptr, nullptr); r != 0) return failWith(r);
    if (SkResult r = SkSetSamplingConfig(h, &s.normal); r != 0) return failWith(r);
    setStepText(StepText::SamplingConfigured);
    return 0;
  }

  int32_t start(const SamplingConfig& cfg, bool& useThread) override {
    useThread = false;
    // A triggered block is started by the block reader, one per block.
    if (cfg.samplingMode == 1) return 0;
    if (SkResult r = SkStartSampling(state().handle.load(), kWaitAtOnce); r != 0) return failWith(r);
    state().fetched.store(0);
    // The board runs on its own; the block reader keeps the run flag.
    ring().running.store(1);
    return 0;
  }

  int32_t poll(int32_t channels, int32_t blockScans, bool& slept) override;

  bool readsTriggeredBlocks() const override { return true; }
  int32_t readTriggeredBlock(TriggeredBlock& block) override {
    VendorBState& s = state();
    return readVendorBTriggeredBlock(block, VendorBBoardView{s.handle, s.normal.triggerPoint, config().blockScans});
  }

  int32_t stop() override {
    HANDLE h = state().handle.load();
    if (h != nullptr) (void)SkStopSampling(h);
    // Without a thread nobody else ends the run. The stop flag stays up:
    // only a thread takes it down, and the status reads as stopped until
    // the next start clears it.
    ring().running.store(0);
    return 0;
  }

  int32_t close() override {
    closeHandle();
    releaseSingleShot();
    ring().running.store(0);
    return 0;
  }

  bool boardSampledScans(int32_t& scans) const override {
    HANDLE h = state().handle.load();
    int32_t boardState = 0, sampled = 0, unused = 0;
    if (h == nullptr || SkGetStatus(h, &boardState, &sampled, &unused) != 0) return false;
    scans = sampled;
    return true;
  }

  void listDevices(DeviceLists& lists) const override { listVendorBDevices(lists); }

  void setStatusText(int32_t code) const override { setVendorBStatusText(static_cast<uint32_t>(code)); }
};

}  // namespace

BackEnd& vendorBBackEnd() {
  static VendorBBackEnd* instance = new VendorBBackEnd;
  return *instance;
}

HANDLE vendorBHandle() { return state().handle.load(); }

// When the board has sampled scans not fetched yet, fetches what fits at the
// ring's write index (at most a tenth of a second's worth, or blockScans in
// bus-master mode) and steps the ring. Only the continuous road is polled: a
// triggered block is the block reader's own road.
int32_t VendorBBackEnd::poll(int32_t channels, int32_t blockScans, bool& slept) {
  VendorBState& s = state();
  HANDLE h = s.handle.load();
  if (h == nullptr || channels <= 0 || config().samplingMode != 0) return 0;
  int32_t boardState = 0, sampled = 0, unused = 0;
  if (SkResult r = SkGetStatus(h, &boardState, &sampled, &unused); r != 0) return failWith(r);
  if (sampled == s.fetched.load() && boardState != SK_STATE_STOPPED) {
    // Nothing new yet: the pass's one sleep goes here, so that the samples
    // of that millisecond are fetched, drawn and handed out in this pass.
    // One sleep only: the reader pumps a message between two waits.
    Sleep(1);
    slept = true;
    if (SkResult r = SkGetStatus(h, &boardState, &sampled, &unused); r != 0) return failWith(r);
  }
  if (sampled == s.fetched.load()) {
    // The board stopped by itself and has nothing more to give: the run is
    // over, and the reader reports it rather than waiting for ever.
    if (boardState == SK_STATE_STOPPED) ring().running.store(0);
    return 0;
  }
  // Bus-master runs hand over a block at a time; the normal mode a tenth
  // of a second's worth.
  const BoardTypeInfo* board = selection().row.load();
  const bool busMaster = board != nullptr && board->busMaster;
  const int32_t wanted = busMaster ? blockScans : config().rate / 10;
  Ring& ring = vekmath::ring();
  const int32_t room = ring.roomScans(channels);
  if (room < 1) return 0;
  uint32_t count = static_cast<uint32_t>(std::clamp(wanted, 1, room));
  if (SkResult r = SkGetSamplingData(h, ring.samples + ring.writeIndex.load(), &count); r != 0) return failWith(r);
  const int32_t delivered = static_cast<int32_t>(std::min<uint32_t>(count, static_cast<uint32_t>(room)));
  if (delivered == 0 && boardState == SK_STATE_STOPPED) ring.running.store(0);
  s.fetched.fetch_add(delivered);
  ring.step(channels, delivered);
  return 0;
}

}  // namespace vekmath
