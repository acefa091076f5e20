// ReadBlock: the monitor's blocking read of one block, with the live sweep
// drawn from every pass's new samples.
//
// The reader keeps its own position in the ring, from the ring start at
// every StartSampling: the thread appends scan after scan and wraps at the
// ring length, so the unread samples always begin where the last pass
// stopped. Reading it off the write index and
// the unread count instead would need both from one instant, which the
// thread's two separate stores do not give.
#include "blocks/read_block.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "drawing/live_draw.h"
#include "drawing/wave_graph.h"
#include "status/status_texts.h"
#include "triggers/trigger_events.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// The ring position of the next unread sample.
struct ReaderState {
  int64_t position = 0;
};

ReaderState& reader() {
  static ReaderState state;
  return state;
}

void stampBlockTime() {
  CameraMarks& marks = cameraMarks();
  if (marks.recording.load() != 1 || marks.paused.load() != 0) return;
  const int32_t at = marks.blockCount.load();
  // A full table keeps its stamps; later blocks go unstamped.
  if (at < 0 || at >= kBlockTimeEntries) return;
  marks.blockTimes[at] = timeGetTime();
  marks.blockCount.store(at + 1);
}

// What is subtracted from each channel's raw counts.
struct Offsets {
  uint16_t of[kMaxChannels] = {};
  explicit Offsets(int32_t channels) {
    const uint16_t zero = static_cast<uint16_t>(selection().zeroOffset);
    for (int32_t c = 0; c < channels; ++c) of[c] = config().dataFormat[c] == 1 ? 0 : zero;
  }
};

// Copies count samples to out; element i of out is channel (first + i) mod channels.
void copyOut(const uint16_t* from, int64_t count, int64_t first, int32_t channels, const Offsets& o, SHORT* out) {
  int32_t c = static_cast<int32_t>(first % channels);
  for (int64_t i = 0; i < count; ++i) {
    out[i] = static_cast<SHORT>(static_cast<uint16_t>(loadSample(from[i]) - o.of[c]));
    if (++c == channels) c = 0;
  }
}

// Event mode hands out trigger-event windows where the back end's reads
// carry them; elsewhere it takes the ring road without the running check.
bool eventRoad(const BackEnd& backEnd) { return config().samplingMode == 2 && backEnd.detectsTriggerEvents(); }

// A run is on while its flag is up and neither StopSampling nor
// CloseBoard has ended it (a handler in the pump may call either).
bool runOn() {
  Ring& r = ring();
  return r.running.load() == 1 && r.started.load() == 1 && r.stopRequested.load() == 0;
}

// Waits for the next completed trigger event and hands out its window.
int32_t readEvent(SHORT* buffer, int64_t total, int32_t channels) {
  while (triggerEvents().completedCount() == 0) {
    pumpOneMessage();
    Sleep(1);
    if (config().lastStatus.load() != 0) return config().lastStatus.load();
    if (!runOn()) return kStatusParameter;
  }
  uint16_t* window = eventWindowBuffer();
  const TakenEvent taken = takeNextEventWindow(window, kEventWindowCapacity);
  const int64_t copied = std::min<int64_t>(total, taken.taken ? taken.samples : 0);
  copyOut(window, copied, 0, channels, Offsets(channels), buffer);
  // A window shorter than the block leaves no stale counts behind it.
  std::fill(buffer + copied, buffer + total, SHORT{0});
  return config().lastStatus.load();
}

// A level-triggered block is acquired by the family itself, one per call,
// where the board type sets the back-end flag.
bool triggeredRoad(const BackEnd& backEnd) {
  return config().samplingMode == 1 && selection().backEndFlag.load() == 1 && backEnd.readsTriggeredBlocks();
}

struct Outputs {
  LONG* running;
  LONG* status;
  int32_t put(int32_t run, int32_t result) const {
    if (running != nullptr) *running = run;
    if (status != nullptr) *status = result;
    return result;
  }
};

// One triggered acquisition into the event-window buffer, then out to the
// caller. A stop (asked for before or during the wait) leaves the buffer
// alone and reads as stopped. A failing family call is kept as the last
// status and reported at once, like every other failed state; its block
// is not handed out.
int32_t readTriggered(SHORT* buffer, int32_t scans, int32_t channels, BackEnd& backEnd, const Outputs& out) {
  Ring& r = ring();
  if (r.stopRequested.load() != 0) return out.put(0, kStatusStopped);
  // The family may write one scan beyond the block.
  if ((int64_t{scans} + 1) * channels > static_cast<int64_t>(kEventWindowCapacity)) {
    return out.put(r.running.load(), kStatusParameter);
  }
  TriggeredBlock block;
  block.window = eventWindowBuffer();
  block.channels = channels;
  block.scans = scans;
  const int32_t result = backEnd.readTriggeredBlock(block);
  if (!block.writeOutputs) return result;
  if (r.stopRequested.load() != 0) return out.put(0, kStatusStopped);
  if (result != 0) {
    config().lastStatus.store(result);
    return out.put(r.running.load(), result);
  }
  const int64_t leading = std::clamp<int64_t>(block.leading, 0, scans);
  const int64_t filled = std::clamp<int64_t>(block.filled, 0, scans - leading);
  // The window holds one scan more than the block, no further.
  const int64_t skipped = std::clamp<int64_t>(block.skipped, 0, 1);
  SHORT* at = buffer;
  at = std::fill_n(at, leading * channels, SHORT{0});
  copyOut(block.window + skipped * channels, filled * channels, 0, channels, Offsets(channels), at);
  std::fill(at + filled * channels, buffer + int64_t{scans} * channels, SHORT{0});
  return out.put(r.running.load(), config().lastStatus.load());
}

// Takes up to `wanted` unread samples in time order; count 0 when none.
RingSpan takeUnread(int64_t wanted) {
  Ring& r = ring();
  ReaderState& st = reader();
  RingSpan span;
  const int64_t length = r.length.load();
  const int64_t unread = r.unread.load();
  if (length <= 0 || unread <= 0) return span;
  if (unread >= length) {
    // The thread has overwritten what was not read: hand out the whole
    // ring, oldest first, as it stands now.
    st.position = r.writeIndex.load();
  }
  st.position = ((st.position % length) + length) % length;  // a ring made shorter since
  const int64_t n = std::min({unread, wanted, length});
  span.first = r.samples + st.position;
  span.firstCount = std::min(n, length - st.position);
  span.second = r.samples;
  span.count = n;
  return span;
}

int32_t readRing(SHORT* buffer, int64_t total, int32_t channels, BackEnd& backEnd) {
  Ring& r = ring();
  SamplingConfig& cfg = config();
  const bool eventMode = cfg.samplingMode == 2;
  const bool waits = backEnd.readerWaitsPerPass();
  const Offsets offsets(channels);
  int64_t done = 0;
  while (done < total) {
    // A failing back end ends the thread too: its own code is the answer.
    if (cfg.lastStatus.load() != 0) break;
    // A board that runs without the acquisition thread has the reader move
    // its samples into the ring, once per pass.
    bool slept = false;
    if (runOn()) {
      if (const int32_t polled = backEnd.poll(channels, static_cast<int32_t>(total / channels), slept);
          polled != 0) {
        cfg.lastStatus.store(polled);
        break;
      }
    }
    if (!runOn()) {
      // Only a continuous read records it: the run ended under it.
      if (!eventMode) cfg.lastStatus.store(kStatusParameter);
      return kStatusParameter;
    }
    pumpOneMessage();
    // One sleep at most per pass: a poll that waited for the board has had it.
    if (waits && !slept) Sleep(1);

    const RingSpan span = takeUnread(total - done);
    if (span.count <= 0) continue;
    copyOut(span.first, span.firstCount, done, channels, offsets, buffer + done);
    copyOut(span.second, span.count - span.firstCount, done + span.firstCount, channels, offsets,
            buffer + done + span.firstCount);
    ReaderState& st = reader();
    st.position = (st.position + span.count) % std::max<int64_t>(r.length.load(), 1);
    if (!eventMode) r.unread.fetch_sub(static_cast<int32_t>(span.count));
    done += span.count;
    drawLiveStrip(span, channels);
  }
  return cfg.lastStatus.load();
}

}  // namespace

void pumpOneMessage() {
  MSG msg;
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

CameraMarks& cameraMarks() {
  static CameraMarks* marks = new CameraMarks;
  return *marks;
}

void resetReaderForRun() {
  reader() = ReaderState{};
  cameraMarks().blockCount.store(0);
}

}  // namespace vekmath

DLL_EXPORT LONG WINAPI ReadBlock(SHORT* buffer, LONG scans, LONG* running, LONG* status) {
  using namespace vekmath;
  stampBlockTime();
  SamplingConfig& cfg = config();
  auto finish = [&](int32_t result) {
    if (running != nullptr) *running = ring().running.load();
    if (status != nullptr) *status = result;
    return result;
  };
  // A failed state is reported, not left for a caller that trusts a 0 it
  // put there itself.
  if (cfg.lastStatus.load() != 0) return finish(cfg.lastStatus.load());
  const int32_t channels = cfg.channels;
  const int64_t total = int64_t{channels} * scans;
  if (total <= 0) return finish(cfg.lastStatus.load());
  if (buffer == nullptr || channels > static_cast<int32_t>(kMaxChannels)) return finish(kStatusParameter);
  BackEnd& backEnd = selectedBackEnd();
  if (triggeredRoad(backEnd)) return readTriggered(buffer, scans, channels, backEnd, Outputs{running, status});
  if (eventRoad(backEnd)) return finish(readEvent(buffer, total, channels));
  return finish(readRing(buffer, total, channels, backEnd));
}
