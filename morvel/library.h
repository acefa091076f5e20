// Process-wide state of the library: the table of open boards (896 slots of
// device index x group), the one library lock, and the lookups on them.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include <morvel.h>

namespace morvel {

inline constexpr uint32_t kFreeHandle = 0xFFFFFFFFu;
inline constexpr int kSlots = (kXanMaxDeviceIndex + 1) * kXanGroups;

// The notification threads of a slot, in the slot's order.
enum ThreadKind : int { kBackThread = 0, kBackDataThread = 1, kBdMemThread = 2, kCounterThread = 3, kThreadKinds = 4 };

// One pending wait request of a notification thread. It lives in the slot,
// never on a thread's stack, so that a completion that arrives late can
// only land in memory that still exists.
struct WaitBlock {
  OVERLAPPED overlapped{};
  XanRequest record{};
};

// One open board. The handle and the thread fields are read by notification
// threads while callers change them, so they are atomic; counts and the
// closing mark change under the library lock.
struct Slot {
  std::atomic<uint32_t> handle{kFreeHandle};
  int16_t openCount = 0;
  bool closing = false;  // XanClose is ending the threads
  bool ownsFile = false;  // false when the handle value is another owner's (open result 4)
  std::atomic<int16_t> priority{0};
  std::atomic<HANDLE> thread[kThreadKinds] = {};
  std::atomic<HANDLE> waitEvent[kThreadKinds] = {};  // none for the back data thread
  std::atomic<HANDLE> readyEvent{nullptr};
  std::atomic<bool> readyFailed{false};  // the board-memory thread could not arm its wait
  std::atomic<bool> run[kThreadKinds] = {};
  std::atomic<bool> ended[kThreadKinds] = {};
  WaitBlock wait[kThreadKinds];

  bool open() const { return handle.load() != kFreeHandle; }
};

struct Library {
  CRITICAL_SECTION lock;
  Slot slots[kSlots];
  Library();
};

// Made on first use and never destroyed, so that the detach can still walk it.
Library& library();

inline int slotNumber(unsigned deviceIndex, unsigned group) { return static_cast<int>(deviceIndex * kXanGroups + group - 1); }
inline unsigned deviceIndexOf(int slot) { return static_cast<unsigned>(slot) / kXanGroups; }
inline Slot& slotAt(int n) { return library().slots[n]; }
inline int slotNumberOf(const Slot& s) { return static_cast<int>(&s - library().slots); }

// The first slot, in order of device index and group, that holds the handle;
// -1 when none does (also for the free marker itself).
int findHandleSlot(uint32_t handle);

inline HANDLE toHandle(uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(value))); }
inline uint32_t toValue(HANDLE h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

// Recursive, as the open loop closes an earlier open inside it.
class LockGuard {
 public:
  LockGuard() { EnterCriticalSection(&library().lock); }
  ~LockGuard() { LeaveCriticalSection(&library().lock); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;
};

// Frees a slot's bookkeeping (not its threads: they must have ended).
void resetSlot(Slot& s);

// Closes every open slot (process detach).
void closeAllSlots();

}  // namespace morvel
