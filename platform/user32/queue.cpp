// Per-thread message queues: creation, the end of a thread, cross-thread
// sends and the toolkit pump hook.
#include "user32/queue.h"

#include <algorithm>
#include <unordered_map>

#include "user32/window.h"

namespace plat::user {

namespace {

std::unordered_map<DWORD, QueuePtr>& registryLocked() {
  static auto* map = new std::unordered_map<DWORD, QueuePtr>;
  return *map;
}

void completeLocked(SentCall& call, LRESULT result) {
  call.result = result;
  call.done = true;
}

// When a thread ends its windows go with it (no messages: nothing can run
// their procedures any more), and senders waiting on it get 0.
void endQueue(const QueuePtr& queue) {
  std::lock_guard<std::mutex> windows(windowLock());
  for (const WindowPtr& window : windowsOfThreadLocked(queue->threadId)) {
    window->cls->windowCount--;
    eraseWindowLocked(window->hwnd);
  }
  std::lock_guard<std::mutex> lock(waitLock());
  queue->alive = false;
  for (const CallPtr& call : queue->incoming) completeLocked(*call, 0);
  queue->incoming.clear();
  queue->posted.clear();
  queue->paintPending.clear();
  queue->timers.clear();
  auto& registry = registryLocked();
  auto it = registry.find(queue->threadId);
  if (it != registry.end() && it->second == queue) registry.erase(it);
  notifyWaiters();
}

struct QueueHolder {
  QueuePtr queue;
  bool ended = false;
  ~QueueHolder() {
    ended = true;
    if (queue) endQueue(queue);
  }
};
thread_local QueueHolder t_holder;

struct PumpHook {
  PlatMessagePumpHook hook = nullptr;
  void* user = nullptr;
  bool running = false;
};
thread_local PumpHook t_pump;

}  // namespace

QueuePtr currentQueue() {
  if (t_holder.queue) return t_holder.queue;
  auto queue = std::make_shared<MessageQueue>(currentThreadId());
  // A call during the thread's own teardown gets a queue nobody can reach.
  if (t_holder.ended) return queue;
  std::lock_guard<std::mutex> lock(waitLock());
  registryLocked()[queue->threadId] = queue;
  t_holder.queue = queue;
  return queue;
}

QueuePtr queueOfThreadLocked(DWORD threadId) {
  auto& registry = registryLocked();
  auto it = registry.find(threadId);
  return it == registry.end() ? nullptr : it->second;
}

void wakeLocked(MessageQueue& queue, DWORD bits) {
  queue.newBits |= bits;
  queue.arrivals.fetch_add(1, std::memory_order_release);
  notifyWaiters();
}

DWORD tickCount() {
  auto since = Clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = tickCount();
  return msg;
}

bool postLocked(MessageQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!queue.alive) return false;
  queue.posted.push_back(makeMessage(hwnd, message, wParam, lParam));
  wakeLocked(queue, QS_POSTMESSAGE | QS_ALLPOSTMESSAGE);
  return true;
}

void forgetWindowLocked(MessageQueue& queue, HWND hwnd) {
  std::erase_if(queue.posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
  std::erase(queue.paintPending, hwnd);
  std::erase_if(queue.timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
  std::erase_if(queue.incoming, [hwnd](const CallPtr& call) {
    if (call->hwnd != hwnd) return false;
    completeLocked(*call, 0);
    return true;
  });
  notifyWaiters();
}

Clock::time_point updateTimersLocked(MessageQueue& queue, Clock::time_point now) {
  Clock::time_point next = Clock::time_point::max();
  for (Timer& timer : queue.timers) {
    if (timer.reported) continue;
    if (timer.due <= now) {
      timer.reported = true;
      queue.newBits |= QS_TIMER;
    } else {
      next = std::min(next, timer.due);
    }
  }
  return next;
}

bool processSentCalls(MessageQueue& queue) {
  bool ran = false;
  for (;;) {
    CallPtr call;
    {
      std::lock_guard<std::mutex> lock(waitLock());
      if (queue.incoming.empty()) return ran;
      call = std::move(queue.incoming.front());
      queue.incoming.pop_front();
    }
    LRESULT result = 0;
    if (call->kind == SentCall::Kind::Destroy) {
      DestroyWindow(call->hwnd);
    } else {
      result = callWindow(call->hwnd, call->message, call->wParam, call->lParam);
    }
    std::lock_guard<std::mutex> lock(waitLock());
    completeLocked(*call, result);
    notifyWaiters();
    ran = true;
  }
}

LRESULT sendAcross(const QueuePtr& target, SentCall::Kind kind, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam, DWORD timeoutMs, bool* completed) {
  QueuePtr self = currentQueue();
  auto call = std::make_shared<SentCall>();
  call->kind = kind;
  call->hwnd = hwnd;
  call->message = message;
  call->wParam = wParam;
  call->lParam = lParam;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

  std::unique_lock<std::mutex> lock(waitLock());
  if (!target->alive) {
    if (completed) *completed = true;
    return 0;
  }
  target->incoming.push_back(call);
  wakeLocked(*target, QS_SENDMESSAGE);
  bool spun = false;
  while (!call->done) {
    // The target may be sending to us while we wait for it.
    if (!self->incoming.empty()) {
      lock.unlock();
      processSentCalls(*self);
      lock.lock();
      continue;
    }
    if (!spun) {
      spun = true;
      spinBriefly(lock, [&] { return call->done.load(std::memory_order_acquire); });
      continue;
    }
    if (timeoutMs == INFINITE) {
      waitCondition().wait(lock);
    } else if (waitCondition().wait_until(lock, deadline) == std::cv_status::timeout && !call->done) {
      std::erase(target->incoming, call);
      if (completed) *completed = false;
      return 0;
    }
  }
  if (completed) *completed = true;
  return call->result;
}

bool hasPumpHook() { return t_pump.hook != nullptr; }

bool runPumpHook() {
  if (t_pump.hook == nullptr) return false;
  if (!t_pump.running) {
    t_pump.running = true;
    t_pump.hook(t_pump.user);
    t_pump.running = false;
  }
  return true;
}

}  // namespace plat::user

PLATFORM_API void WINAPI PlatSetMessagePumpHook(PlatMessagePumpHook hook, void* user) {
  plat::user::t_pump.hook = hook;
  plat::user::t_pump.user = user;
}
