// StartSampling, the acquisition thread, StopSampling and CloseBoard.
//
// The thread and the caller share the ring's counters and flags without a
// lock; the caller-side exports serialise among themselves so that only one
// thread handle is ever live.
#include <windows.h>

#include <mutex>

#include "acquisition/backend.h"
#include "acquisition/library_lifecycle.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "drawing/wave_graph.h"
#include "triggers/trigger_events.h"
#include "vekmath.h"

namespace vekmath {
namespace {

std::mutex& controlLock() {
  static std::mutex lock;
  return lock;
}

DWORD WINAPI acquisitionThread(LPVOID) {
  // The stop flag is not cleared here: StartSampling did, and a stop asked
  // for before this line runs must not be lost.
  Ring& r = ring();
  BackEnd& backEnd = selectedBackEnd();
  TriggerEvents& events = triggerEvents();
  const int32_t channels = config().channels;
  const bool detect = config().detectTriggers == 1 && backEnd.detectsTriggerEvents();
  int32_t status = backEnd.beginThread();
  while (status == 0 && r.stopRequested.load() == 0) {
    int32_t scans = 0;
    const int32_t room = r.roomScans(channels);
    const int32_t before = r.writeIndex.load();
    status = backEnd.fetch(r.samples + before, channels, room, scans);
    if (status != 0) break;
    // The window handed out last lies in the ring's previous lap now.
    if (r.step(channels, scans)) events.onWrap();
    // After the step the pass's data sits at ring positions below the
    // length, where the detector reads it.
    if (detect && scans >= 1) {
      events.detectAndComplete(r.samples, r.length.load(), before, r.writeIndex.load(), scans,
                               r.wrappedForEvents.load() != 0);
    }
  }
  if (status != 0) config().lastStatus.store(status);
  r.running.store(0);
  r.stopRequested.store(0);
  return 0;
}

// Asks the thread to end, waits for it (at most timeoutMs) and forgets its
// handle. False when the thread still runs after the wait.
bool joinThread(DWORD timeoutMs = INFINITE) {
  Ring& r = ring();
  r.stopRequested.store(1);
  HANDLE thread = r.thread.exchange(nullptr);
  if (thread == nullptr) return true;
  DWORD code = 0;
  if (GetExitCodeThread(thread, &code) && code == STILL_ACTIVE &&
      WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) {
    // Still running: keep the handle, so nothing closes the device under it.
    r.thread.store(thread);
    return false;
  }
  CloseHandle(thread);
  return true;
}

bool threadAlive() {
  HANDLE thread = ring().thread.load();
  DWORD code = 0;
  return thread != nullptr && GetExitCodeThread(thread, &code) && code == STILL_ACTIVE;
}

// Records a failure of a later step; the steps after it still run.
void noteFailure(int32_t status) {
  if (status != 0) config().lastStatus.store(status);
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI StartSampling(LONG* status) {
  using namespace vekmath;
  std::lock_guard<std::mutex> guard(controlLock());
  Ring& r = ring();
  // Refused runs are reported and leave the started flag alone, so the
  // monitor draws no run that never began. One thread writes the ring.
  if (config().lastStatus.load() != 0 || threadAlive()) {
    reportLastStatus(status);
    return;
  }
  joinThread();  // a thread that ended on a failure leaves its handle
  r.started.store(1);
  r.clearForRun();
  // Events and crossings of an earlier run point into a ring just cleared.
  triggerEvents().reset();
  triggerEvents().arm(currentTriggerSettings());
  restartSweep();
  bool useThread = false;
  const int32_t result = selectedBackEnd().start(config(), useThread);
  if (result != 0) {
    config().lastStatus.store(result);
    r.started.store(0);
  } else if (useThread) {
    r.running.store(1);
    HANDLE thread = CreateThread(nullptr, 0, acquisitionThread, nullptr, 0, nullptr);
    if (thread == nullptr) {
      r.running.store(0);
    } else {
      SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
      r.thread.store(thread);
    }
  }
  reportLastStatus(status);
}

namespace vekmath {

bool stopAcquisition(DWORD joinMs, bool redraw) {
  std::lock_guard<std::mutex> guard(controlLock());
  ring().started.store(0);
  // A device is never stopped under a thread that still reads it.
  if (!joinThread(joinMs)) return false;
  noteFailure(selectedBackEnd().stop());
  if (redraw) redrawWaveGraph();
  return true;
}

bool closeAcquisition(DWORD joinMs) {
  std::lock_guard<std::mutex> guard(controlLock());
  Ring& r = ring();
  // Closing under a running reader would pull the device from under it.
  if (r.thread.load() != nullptr) {
    if (!joinThread(joinMs)) return false;
    noteFailure(selectedBackEnd().stop());
  }
  r.stopRequested.store(1);
  r.started.store(0);
  noteFailure(selectedBackEnd().close());
  return true;
}

}  // namespace vekmath

DLL_EXPORT LONG WINAPI StopSampling(LONG* status) {
  vekmath::stopAcquisition(INFINITE, true);
  return vekmath::reportLastStatus(status);
}

DLL_EXPORT void WINAPI CloseBoard(LONG* status) {
  vekmath::closeAcquisition(INFINITE);
  vekmath::reportLastStatus(status);
}
