#include "worker.h"

#include "codes.h"
#include "io.h"
#include "request.h"

namespace skorra {
namespace {

// Pause after a failing interrupt-wait request before it is issued again,
// so a device gone bad cannot make the worker spin.
constexpr DWORD kRetryPauseMs = 20;

void signal(HANDLE event) {
  if (event != nullptr) SetEvent(event);
}

void call(SkCompletionCallback callback, void* data) {
  if (callback != nullptr) callback(data);
}

uint32_t readDword(WorkerContext& w, uint32_t fn) {
  uint32_t in[2] = {static_cast<uint32_t>(w.n), 0};
  uint32_t out[2];
  if (transact(w.driver, fn, in, sizeof in, out, sizeof out) != 0) return 0;
  return out[1];
}

// Runs after every cause: the driver is asked for its event flags and count
// whether or not anyone listens, so its view of what was reported does not
// depend on a window being registered.
void postMessageStep(WorkerContext& w) {
  DeviceSlot& s = *w.slot;
  uint32_t flags = readDword(w, SKDF_EVENT_FLAGS);
  uint32_t count = readDword(w, SKDF_EVENT_COUNT);
  HWND window = s.messageWindow.load();
  uint32_t message = s.message.load();
  if (window == nullptr || message == 0) return;
  WPARAM wParam = 0;
  if (messageWord(flags, s.messageMask.load(), s.messageHighWord.load(), wParam)) {
    PostMessageA(window, message, wParam, static_cast<LPARAM>(count));
  }
}

// Issues the interrupt wait. Its record and output live in the context,
// which outlasts the request.
enum class Issue { Pending, Completed, Failed };
Issue issueWait(WorkerContext& w) {
  w.wait = OVERLAPPED{};
  w.wait.hEvent = w.interruptEvent;
  DWORD bytes = 0;
  if (devControl(w.driver, controlCode(SKDF_INTERRUPT_WAIT, true), nullptr, 0, &w.waitReply, sizeof w.waitReply, &bytes,
                 &w.wait)) {
    return Issue::Completed;
  }
  return GetLastError() == ERROR_IO_PENDING ? Issue::Pending : Issue::Failed;
}

}  // namespace

bool messageWord(uint32_t flags, uint32_t mask, uint32_t highWord, WPARAM& wParam) {
  uint32_t w = flags & mask & 0x3Fu;
  if (w != 0) {
    wParam = static_cast<WPARAM>(static_cast<uint32_t>((highWord << 16) + w));
    return true;
  }
  if ((flags & mask & 0x40u) != 0) {
    wParam = 0x40;
    return true;
  }
  return false;
}

void handleCause(WorkerContext& w, uint32_t cause) {
  DeviceSlot& s = *w.slot;
  switch (cause) {
    case 0:
      return;
    case 1:
    case 8:
    case 9:
    case 14:
    case 16:
      ResetEvent(w.interruptEvent);
      signal(s.completionEvent.load());
      return;
    case 10:
    case 11:
    case 12:
    case 13: {
      LvSlot& lv = s.lv[cause - 10];
      signal(lv.event.load());
      call(lv.callback.load(), lv.data.load());
      return;
    }
    case 18:
      signal(s.exIntEvent.load());
      call(s.exIntCallback.load(), s.exIntData.load());
      return;
    default:
      ResetEvent(w.interruptEvent);
      signal(s.completionEvent.load());
      call(s.completionCallback.load(), s.callbackData.load());
      signal(w.endEvent);
      signal(w.transferEvent);
      return;
  }
}

DWORD WINAPI workerProc(LPVOID param) {
  WorkerContext& w = *static_cast<WorkerContext*>(param);
  const HANDLE waits[2] = {w.stopEvent, w.interruptEvent};
  for (;;) {
    Issue issued = issueWait(w);
    if (issued == Issue::Failed) {
      if (WaitForSingleObject(w.stopEvent, kRetryPauseMs) != WAIT_TIMEOUT) break;
      continue;
    }
    if (issued == Issue::Pending) {
      DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
      if (r != WAIT_OBJECT_0 + 1) break;
    }
    ResetEvent(w.interruptEvent);
    uint32_t in[2] = {static_cast<uint32_t>(w.n), 0};
    uint32_t out[2];
    if (transact(w.driver, SKDF_INTERRUPT_CAUSE, in, sizeof in, out, sizeof out) == 0) handleCause(w, out[1]);
    postMessageStep(w);
    if (WaitForSingleObject(w.stopEvent, 0) == WAIT_OBJECT_0) break;
  }
  // The pending wait must not complete into a record that is gone.
  if (!requestDone(w.wait)) {
    CancelIoEx(w.driver, &w.wait);
    DWORD bytes = 0;
    if (WaitForSingleObject(w.interruptEvent, 2000) == WAIT_OBJECT_0) {
      GetOverlappedResult(w.driver, &w.wait, &bytes, FALSE);
    }
  }
  signal(w.endEvent);
  signal(w.transferEvent);
  return 0;
}

}  // namespace skorra

