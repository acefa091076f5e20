// Posting, reading, dispatching and sending messages.
//
// A read takes, in order: calls sent from other threads (run at once),
// posted messages in order, WM_QUIT, WM_PAINT for a window with an update
// region, WM_TIMER for a due timer.
#include <algorithm>

#include "kernel32/process_object.h"
#include "kernel32/waitable.h"
#include "user32/window.h"

using namespace plat::user;
using plat::waitLock;

namespace {

HWND const kThreadOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

bool inRange(UINT message, UINT first, UINT last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

// NULL: everything of the thread; -1: thread messages only; else exact.
bool forWindow(HWND hwnd, HWND filter) {
  if (filter == nullptr) return true;
  if (filter == kThreadOnly) return hwnd == nullptr;
  return hwnd == filter;
}

bool validFilter(HWND filter) {
  if (filter == nullptr || filter == kThreadOnly || IsWindow(filter)) return true;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return false;
}

bool retrieve(MessageQueue& queue, MSG* out, HWND hwnd, UINT first, UINT last, bool remove) {
  std::lock_guard<std::mutex> lock(waitLock());
  const auto now = Clock::now();
  updateTimersLocked(queue, now);
  queue.newBits = 0;
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (forWindow(it->hwnd, hwnd) && inRange(it->message, first, last)) {
      *out = *it;
      if (remove) queue.posted.erase(it);
      return true;
    }
  }
  // WM_QUIT passes every filter, so a loop with a filter still ends.
  if (queue.quit) {
    *out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quit = false;
    return true;
  }
  if (inRange(WM_PAINT, first, last)) {
    auto it = std::find_if(queue.paintPending.begin(), queue.paintPending.end(),
                           [hwnd](HWND h) { return forWindow(h, hwnd); });
    if (it != queue.paintPending.end()) {
      *out = makeMessage(*it, WM_PAINT, 0, 0);  // stays until the region is validated
      return true;
    }
  }
  if (inRange(WM_TIMER, first, last)) {
    for (Timer& timer : queue.timers) {
      if (timer.due > now || !forWindow(timer.hwnd, hwnd)) continue;
      *out = makeMessage(timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc));
      if (remove) {
        timer.due = now + std::chrono::milliseconds(timer.interval);
        timer.reported = false;
      }
      return true;
    }
  }
  return false;
}

// Waits until something new reaches the queue or the time is up, running
// the pump hook every slice. Returns false on time-out.
bool waitForInput(MessageQueue& queue, DWORD milliseconds) {
  // The program now waits for input: the one that started it may go on.
  plat::reportInputIdle();
  const auto deadline = milliseconds == INFINITE ? Clock::time_point::max()
                                                 : Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const bool hook = runPumpHook();
    const auto sliceEnd = hook ? Clock::now() + kPumpSlice : Clock::time_point::max();
    std::unique_lock<std::mutex> lock(waitLock());
    bool spun = false;
    for (;;) {
      const auto now = Clock::now();
      const auto nextTimer = updateTimersLocked(queue, now);
      if (queue.newBits != 0 || !queue.incoming.empty()) return true;
      if (now >= deadline) return false;
      if (now >= sliceEnd) break;
      if (!spun) {
        spun = true;
        const unsigned seen = queue.arrivals.load(std::memory_order_relaxed);
        spinBriefly(lock, [&] { return queue.arrivals.load(std::memory_order_acquire) != seen; });
        continue;
      }
      const auto until = std::min({deadline, nextTimer, sliceEnd});
      if (until == Clock::time_point::max()) {
        plat::waitCondition().wait(lock);
      } else {
        plat::waitCondition().wait_until(lock, until);
      }
    }
  }
}

// Input of the caller's queue as one more object of a kernel wait.
class QueueInput : public plat::KernelObject {
 public:
  QueueInput(QueuePtr queue, DWORD mask)
      : KernelObject(plat::ObjectKind::Other), queue_(std::move(queue)), mask_(mask) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override {
    updateTimersLocked(*queue_, Clock::now());
    return (queue_->newBits & mask_) != 0 || ((mask_ & QS_SENDMESSAGE) && !queue_->incoming.empty());
  }

 private:
  QueuePtr queue_;
  DWORD mask_;
};

DWORD millisecondsUntil(Clock::time_point when, Clock::time_point now) {
  if (when <= now) return 0;
  auto ms = std::chrono::ceil<std::chrono::milliseconds>(when - now).count();
  return static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
}

}  // namespace

PLATFORM_API BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == nullptr) {
    QueuePtr queue = currentQueue();
    std::lock_guard<std::mutex> lock(waitLock());
    return postLocked(*queue, nullptr, message, wParam, lParam) ? TRUE : FALSE;
  }
  if (hwnd == HWND_BROADCAST) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  // Both locks at once: a window being destroyed either takes the message
  // with it or never sees it.
  std::lock_guard<std::mutex> windows(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window || !window->queue) {
    SetLastError(window ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(waitLock());
  if (!postLocked(*window->queue, hwnd, message, wParam, lParam)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(waitLock());
  QueuePtr queue = queueOfThreadLocked(threadId);
  if (!queue || !postLocked(*queue, nullptr, message, wParam, lParam)) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API void WINAPI PostQuitMessage(int exitCode) {
  QueuePtr queue = currentQueue();
  std::lock_guard<std::mutex> lock(waitLock());
  queue->quit = true;
  queue->quitCode = exitCode;
  wakeLocked(*queue, QS_POSTMESSAGE);
}

PLATFORM_API BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT flags) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!validFilter(hwnd)) return FALSE;
  QueuePtr queue = currentQueue();
  runPumpHook();
  processSentCalls(*queue);
  return retrieve(*queue, msg, hwnd, first, last, (flags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

PLATFORM_API BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!validFilter(hwnd)) return -1;
  QueuePtr queue = currentQueue();
  for (;;) {
    processSentCalls(*queue);
    if (retrieve(*queue, msg, hwnd, first, last, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    waitForInput(*queue, INFINITE);
  }
}

PLATFORM_API BOOL WINAPI WaitMessage(void) {
  QueuePtr queue = currentQueue();
  processSentCalls(*queue);
  waitForInput(*queue, INFINITE);
  processSentCalls(*queue);
  return TRUE;
}

// Keys are not translated into characters.
PLATFORM_API BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

PLATFORM_API LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam != 0) {
    runTimerProc(*msg);
    return 0;
  }
  if (msg->hwnd == nullptr) return 0;  // a thread message has no procedure
  if (!IsWindow(msg->hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return callWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

PLATFORM_API LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
  }
  return sendMessage(hwnd, message, wParam, lParam, INFINITE, nullptr);
}

PLATFORM_API LRESULT WINAPI SendMessageTimeoutA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                                                UINT timeout, DWORD_PTR* result) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  bool completed = true;
  LRESULT value = sendMessage(hwnd, message, wParam, lParam, timeout, &completed);
  if (!completed) {
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  if (result) *result = static_cast<DWORD_PTR>(value);
  return 1;
}

PLATFORM_API DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                                    DWORD milliseconds, DWORD wakeMask) {
  if (count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && handles == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  plat::ObjectPtr objects[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = plat::lookupHandle(handles[i]);
    if (!objects[i] || !objects[i]->waitable()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
  QueuePtr queue = currentQueue();
  objects[count] = std::make_shared<QueueInput>(queue, wakeMask);
  const auto start = Clock::now();
  const auto deadline =
      milliseconds == INFINITE ? Clock::time_point::max() : start + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const bool hook = runPumpHook();
    const auto now = Clock::now();
    Clock::time_point until = deadline;
    {
      std::lock_guard<std::mutex> lock(waitLock());
      until = std::min(until, updateTimersLocked(*queue, now));
    }
    if (hook) until = std::min(until, now + kPumpSlice);
    DWORD slice = until == Clock::time_point::max() ? INFINITE : millisecondsUntil(until, now);
    DWORD result = plat::waitForObjects(objects, count + 1, waitAll != FALSE, slice);
    if (result != WAIT_TIMEOUT) return result;
    if (Clock::now() >= deadline) return WAIT_TIMEOUT;
  }
}
