// The process-wide handle table, named objects and the last error.
#include <unistd.h>
#include <sys/syscall.h>

#include <atomic>
#include <cctype>
#include <unordered_map>

#include "kernel32/object.h"

namespace plat {

void forgetName(const std::string& name);

// A name is the process's only while an object holds it: names are made of
// thread and process ids, which come again.
KernelObject::~KernelObject() {
  if (!name_.empty()) forgetName(name_);
}

namespace {

// The running process: it is signalled when it has ended, which no wait of
// its own can see.
class CurrentProcessObject : public KernelObject {
 public:
  CurrentProcessObject() : KernelObject(ObjectKind::Process) {}
  bool waitable() const override { return true; }
};

ObjectPtr currentProcessObject() {
  static auto* process = new ObjectPtr(std::make_shared<CurrentProcessObject>());
  return *process;
}

constexpr intptr_t kCurrentProcessValue = -1;
constexpr intptr_t kCurrentThreadValue = -2;
constexpr uintptr_t kCallerBits = 3;

}  // namespace

class HandleTable {
 public:
  static HandleTable& instance() {
    static HandleTable* table = new HandleTable;  // lives through static destruction
    return *table;
  }

  HANDLE insert(ObjectPtr object) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t value;
    do {
      value = nextValueLocked();
    } while (objects_.count(value) != 0);
    ++object->handleCount_;
    objects_.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
  }

  ObjectPtr lookup(HANDLE handle) {
    auto signedValue = reinterpret_cast<intptr_t>(handle);
    if (signedValue == kCurrentProcessValue) return currentProcessObject();
    if (signedValue == kCurrentThreadValue) return currentThreadKernelObject();
    uintptr_t raw = reinterpret_cast<uintptr_t>(handle) & ~kCallerBits;
    if (raw == 0 || raw >= 0x80000000u) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(static_cast<uint32_t>(raw));
    return it == objects_.end() ? nullptr : it->second;
  }

  bool close(HANDLE handle) {
    uintptr_t raw = reinterpret_cast<uintptr_t>(handle) & ~kCallerBits;
    ObjectPtr object;
    bool last = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto it = raw < 0x80000000u ? objects_.find(static_cast<uint32_t>(raw)) : objects_.end();
      if (it == objects_.end()) return false;
      object = std::move(it->second);
      objects_.erase(it);
      last = --object->handleCount_ == 0;
    }
    if (last) object->lastHandleClosed();
    return true;
  }

  uint32_t nextValue() {
    std::lock_guard<std::mutex> lock(mutex_);
    return nextValueLocked();
  }

  uint32_t setNext(uint32_t next) {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t previous = next_;
    next &= ~static_cast<uint32_t>(kCallerBits);
    next_ = next < kFirst || next >= 0x80000000u ? kFirst : next;
    return previous;
  }

 private:
  // A monotonic counter in steps of 4 that wraps below 2^31, so a value is
  // reused only after about half a billion allocations.
  uint32_t nextValueLocked() {
    uint32_t value = next_;
    next_ += 4;
    if (next_ >= 0x80000000u) next_ = kFirst;
    return value;
  }

  static constexpr uint32_t kFirst = 0x104;
  std::mutex mutex_;
  uint32_t next_ = kFirst;
  std::unordered_map<uint32_t, ObjectPtr> objects_;
};

HANDLE insertHandle(ObjectPtr object) { return HandleTable::instance().insert(std::move(object)); }
ObjectPtr lookupHandle(HANDLE handle) { return HandleTable::instance().lookup(handle); }
uint32_t allocateHandleValue() { return HandleTable::instance().nextValue(); }

bool closeHandle(HANDLE handle) {
  if (HandleTable::instance().close(handle)) return true;
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

std::mutex& waitLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

std::condition_variable& waitCondition() {
  static std::condition_variable* cv = new std::condition_variable;
  return *cv;
}

namespace {
std::atomic<uint64_t> g_waitGeneration{0};
}  // namespace

void notifyWaiters() {
  g_waitGeneration.fetch_add(1, std::memory_order_release);
  waitCondition().notify_all();
}

uint64_t waitGeneration() { return g_waitGeneration.load(std::memory_order_acquire); }

DWORD currentThreadId() {
  thread_local DWORD id = static_cast<DWORD>(::syscall(SYS_gettid));
  return id;
}

namespace {
struct NamedEntry {
  ObjectKind kind;
  std::weak_ptr<KernelObject> object;
};
std::mutex& namedLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}
std::unordered_map<std::string, NamedEntry>& namedObjects() {
  static auto* map = new std::unordered_map<std::string, NamedEntry>;
  return *map;
}
}  // namespace

void forgetName(const std::string& name) {
  std::lock_guard<std::mutex> lock(namedLock());
  auto& map = namedObjects();
  auto it = map.find(name);
  // The name may already hold a newer object.
  if (it != map.end() && it->second.object.expired()) map.erase(it);
}

ObjectPtr registerNamed(const std::string& name, ObjectKind kind, bool& alreadyExists,
                        const std::function<ObjectPtr()>& make) {
  // Released after the lock: it may be the last owner, whose end takes it.
  ObjectPtr existing;
  std::lock_guard<std::mutex> lock(namedLock());
  auto& map = namedObjects();
  auto it = map.find(name);
  if (it != map.end()) {
    if ((existing = it->second.object.lock())) {
      if (it->second.kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      alreadyExists = true;
      return existing;
    }
  }
  ObjectPtr created = make();
  if (!created) return nullptr;
  created->setName(name);
  map[name] = NamedEntry{kind, created};
  return created;
}

size_t namedObjectCount() {
  std::lock_guard<std::mutex> lock(namedLock());
  return namedObjects().size();
}

ObjectPtr findNamed(const char* name, ObjectKind kind) {
  if (name == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(namedLock());
  auto& map = namedObjects();
  auto it = map.find(name);
  if (it == map.end() || it->second.kind != kind) return nullptr;
  return it->second.object.lock();
}

}  // namespace plat

namespace {
thread_local DWORD t_lastError = 0;
// Pseudo handle of the current process, as on Windows.
HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}  // namespace

PLATFORM_API DWORD WINAPI GetLastError(void) { return t_lastError; }
PLATFORM_API void WINAPI SetLastError(DWORD code) { t_lastError = code; }

PLATFORM_API BOOL WINAPI CloseHandle(HANDLE object) { return plat::closeHandle(object) ? TRUE : FALSE; }

PLATFORM_API HANDLE WINAPI GetCurrentProcess(void) { return kCurrentProcess; }
PLATFORM_API DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(::getpid()); }

PLATFORM_API BOOL WINAPI DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess,
                                         LPHANDLE target, DWORD, BOOL, DWORD options) {
  if (sourceProcess != kCurrentProcess || targetProcess != kCurrentProcess || target == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  plat::ObjectPtr object = plat::lookupHandle(source);
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *target = plat::insertHandle(object);
  if (options & DUPLICATE_CLOSE_SOURCE) plat::closeHandle(source);
  return TRUE;
}

PLATFORM_API DWORD WINAPI PlatSetNextHandleValue(DWORD next) { return plat::HandleTable::instance().setNext(next); }

PLATFORM_API DWORD WINAPI PlatNamedObjectCount(void) { return static_cast<DWORD>(plat::namedObjectCount()); }
