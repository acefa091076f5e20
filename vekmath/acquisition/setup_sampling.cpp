// SetupSampling and its side settings: checks, derived values, the back
// end's open and configure, and the ring length.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/board_table.h"
#include "acquisition/ring.h"
#include "acquisition/ring_length.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "status/status_texts.h"
#include "triggers/trigger_events.h"
#include "vekmath.h"

namespace vekmath {
namespace {

int32_t chunkFor(int32_t rate) {
  if (rate < 100) return 1;
  return rate % 10 == 0 ? rate / 10 : rate / 8;
}

void fail(SamplingConfig& cfg, int32_t status) {
  cfg.lastStatus.store(status);
  setOwnStatusText(status);
}

// The zero offset and resolution of the selected board's row, so that no
// value left by an earlier board type shifts the samples. A back end that
// learns them from its device overrides them in its configure.
void applyBoardRow() {
  const BoardTypeInfo* row = selection().row.load();
  if (row == nullptr) return;
  SelectionState& s = selection();
  if (row->zeroOffset != kNotSet) s.zeroOffset = row->zeroOffset;
  if (row->bits != kNotSet) s.resolution = row->bits;
}

// A run reads the channel count and ring length on its thread.
bool acquisitionActive() {
  const Ring& r = ring();
  return r.started.load() != 0 || r.running.load() != 0;
}

}  // namespace

int64_t ringLengthFor(SamplingConfig& cfg) {
  const int64_t n = cfg.channels;
  if (n <= 0) return -1;
  int64_t length;
  if (cfg.triggerChannel > 0) {
    length = kRingCapacity / n * n;
  } else {
    if (cfg.monitorSpan == 0) cfg.monitorSpan = cfg.blockScans;
    const int64_t b = cfg.monitorSpan;
    if (b <= 0) return 0;
    length = cfg.periodUs == 1000 ? b * (kRingCapacity / b) : b * n;
    length -= length % n;
  }
  return length >= 1 && length <= kRingCapacity ? length : 0;
}

}  // namespace vekmath

DLL_EXPORT void WINAPI SetupSampling(LONG channels, const SHORT* channelList, LONG blockScans, LONG scanClockUs,
                                     LONG periodUs, LONG eventOffset, LONG triggerChannel, LONG levelB, LONG levelA,
                                     LONG* status) {
  using namespace vekmath;
  SamplingConfig& cfg = config();
  // Refused while a run is on: the configuration stays as the run uses it
  // and the caller gets the last status.
  if (acquisitionActive()) {
    reportLastStatus(status);
    return;
  }
  cfg.channels = static_cast<int16_t>(channels & 0xFFFF);
  cfg.blockScans = blockScans;
  cfg.scanClockUs = scanClockUs;
  cfg.periodUs = periodUs;
  // A period of 0 or less is refused below; it must not divide first.
  cfg.rate = periodUs > 0 ? 1000000 / periodUs : 0;
  cfg.chunk = chunkFor(cfg.rate);
  cfg.eventOffset = eventOffset;
  cfg.levelA = static_cast<int16_t>(levelA & 0xFFFF);
  // Below 0 means no level trigger, as 0 does, for every back end alike.
  cfg.triggerChannel = std::max<LONG>(triggerChannel, 0);
  cfg.levelB = static_cast<int16_t>(levelB & 0xFFFF);
  cfg.lastStatus.store(0);

  BackEnd& backEnd = selectedBackEnd();
  const int64_t needed = int64_t{cfg.channels} * scanClockUs + 1;
  const bool clockFails = periodUs <= 0 || (backEnd.checksScanClock() && periodUs < needed);

  // A trigger channel outside the scan would make the detector read other
  // channels, or past the ring.
  if (cfg.channels < 0 || cfg.channels > static_cast<int32_t>(kMaxChannels) || cfg.triggerChannel > cfg.channels) {
    fail(cfg, kStatusParameter);
    reportLastStatus(status);
    return;
  }
  if (clockFails) {
    fail(cfg, kStatusClock);
    reportLastStatus(status);
    return;
  }
  cfg.triggerDirection = cfg.levelB >= cfg.levelA ? 1 : 0;

  applyBoardRow();
  int16_t list[kMaxChannels] = {};
  if (channelList != nullptr) std::memcpy(list, channelList, sizeof list);
  int32_t result = backEnd.configure(cfg, list);
  if (result != 0) {
    cfg.lastStatus.store(result);
    if (!backEnd.ringFollowsFailure(result)) {
      reportLastStatus(status);
      return;
    }
  }

  int64_t length = ringLengthFor(cfg);
  if (length == 0) {
    ring().length.store(0);
    fail(cfg, kStatusRingLength);
  } else if (length > 0) {
    ring().length.store(static_cast<int32_t>(length));
  }
  reportLastStatus(status);
}

DLL_EXPORT void WINAPI SetupSampling2(const LONG* formatTable, LONG value, LONG* status) {
  using namespace vekmath;
  SamplingConfig& cfg = config();
  if (formatTable != nullptr) std::memcpy(cfg.dataFormat, formatTable, sizeof cfg.dataFormat);
  cfg.setupValue = value;
  reportLastStatus(status);
}

DLL_EXPORT void WINAPI SetupSampling3(LONG detect) {
  vekmath::config().detectTriggers = detect;
  vekmath::triggerEvents().reset();
}
