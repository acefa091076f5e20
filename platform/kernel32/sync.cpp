// Events, mutexes, semaphores and the wait functions.
#include <chrono>
#include <thread>
#include <vector>

#include "kernel32/threads_internal.h"
#include "kernel32/waitable.h"

namespace plat {

void EventObject::set() {
  std::lock_guard<std::mutex> lock(waitLock());
  state_ = true;
  notifyWaiters();
}

void EventObject::reset() {
  std::lock_guard<std::mutex> lock(waitLock());
  state_ = false;
}

bool setEventHandle(HANDLE handle) {
  auto event = lookupAs<EventObject>(handle);
  if (!event) return false;
  event->set();
  return true;
}

bool resetEventHandle(HANDLE handle) {
  auto event = lookupAs<EventObject>(handle);
  if (!event) return false;
  event->reset();
  return true;
}

namespace {
// Mutexes held by some thread, so a thread that ends while owning one leaves
// it abandoned rather than locked for ever.
std::vector<std::weak_ptr<MutexObject>>& ownedMutexes() {
  static auto* list = new std::vector<std::weak_ptr<MutexObject>>;
  return *list;
}

// Threads started by CreateThread abandon their mutexes before their handle
// becomes signalled; this catches every other thread as it ends.
struct ThreadExitWatch {
  DWORD threadId = 0;
  ~ThreadExitWatch() {
    if (threadId == 0) return;
    std::lock_guard<std::mutex> lock(waitLock());
    abandonMutexesOwnedBy(threadId);
  }
};
thread_local ThreadExitWatch t_exitWatch;
}  // namespace

void abandonMutexesOwnedBy(DWORD threadId) {
  for (auto& weak : ownedMutexes()) {
    if (auto mutex = weak.lock()) mutex->abandonIfOwnedBy(threadId);
  }
  notifyWaiters();
}

bool MutexObject::acquire(DWORD threadId) {
  bool wasAbandoned = abandoned_;
  abandoned_ = false;
  if (owner_ == 0) {
    owner_ = threadId;
    recursion_ = 1;
    t_exitWatch.threadId = threadId;
    auto& list = ownedMutexes();
    std::erase_if(list, [](const std::weak_ptr<MutexObject>& w) { return w.expired(); });
    list.push_back(std::static_pointer_cast<MutexObject>(shared_from_this()));
  } else {
    ++recursion_;
  }
  return wasAbandoned;
}

bool MutexObject::releaseBy(DWORD threadId) {
  if (owner_ != threadId || recursion_ == 0) return false;
  if (--recursion_ == 0) {
    owner_ = 0;
    notifyWaiters();
  }
  return true;
}

void MutexObject::abandonIfOwnedBy(DWORD threadId) {
  if (owner_ != threadId) return;
  owner_ = 0;
  recursion_ = 0;
  abandoned_ = true;
}

bool SemaphoreObject::release(LONG count, LONG* previous) {
  if (count <= 0 || count > maximum_ - count_) return false;
  if (previous) *previous = count_;
  count_ += count;
  notifyWaiters();
  return true;
}

namespace {
// The thread that will signal is often already running on another
// processor and answers within microseconds. Watching for its state change
// a little while before blocking saves the two trips through the scheduler
// that a sleep and a wake-up cost, which dominate a request/answer hand-off.
// Returns with the lock held again; the caller must look at its states anew.
void spinForStateChange(std::unique_lock<std::mutex>& lock) {
  static const bool severalProcessors = std::thread::hardware_concurrency() > 1;
  if (!severalProcessors) return;
  constexpr auto kSpin = std::chrono::microseconds(20);
  const uint64_t seen = waitGeneration();
  lock.unlock();
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (unsigned i = 1; waitGeneration() == seen; ++i) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
    if (i % 64 == 0 && std::chrono::steady_clock::now() >= until) break;
  }
  lock.lock();
}
}  // namespace

DWORD waitForObjects(const ObjectPtr* objects, DWORD count, bool waitAll, DWORD milliseconds) {
  const DWORD self = currentThreadId();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock<std::mutex> lock(waitLock());
  // Counted as a waiter on each object until the wait returns (the count
  // drops before the lock does).
  struct Watch {
    const ObjectPtr* objects;
    DWORD count;
    Watch(const ObjectPtr* o, DWORD n) : objects(o), count(n) {
      for (DWORD i = 0; i < count; ++i) objects[i]->addWaiter();
    }
    ~Watch() {
      for (DWORD i = 0; i < count; ++i) objects[i]->removeWaiter();
    }
  } watch(objects, count);
  bool spun = false;
  for (;;) {
    stopWhileSuspended(lock);
    if (waitAll) {
      bool all = true;
      for (DWORD i = 0; i < count && all; ++i) all = objects[i]->signaled(self);
      if (all) {
        bool abandoned = false;
        for (DWORD i = 0; i < count; ++i) abandoned |= objects[i]->acquire(self);
        return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
      }
    } else {
      for (DWORD i = 0; i < count; ++i) {
        if (objects[i]->signaled(self)) {
          return (objects[i]->acquire(self) ? WAIT_ABANDONED_0 : WAIT_OBJECT_0) + i;
        }
      }
    }
    if (milliseconds == 0) return WAIT_TIMEOUT;
    if (!spun) {
      spun = true;
      spinForStateChange(lock);
      continue;
    }
    if (milliseconds == INFINITE) {
      waitCondition().wait(lock);
    } else if (waitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
      milliseconds = 0;  // one last look at the states, then time out
    }
  }
}

}  // namespace plat

using namespace plat;

namespace {
template <class T>
HANDLE openNamed(LPCSTR name, ObjectKind kind) {
  ObjectPtr object = findNamed(name, kind);
  if (!object) {
    SetLastError(name == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return insertHandle(object);
}

template <class Make>
HANDLE createNamedHandle(LPCSTR name, ObjectKind kind, Make make, bool* existed = nullptr) {
  bool alreadyExists = false;
  ObjectPtr object = createNamed(name, kind, alreadyExists, make);
  if (!object) return nullptr;
  SetLastError(alreadyExists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  if (existed) *existed = alreadyExists;
  return insertHandle(object);
}
}  // namespace

PLATFORM_API HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return createNamedHandle(name, ObjectKind::Event, [&] {
    return std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE);
  });
}

PLATFORM_API HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR name) {
  return openNamed<EventObject>(name, ObjectKind::Event);
}

namespace {
template <class Action>
BOOL withEvent(HANDLE handle, Action action) {
  auto event = lookupAs<EventObject>(handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  action(*event);
  return TRUE;
}
}  // namespace

PLATFORM_API BOOL WINAPI SetEvent(HANDLE event) {
  return withEvent(event, [](EventObject& e) { e.set(); });
}
PLATFORM_API BOOL WINAPI ResetEvent(HANDLE event) {
  return withEvent(event, [](EventObject& e) { e.reset(); });
}

PLATFORM_API HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  bool existed = false;
  HANDLE handle = createNamedHandle(
      name, ObjectKind::Mutex, [] { return std::make_shared<MutexObject>(); }, &existed);
  if (handle && initialOwner && !existed) {
    auto mutex = lookupAs<MutexObject>(handle);
    std::lock_guard<std::mutex> lock(waitLock());
    mutex->acquire(currentThreadId());
  }
  return handle;
}

PLATFORM_API HANDLE WINAPI OpenMutexA(DWORD, BOOL, LPCSTR name) {
  return openNamed<MutexObject>(name, ObjectKind::Mutex);
}

PLATFORM_API BOOL WINAPI ReleaseMutex(HANDLE handle) {
  auto mutex = lookupAs<MutexObject>(handle);
  if (!mutex) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(waitLock());
  if (!mutex->releaseBy(currentThreadId())) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API HANDLE WINAPI CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initial, LONG maximum, LPCSTR name) {
  if (maximum <= 0 || initial < 0 || initial > maximum) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return createNamedHandle(name, ObjectKind::Semaphore,
                           [&] { return std::make_shared<SemaphoreObject>(initial, maximum); });
}

PLATFORM_API HANDLE WINAPI OpenSemaphoreA(DWORD, BOOL, LPCSTR name) {
  return openNamed<SemaphoreObject>(name, ObjectKind::Semaphore);
}

PLATFORM_API BOOL WINAPI ReleaseSemaphore(HANDLE handle, LONG count, LPLONG previous) {
  auto semaphore = lookupAs<SemaphoreObject>(handle);
  if (!semaphore) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(waitLock());
  if (!semaphore->release(count, previous)) {
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  return TRUE;
}

PLATFORM_API DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  ObjectPtr objects[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = lookupHandle(handles[i]);
    if (!objects[i] || !objects[i]->waitable()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
  return waitForObjects(objects, count, waitAll != FALSE, ms);
}

PLATFORM_API DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD ms) {
  return WaitForMultipleObjects(1, &handle, FALSE, ms);
}
