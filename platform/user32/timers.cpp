// Timers. A timer is a due time in its thread's queue; WM_TIMER is made
// when the queue is read, so missed ticks never pile up.
#include <algorithm>
#include <atomic>

#include "user32/window.h"

namespace plat::user {

namespace {
// Minimum and maximum periods, as Windows clamps them.
constexpr UINT kMinimumPeriod = 10;
constexpr UINT kMaximumPeriod = 0x7FFFFFFF;
// Ids of timers without a window, apart from the ids callers choose for
// their windows' timers.
std::atomic<UINT_PTR> g_nextThreadTimerId{0x7F00};

Timer* findTimerLocked(MessageQueue& queue, HWND hwnd, UINT_PTR id) {
  auto it = std::find_if(queue.timers.begin(), queue.timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  return it == queue.timers.end() ? nullptr : &*it;
}

// The queue that holds hwnd's timers: its window's, or the caller's for
// thread timers. Under windowLock().
QueuePtr timerQueueLocked(HWND hwnd) {
  if (hwnd == nullptr) return currentQueue();
  WindowPtr window = findWindowLocked(hwnd);
  if (!window || !window->queue) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window ? window->queue : nullptr;
}
}  // namespace

bool runTimerProc(const MSG& msg) {
  QueuePtr queue = currentQueue();
  TIMERPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lock(waitLock());
    Timer* timer = findTimerLocked(*queue, msg.hwnd, msg.wParam);
    if (timer && reinterpret_cast<LPARAM>(timer->proc) == msg.lParam) proc = timer->proc;
  }
  if (!proc) return false;
  proc(msg.hwnd, WM_TIMER, msg.wParam, tickCount());
  return true;
}

}  // namespace plat::user

using namespace plat::user;

PLATFORM_API UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  std::lock_guard<std::mutex> windows(windowLock());
  QueuePtr queue = timerQueueLocked(hwnd);
  if (!queue) return 0;
  UINT interval = std::clamp(elapse, kMinimumPeriod, kMaximumPeriod);
  std::lock_guard<std::mutex> lock(plat::waitLock());
  if (hwnd == nullptr && (id == 0 || !findTimerLocked(*queue, nullptr, id))) id = g_nextThreadTimerId++;
  Timer fresh{hwnd, id, interval, proc, Clock::now() + std::chrono::milliseconds(interval), false};
  if (Timer* existing = findTimerLocked(*queue, hwnd, id)) {
    *existing = fresh;
  } else {
    queue->timers.push_back(fresh);
  }
  plat::notifyWaiters();  // waiters recompute their next due time
  return id != 0 ? id : 1;
}

PLATFORM_API BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  std::lock_guard<std::mutex> windows(windowLock());
  QueuePtr queue = timerQueueLocked(hwnd);
  if (!queue) return FALSE;
  std::lock_guard<std::mutex> lock(plat::waitLock());
  Timer* timer = findTimerLocked(*queue, hwnd, id);
  if (!timer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::erase_if(queue->timers, [&](const Timer& t) { return &t == timer; });
  return TRUE;
}
