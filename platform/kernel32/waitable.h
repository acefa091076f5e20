// Events, mutexes and semaphores as kernel objects, for the other areas of
// the layer that signal them directly (device I/O completion, threads).
#pragma once
#include "kernel32/object.h"

namespace plat {

class EventObject : public KernelObject {
 public:
  EventObject(bool manualReset, bool initialState)
      : KernelObject(ObjectKind::Event), manualReset_(manualReset), state_(initialState) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override { return state_; }
  bool acquire(DWORD) override {
    if (!manualReset_) state_ = false;
    return false;
  }
  // Take waitLock() themselves.
  void set();
  void reset();

 private:
  bool manualReset_;
  bool state_;
};

// Signals the event behind a handle from any area of the layer; false when
// the handle is not an event.
bool setEventHandle(HANDLE event);
bool resetEventHandle(HANDLE event);

class MutexObject : public KernelObject {
 public:
  MutexObject() : KernelObject(ObjectKind::Mutex) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD threadId) const override { return owner_ == 0 || owner_ == threadId; }
  bool acquire(DWORD threadId) override;
  // Under waitLock().
  bool releaseBy(DWORD threadId);
  void abandonIfOwnedBy(DWORD threadId);

 private:
  DWORD owner_ = 0;
  unsigned recursion_ = 0;
  bool abandoned_ = false;
};

class SemaphoreObject : public KernelObject {
 public:
  SemaphoreObject(LONG initial, LONG maximum)
      : KernelObject(ObjectKind::Semaphore), count_(initial), maximum_(maximum) {}
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override { return count_ > 0; }
  bool acquire(DWORD) override {
    --count_;
    return false;
  }
  // Under waitLock().
  bool release(LONG count, LONG* previous);

 private:
  LONG count_;
  LONG maximum_;
};

// Leaves every mutex that the thread still owns abandoned, so the next
// waiter gets WAIT_ABANDONED. Under waitLock(); threads call it as they end.
void abandonMutexesOwnedBy(DWORD threadId);

// Waits on objects already looked up; the result is as WaitForMultipleObjects.
DWORD waitForObjects(const ObjectPtr* objects, DWORD count, bool waitAll, DWORD milliseconds);

}  // namespace plat
