// StartSampling, the acquisition thread, StopSampling and CloseBoard.
//
// The thread and the caller share the ring's counters and flags without a
// lock; the caller-side exports serialise among themselves so that only one
// thread handle is ever live.
#include <windows.h>

#include <mutex>

#include "backend.h"
#include "ring.h"
#include "state.h"
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
  const int32_t channels = config().channels;
  int32_t status = backEnd.beginThread();
  while (status == 0 && r.stopRequested.load() == 0) {
    int32_t scans = 0;
    const int32_t room = r.roomScans(channels);
    status = backEnd.fetch(r.samples + r.writeIndex.load(), channels, room, scans);
    if (status == 0) r.step(channels, scans);
  }
  if (status != 0) config().lastStatus.store(status);
  r.running.store(0);
  r.stopRequested.store(0);
  return 0;
}

// Asks the thread to end, waits for it and forgets its handle.
void joinThread() {
  Ring& r = ring();
  r.stopRequested.store(1);
  HANDLE thread = r.thread.exchange(nullptr);
  if (thread == nullptr) return;
  DWORD code = 0;
  if (GetExitCodeThread(thread, &code) && code == STILL_ACTIVE) WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
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

DLL_EXPORT LONG WINAPI StopSampling(LONG* status) {
  using namespace vekmath;
  std::lock_guard<std::mutex> guard(controlLock());
  ring().started.store(0);
  joinThread();
  noteFailure(selectedBackEnd().stop());
  return reportLastStatus(status);
}

DLL_EXPORT void WINAPI CloseBoard(LONG* status) {
  using namespace vekmath;
  std::lock_guard<std::mutex> guard(controlLock());
  Ring& r = ring();
  // Closing under a running reader would pull the device from under it.
  if (r.thread.load() != nullptr) {
    joinThread();
    noteFailure(selectedBackEnd().stop());
  }
  r.stopRequested.store(1);
  r.started.store(0);
  noteFailure(selectedBackEnd().close());
  reportLastStatus(status);
}
