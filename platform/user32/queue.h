// Per-thread message queues.
//
// A queue's state is guarded by plat::waitLock(), the lock of every kernel
// object, so a post wakes MsgWaitForMultipleObjects through the same
// condition as an event, and one wait can watch both.
#pragma once
#include <windows.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "kernel32/object.h"

namespace plat::user {

using Clock = std::chrono::steady_clock;

// A SendMessageA call from another thread, waiting for its result.
struct SentCall {
  enum class Kind { Message, Destroy };
  Kind kind = Kind::Message;
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;  // under waitLock
  std::atomic<bool> done{false};  // set under waitLock; read without it while spinning
};
using CallPtr = std::shared_ptr<SentCall>;

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT interval;
  TIMERPROC proc;
  Clock::time_point due;
  bool reported;  // its being due has been counted as new input
};

class MessageQueue {
 public:
  explicit MessageQueue(DWORD threadId) : threadId(threadId) {}
  const DWORD threadId;
  // All below under waitLock().
  std::deque<MSG> posted;
  std::deque<CallPtr> incoming;
  std::vector<HWND> paintPending;
  std::vector<Timer> timers;
  bool quit = false;
  int quitCode = 0;
  DWORD newBits = 0;  // QS_* that arrived since the thread last read its queue
  // Counts every wakeLocked, for a waiter that spins without the lock.
  std::atomic<unsigned> arrivals{0};
  bool alive = true;
};
using QueuePtr = std::shared_ptr<MessageQueue>;

// The calling thread's queue, made on first use and ended with the thread.
QueuePtr currentQueue();
// Under waitLock(): the queue of a thread, nullptr when it has none.
QueuePtr queueOfThreadLocked(DWORD threadId);

// Under waitLock(): marks input as new and wakes every waiter.
void wakeLocked(MessageQueue& queue, DWORD bits);
// Under waitLock(): appends a posted message; false once the queue ended.
bool postLocked(MessageQueue& queue, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Under waitLock(): ends the sent calls to hwnd (result 0) and forgets its
// posted messages, pending paint and timers.
void forgetWindowLocked(MessageQueue& queue, HWND hwnd);

// Under waitLock(): timers that fell due count as new input; returns the
// earliest moment a timer not yet counted falls due (max() for none).
Clock::time_point updateTimersLocked(MessageQueue& queue, Clock::time_point now);

// Runs the sent calls waiting in the caller's own queue; true if any ran.
bool processSentCalls(MessageQueue& queue);
// Sends to a window of another thread and waits for the result, running
// calls sent to the caller meanwhile. timeoutMs INFINITE waits for ever;
// completed is false on time-out.
LRESULT sendAcross(const QueuePtr& target, SentCall::Kind kind, HWND hwnd, UINT message, WPARAM wParam,
                   LPARAM lParam, DWORD timeoutMs, bool* completed);

// An answer from another thread usually comes within microseconds; looking
// for it a little while before sleeping saves a wake-up, which costs more
// than the call itself. Drops the held lock while spinning on ready (which
// reads atomics only) and takes it again before returning.
template <class Ready>
void spinBriefly(std::unique_lock<std::mutex>& lock, Ready ready) {
  constexpr auto kSpin = std::chrono::microseconds(30);
  lock.unlock();
  const auto until = Clock::now() + kSpin;
  while (!ready() && Clock::now() < until) {
#if defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  }
  lock.lock();
}

// Runs the calling thread's toolkit pump hook, if it has one and is not
// already inside it. Returns whether the thread has a hook.
bool runPumpHook();
bool hasPumpHook();
// How long a wait sleeps between two runs of the pump hook.
constexpr std::chrono::milliseconds kPumpSlice{5};

// Calls the timer procedure a WM_TIMER names, if the caller's queue has
// that timer; false otherwise.
bool runTimerProc(const MSG& msg);

// Milliseconds of the steady clock, as MSG.time carries them.
DWORD tickCount();
// A message stamped with the current time.
MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace plat::user
