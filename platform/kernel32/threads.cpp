// Threads as kernel objects: creation, suspension, priority and exit.
//
// A thread object is held by its handles and by the thread while it runs,
// so it lives until the thread has ended and its last handle is closed;
// the POSIX thread itself is detached. Closing the handle of a running
// thread lets it run on.
#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "kernel32/threads_internal.h"
#include "kernel32/waitable.h"

namespace plat {
namespace {

constexpr DWORD kFailedCount = 0xFFFFFFFFu;
HANDLE const kCurrentThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

class ThreadObject : public KernelObject {
 public:
  ThreadObject(DWORD suspendCount, bool resumable)
      : KernelObject(ObjectKind::Thread), resumable_(resumable), suspendCount_(suspendCount) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override { return ended_; }

  // Threads that did not come from CreateThread have no handle that another
  // thread could resume them through.
  const bool resumable_;
  std::atomic<int> priority_{THREAD_PRIORITY_NORMAL};
  // The count changes under waitLock(); safe points peek at it without.
  std::atomic<DWORD> suspendCount_;
  // Under waitLock().
  DWORD id_ = 0;
  bool ended_ = false;
  DWORD exitCode_ = STILL_ACTIVE;
};

using ThreadPtr = std::shared_ptr<ThreadObject>;

struct CurrentThread {
  ThreadPtr self;        // set at start, or on first use for other threads
  DWORD exitCode = 0;    // what ExitThread asked for
};
thread_local CurrentThread t_current;

ThreadPtr currentThreadObject() {
  if (!t_current.self) t_current.self = std::make_shared<ThreadObject>(0, false);
  return t_current.self;
}

}  // namespace

ObjectPtr currentThreadKernelObject() { return currentThreadObject(); }

namespace {

ThreadPtr resolveThread(HANDLE handle) {
  if (handle == kCurrentThread) return currentThreadObject();
  auto thread = lookupAs<ThreadObject>(handle);
  if (!thread) SetLastError(ERROR_INVALID_HANDLE);
  return thread;
}

struct StartBlock {
  ThreadPtr thread;
  LPTHREAD_START_ROUTINE routine;
  LPVOID parameter;
};

// Marks the thread ended when its routine returns or ExitThread unwinds it.
// Its mutexes are abandoned in the same step, so whoever sees the thread
// handle signalled also finds them free.
struct EndOfThread {
  ThreadObject& thread;
  bool returned = false;
  DWORD returnValue = 0;
  ~EndOfThread() {
    std::lock_guard<std::mutex> lock(waitLock());
    abandonMutexesOwnedBy(thread.id_);
    thread.exitCode_ = returned ? returnValue : t_current.exitCode;
    thread.ended_ = true;
    notifyWaiters();
  }
};

void* threadMain(void* raw) {
  std::unique_ptr<StartBlock> start(static_cast<StartBlock*>(raw));
  t_current.self = start->thread;
  ThreadObject& self = *start->thread;
  {
    std::unique_lock<std::mutex> lock(waitLock());
    self.id_ = currentThreadId();
    notifyWaiters();  // CreateThread waits for the id
    stopWhileSuspended(lock);  // CREATE_SUSPENDED
  }
  EndOfThread end{self};
  end.returnValue = start->routine(start->parameter);
  end.returned = true;
  return nullptr;
}

struct ThreadAttributes {
  pthread_attr_t attr;
  ThreadAttributes() { pthread_attr_init(&attr); }
  ~ThreadAttributes() { pthread_attr_destroy(&attr); }
  ThreadAttributes(const ThreadAttributes&) = delete;
  ThreadAttributes& operator=(const ThreadAttributes&) = delete;
};

// A stack size asks for at least that much; the platform default is kept
// when it is larger, since code written for the other system expects its
// generous default.
void applyStackSize(pthread_attr_t& attr, SIZE_T requested) {
  size_t current = 0;
  if (requested == 0 || pthread_attr_getstacksize(&attr, &current) != 0 || requested <= current) return;
  const size_t page = 4096;
  pthread_attr_setstacksize(&attr, (requested + page - 1) / page * page);
}

}  // namespace

void stopWhileSuspended(std::unique_lock<std::mutex>& heldWaitLock) {
  ThreadObject* self = t_current.self.get();
  if (self == nullptr || !self->resumable_) return;
  while (self->suspendCount_.load() > 0) waitCondition().wait(heldWaitLock);
}

}  // namespace plat

using namespace plat;

namespace {
// The safe point of calls that do not wait on objects (Sleep).
void honourSuspension() {
  ThreadObject* self = t_current.self.get();
  if (self == nullptr || self->suspendCount_.load() == 0) return;
  std::unique_lock<std::mutex> lock(waitLock());
  stopWhileSuspended(lock);
}

bool validPriority(int priority) {
  switch (priority) {
    case THREAD_PRIORITY_IDLE:
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
    case THREAD_PRIORITY_TIME_CRITICAL:
      return true;
    default:
      return false;
  }
}
}  // namespace

PLATFORM_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE routine,
                                        LPVOID parameter, DWORD flags, LPDWORD threadId) {
  if (routine == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>((flags & CREATE_SUSPENDED) ? 1 : 0, true);
  auto start = std::make_unique<StartBlock>(StartBlock{thread, routine, parameter});

  ThreadAttributes attributes;
  pthread_attr_setdetachstate(&attributes.attr, PTHREAD_CREATE_DETACHED);
  applyStackSize(attributes.attr, stackSize);
  pthread_t posixThread;
  if (pthread_create(&posixThread, &attributes.attr, threadMain, start.get()) != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  start.release();  // the thread owns it now

  // Only a caller that asks for the id waits for the thread to start. A
  // library's attach runs under the loader's lock, which a new thread needs
  // for its first thread-local object; waiting there would never end.
  if (threadId) {
    std::unique_lock<std::mutex> lock(waitLock());
    waitCondition().wait(lock, [&] { return thread->id_ != 0; });
    *threadId = thread->id_;
  }
  return insertHandle(thread);
}

PLATFORM_API DWORD WINAPI SuspendThread(HANDLE handle) {
  ThreadPtr thread = resolveThread(handle);
  if (!thread) return kFailedCount;
  const bool self = thread == t_current.self;
  if (self && !thread->resumable_) {
    // Nobody holds a handle that could wake this thread again.
    SetLastError(ERROR_NOT_SUPPORTED);
    return kFailedCount;
  }
  std::unique_lock<std::mutex> lock(waitLock());
  if (thread->ended_) {
    SetLastError(ERROR_ACCESS_DENIED);
    return kFailedCount;
  }
  const DWORD previous = thread->suspendCount_.fetch_add(1);
  if (self) stopWhileSuspended(lock);
  return previous;
}

PLATFORM_API DWORD WINAPI ResumeThread(HANDLE handle) {
  ThreadPtr thread = resolveThread(handle);
  if (!thread) return kFailedCount;
  std::lock_guard<std::mutex> lock(waitLock());
  const DWORD previous = thread->suspendCount_.load();
  if (previous > 0 && thread->suspendCount_.fetch_sub(1) == 1) notifyWaiters();
  return previous;
}

PLATFORM_API BOOL WINAPI SetThreadPriority(HANDLE handle, int priority) {
  ThreadPtr thread = resolveThread(handle);
  if (!thread) return FALSE;
  if (!validPriority(priority)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  thread->priority_ = priority;
  return TRUE;
}

PLATFORM_API int WINAPI GetThreadPriority(HANDLE handle) {
  ThreadPtr thread = resolveThread(handle);
  return thread ? thread->priority_.load() : THREAD_PRIORITY_ERROR_RETURN;
}

PLATFORM_API BOOL WINAPI GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  ThreadPtr thread = resolveThread(handle);
  if (!thread) return FALSE;
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(waitLock());
  *exitCode = thread->exitCode_;
  return TRUE;
}

PLATFORM_API void WINAPI ExitThread(DWORD exitCode) {
  // pthread_exit unwinds the thread's frames, running their destructors;
  // the end guard of a CreateThread thread then records the code.
  t_current.exitCode = exitCode;
  pthread_exit(nullptr);
}

PLATFORM_API HANDLE WINAPI GetCurrentThread(void) { return kCurrentThread; }
PLATFORM_API DWORD WINAPI GetCurrentThreadId(void) { return currentThreadId(); }

PLATFORM_API DWORD WINAPI GetThreadId(HANDLE handle) {
  if (handle == kCurrentThread) return currentThreadId();
  ThreadPtr thread = resolveThread(handle);
  if (!thread) return 0;
  std::lock_guard<std::mutex> lock(waitLock());
  return thread->id_;
}

PLATFORM_API void WINAPI Sleep(DWORD milliseconds) {
  honourSuspension();
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PLATFORM_API BOOL WINAPI SwitchToThread(void) {
  honourSuspension();
  sched_yield();
  return TRUE;
}
