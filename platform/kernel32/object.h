// Kernel objects, the process-wide handle table and the one wait lock.
//
// Every waitable object changes its signal state only while holding
// waitLock(), and wakes waiters with notifyWaiters(). One lock for all
// objects keeps wait-all simple and correct: a waiter sees every object of
// its set in one consistent state and acquires them together.
#pragma once
#include <windows.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace plat {

enum class ObjectKind { Event, Mutex, Semaphore, Thread, Process, File, Device, Mapping, Serial, Other };

class KernelObject : public std::enable_shared_from_this<KernelObject> {
 public:
  explicit KernelObject(ObjectKind kind) : kind_(kind) {}
  virtual ~KernelObject();
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;

  ObjectKind kind() const { return kind_; }

  // Wait protocol; called with waitLock() held.
  virtual bool waitable() const { return false; }
  virtual bool signaled(DWORD /*threadId*/) const { return false; }
  // A successful wait consumes the signal (auto-reset event, mutex
  // ownership, semaphore count). Returns true when the wait is to report
  // WAIT_ABANDONED for this object.
  virtual bool acquire(DWORD /*threadId*/) { return false; }
  // Threads in a wait that includes the object, under waitLock(): a state
  // change that nobody waits for need not wake every waiter of the process.
  void addWaiter() { ++waiters_; }
  void removeWaiter() { --waiters_; }
  bool watched() const { return waiters_ > 0; }

  // Called once, outside waitLock(), when the last handle to the object is
  // closed (pending I/O is cancelled here; the object may live on while
  // other owners still hold it).
  virtual void lastHandleClosed() {}

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }

 private:
  friend class HandleTable;
  ObjectKind kind_;
  std::string name_;
  int handleCount_ = 0;
  int waiters_ = 0;
};

using ObjectPtr = std::shared_ptr<KernelObject>;

// Handle values are multiples of 4, non-zero, below 2^31 and not reused soon.
HANDLE insertHandle(ObjectPtr object);
// The low two bits of a value are the caller's: a value with them set names
// the same object. The pseudo handles of the current process and thread
// name those.
ObjectPtr lookupHandle(HANDLE handle);
template <class T>
std::shared_ptr<T> lookupAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(lookupHandle(handle));
}
// Removes the handle; false (ERROR_INVALID_HANDLE set) when it is unknown.
bool closeHandle(HANDLE handle);

// Allocates a fresh value from the same counter, for tables outside the
// kernel object table (windows, GDI objects, registry keys, modules).
uint32_t allocateHandleValue();

// Named objects of the process. create: returns the existing object of that
// name (alreadyExists = true) when there is one; a name held by an object of
// another kind gives nullptr with ERROR_INVALID_HANDLE.
template <class Factory>
ObjectPtr createNamed(const char* name, ObjectKind kind, bool& alreadyExists, Factory make);
ObjectPtr findNamed(const char* name, ObjectKind kind);

std::mutex& waitLock();
void notifyWaiters();  // call with waitLock() held after a state change
std::condition_variable& waitCondition();
// Advances with every notifyWaiters(); a waiter may watch it without the
// lock to learn that some state changed.
uint64_t waitGeneration();

DWORD currentThreadId();
// The object of the calling thread, as GetCurrentThread() names it.
ObjectPtr currentThreadKernelObject();

// The usual failure return of a BOOL function: the error set, FALSE out.
inline BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Named-object registry, used by createNamed.
ObjectPtr registerNamed(const std::string& name, ObjectKind kind, bool& alreadyExists,
                        const std::function<ObjectPtr()>& make);

template <class Factory>
ObjectPtr createNamed(const char* name, ObjectKind kind, bool& alreadyExists, Factory make) {
  alreadyExists = false;
  if (name == nullptr || *name == '\0') return make();
  return registerNamed(name, kind, alreadyExists, [&] { return ObjectPtr(make()); });
}

}  // namespace plat
